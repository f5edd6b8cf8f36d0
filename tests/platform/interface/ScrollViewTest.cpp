// Scroll views and scroll bars: the frame rule, the value that is the
// target's scroll offset, and changes from other threads.
#include <thread>

#include <ScrollBar.h>
#include <ScrollView.h>
#include <StatusBar.h>
#include <StringView.h>

#include "InterfaceTestSupport.h"

using glim_test::CloseWindow;


TEST(ScrollViewTest, FrameGrowsByBorderAndBars)
{
	struct Case {
		border_style border;
		bool horizontal;
		bool vertical;
		BRect expected;
	};
	const Case cases[] = {
		{B_FANCY_BORDER, false, false, BRect(8, 18, 62, 82)},
		{B_PLAIN_BORDER, false, false, BRect(9, 19, 61, 81)},
		{B_NO_BORDER, false, false, BRect(10, 20, 60, 80)},
		{B_FANCY_BORDER, false, true, BRect(8, 18, 76, 82)},
		{B_FANCY_BORDER, true, true, BRect(8, 18, 76, 96)},
		{B_NO_BORDER, true, false, BRect(10, 20, 60, 94)},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(testing::Message() << test.border << test.horizontal << test.vertical);
		BView* target = new BView(BRect(10, 20, 60, 80), "target", B_FOLLOW_NONE, 0);
		BScrollView scroll("scroll", target, B_FOLLOW_NONE, 0, test.horizontal, test.vertical,
			test.border);
		EXPECT_EQ(scroll.Frame(), test.expected);
		EXPECT_EQ(target->Parent(), &scroll);
		EXPECT_EQ(scroll.ScrollBar(B_VERTICAL) != NULL, test.vertical);
		EXPECT_EQ(scroll.ScrollBar(B_HORIZONTAL) != NULL, test.horizontal);
		EXPECT_EQ(target->ScrollBar(B_VERTICAL), scroll.ScrollBar(B_VERTICAL));
		EXPECT_EQ(target->Frame().Width(), 50);
	}
}


TEST(ScrollViewTest, ValueIsTheTargetsOffset)
{
	BView* target = new BView(BRect(0, 0, 99, 99), "target", B_FOLLOW_NONE, 0);
	BScrollView scroll("scroll", target, B_FOLLOW_NONE, 0, true, true);
	BScrollBar* vertical = scroll.ScrollBar(B_VERTICAL);
	vertical->SetRange(0, 500);
	vertical->SetValue(120);
	EXPECT_EQ(target->Bounds().top, 120);
	EXPECT_EQ(target->Bounds().left, 0);

	target->ScrollTo(BPoint(30, 40));
	EXPECT_EQ(vertical->Value(), 40);
	EXPECT_EQ(scroll.ScrollBar(B_HORIZONTAL)->Value(), 30);

	vertical->SetValue(900);
	EXPECT_EQ(vertical->Value(), 500);
	vertical->SetRange(0, 100);
	EXPECT_EQ(vertical->Value(), 100);
	EXPECT_EQ(target->Bounds().top, 100);
	vertical->SetProportion(1.5f);
	EXPECT_EQ(vertical->Proportion(), 1.0f);
}


TEST(ScrollViewTest, ChangesFromAnotherThreadUnderTheLock)
{
	BWindow* window = new BWindow(BRect(0, 0, 199, 199), "threads", B_TITLED_WINDOW, 0);
	BView* target = new BView(BRect(0, 0, 150, 150), "target", B_FOLLOW_ALL, B_WILL_DRAW);
	BScrollView* scroll = new BScrollView("scroll", target, B_FOLLOW_ALL, 0, false, true);
	BStatusBar* status = new BStatusBar(BRect(0, 160, 199, 199), "status");
	BStringView* text = new BStringView(BRect(0, 0, 10, 10), "text", "");
	window->AddChild(scroll);
	window->AddChild(status);
	window->AddChild(text);
	window->Show();
	std::thread worker([&]() {
		for (int i = 0; i < 20; i++) {
			ASSERT_EQ(window->LockWithTimeout(1000000), B_OK);
			scroll->ScrollBar(B_VERTICAL)->SetRange(0, 1000);
			scroll->ScrollBar(B_VERTICAL)->SetValue(i * 10);
			status->SetMaxValue(20);
			status->Update(1);
			text->SetText(std::to_string(i).c_str());
			target->Invalidate();
			window->Unlock();
			snooze(2000);
		}
	});
	glim_test::Settle();
	worker.join();
	glim_test::Settle(20000);
	window->Lock();
	EXPECT_EQ(target->Bounds().top, 190);
	EXPECT_EQ(status->CurrentValue(), 20);
	EXPECT_STREQ(text->Text(), "19");
	window->Unlock();
	CloseWindow(window);
}


TEST(ScrollViewTest, StatusBarCountsWithinItsMaximum)
{
	BStatusBar bar(BRect(0, 0, 100, 30), "bar", "label", "trailing");
	EXPECT_EQ(bar.MaxValue(), 100);
	bar.SetMaxValue(3);
	bar.Update(1);
	bar.Update(1, "text");
	EXPECT_EQ(bar.CurrentValue(), 2);
	EXPECT_STREQ(bar.Text(), "text");
	bar.Update(5);
	EXPECT_EQ(bar.CurrentValue(), 3);
	bar.Reset();
	EXPECT_EQ(bar.CurrentValue(), 0);
	EXPECT_EQ(bar.MaxValue(), 100);
	EXPECT_STREQ(bar.Label(), "");
	EXPECT_STREQ(bar.Text(), "");
}
