// Scroll views: the frame grows by the border and the bars around the
// target.
#include <gtest/gtest.h>

#include <ScrollBar.h>
#include <ScrollView.h>


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
