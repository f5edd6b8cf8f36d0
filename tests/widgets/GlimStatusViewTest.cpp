#include "widgets/GlimStatusView.h"

#include <StatusBar.h>
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

	status->SetFileCount(0, 0);
	EXPECT_STREQ(status->CountText(), "0 images / 0 files");
	status->SetFileCount(12, 3456);
	EXPECT_STREQ(status->CountText(), "12 images / 3456 files");

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
