#include "widgets/GlimStatusView.h"

#include <StatusBar.h>
#include <StringView.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "TestHooks.h"

TEST(GlimStatusViewTest, CountsAndProgress)
{
	BWindow* window = new BWindow(BRect(50, 50, 450, 300), "status", B_TITLED_WINDOW, 0);
	BGlimStatusView* status = new BGlimStatusView(BRect(0, 238, 386, 252));
	window->AddChild(status);
	window->Show();
	window->Lock();

	// Attached: the bar sits beside the counts and is as high as the line.
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
	EXPECT_FALSE(status->ProgressShown());
	status->CompleteProgress();
	EXPECT_TRUE(status->ProgressBar()->IsHidden());

	window->Quit();
}

TEST(GlimStatusViewTest, TheCountsReadAndFitTheirViewAndLine)
{
	BWindow* window = new BWindow(BRect(50, 50, 450, 300), "status", B_TITLED_WINDOW, 0);
	BGlimStatusView* status = new BGlimStatusView(BRect(0, 238, 386, 252));
	window->AddChild(status);
	window->Show();
	window->Lock();
	const struct {
		int32 images;
		int32 files;
		bool keepsWidth;
	} counts[] = {{0, 0, true}, {24, 24, true}, {999, 1000, true}, {12, 3456, false},
		{12345, 67890, false}, {1234567890, 1234567890, false}};
	BStringView* view = status->CountView();
	for (const auto& entry : counts) {
		SCOPED_TRACE(entry.files);
		status->SetFileCount(entry.images, entry.files);
		EXPECT_EQ(std::string(status->CountText()),
			std::to_string(entry.images) + " images / " + std::to_string(entry.files)
				+ " files");
		font_height height;
		view->GetFontHeight(&height);
		EXPECT_LE(view->StringWidth(view->Text()), view->Bounds().Width() + 1);
		EXPECT_LE(height.ascent + height.descent, view->Bounds().Height() + 1);
		if (entry.keepsWidth) {
			EXPECT_FLOAT_EQ(view->Bounds().Width(), 100) << "the progress bar starts there";
		}
		EXPECT_EQ(view->Frame().LeftTop(), BPoint(0, 0));
	}
	window->Quit();
}
