#include "widgets/GlimStatusView.h"

#include <StatusBar.h>
#include <StringView.h>
#include <Window.h>

#include <gtest/gtest.h>


// Attached, the bar sits beside the counts and is as high as the line; the
// counts widen their view when they would not fit.
TEST(GlimStatusViewTest, CountsAndProgress)
{
	BWindow* window = new BWindow(BRect(50, 50, 450, 300), "status", B_TITLED_WINDOW, 0);
	BGlimStatusView* status = new BGlimStatusView(BRect(0, 238, 386, 252));
	window->AddChild(status);
	window->Show();
	window->Lock();
	EXPECT_EQ(status->ProgressBar()->Frame().LeftTop(), BPoint(100, -12));
	EXPECT_FLOAT_EQ(status->ProgressBar()->BarHeight(), 10);
	EXPECT_TRUE(status->ProgressBar()->IsHidden());

	status->SetMaxValue(10);
	status->UpdateProgressBar(1.0);
	status->UpdateProgressBar(1.0);
	EXPECT_FLOAT_EQ(status->ProgressBar()->CurrentValue(), 2);
	// A new maximum while shown starts again from 0 and stays shown.
	status->SetMaxValue(5);
	EXPECT_FLOAT_EQ(status->ProgressBar()->CurrentValue(), 0);
	EXPECT_FLOAT_EQ(status->ProgressBar()->MaxValue(), 5);
	EXPECT_FALSE(status->ProgressBar()->IsHidden());
	status->CompleteProgress();
	EXPECT_TRUE(status->ProgressBar()->IsHidden());

	BStringView* view = status->CountView();
	for (int32 files : {24, 1234567890}) {
		SCOPED_TRACE(files);
		status->SetFileCount(files, files);
		EXPECT_EQ(std::string(status->CountText()),
			std::to_string(files) + " images / " + std::to_string(files) + " files");
		font_height height;
		view->GetFontHeight(&height);
		EXPECT_LE(view->StringWidth(view->Text()), view->Bounds().Width() + 1);
		EXPECT_LE(height.ascent + height.descent, view->Bounds().Height() + 1);
		EXPECT_EQ(view->Frame().LeftTop(), BPoint(0, 0));
		if (files == 24) {
			EXPECT_FLOAT_EQ(view->Bounds().Width(), 100) << "the progress bar starts there";
		}
	}
	EXPECT_GT(view->Bounds().Width(), 100) << "widened for the long count";
	window->Quit();
}
