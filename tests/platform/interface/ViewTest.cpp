// The view tree without a window: resizing modes, coordinate conversion
// and measuring strings.
#include <gtest/gtest.h>

#include <StringView.h>
#include <View.h>

TEST(ViewTest, ResizingModesOnParentResize)
{
	struct Case {
		const char* name;
		uint32 mode;
		BRect expected;
	};
	// A child at (20, 30)-(59, 69) of a 100 x 100 parent that grows by
	// (40, 20).
	const Case cases[] = {
		{"none", B_FOLLOW_NONE, BRect(20, 30, 59, 69)},
		{"left top", B_FOLLOW_LEFT | B_FOLLOW_TOP, BRect(20, 30, 59, 69)},
		{"right", B_FOLLOW_RIGHT | B_FOLLOW_TOP, BRect(60, 30, 99, 69)},
		{"left right", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, BRect(20, 30, 99, 69)},
		{"bottom", B_FOLLOW_LEFT | B_FOLLOW_BOTTOM, BRect(20, 50, 59, 89)},
		{"top bottom", B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM, BRect(20, 30, 59, 89)},
		{"all", B_FOLLOW_ALL, BRect(20, 30, 99, 89)},
		{"centre", B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER, BRect(40, 40, 79, 79)},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.name);
		BView parent(BRect(0, 0, 99, 99), "parent", B_FOLLOW_NONE, 0);
		BView* child = new BView(BRect(20, 30, 59, 69), "child", test.mode, 0);
		parent.AddChild(child);
		parent.ResizeBy(40, 20);
		EXPECT_EQ(child->Frame(), test.expected);
	}
}


TEST(ViewTest, ConversionThroughScrolledParents)
{
	BView parent(BRect(100, 100, 399, 399), "parent", B_FOLLOW_NONE, 0);
	BView* child = new BView(BRect(10, 20, 59, 69), "child", B_FOLLOW_NONE, 0);
	parent.AddChild(child);
	parent.ScrollTo(BPoint(0, 15));
	child->ScrollTo(BPoint(3, 0));
	EXPECT_EQ(child->ConvertToParent(BPoint(3, 0)), BPoint(10, 20));
	EXPECT_EQ(child->ConvertFromParent(BPoint(10, 20)), BPoint(3, 0));
	// Without a window the screen is the top view's coordinates.
	EXPECT_EQ(child->ConvertToScreen(BPoint(3, 0)), BPoint(110, 105));
	EXPECT_EQ(child->ConvertFromScreen(BPoint(110, 105)), BPoint(3, 0));
	EXPECT_EQ(child->ConvertToParent(BRect(3, 0, 5, 2)), BRect(10, 20, 12, 22));
}


TEST(ViewTest, StringsMeasureAndStringViewTakesNoText)
{
	BView view(BRect(0, 0, 9, 9), "view", B_FOLLOW_NONE, 0);
	EXPECT_GT(view.StringWidth("wide text"), view.StringWidth("w"));
	view.SetFontSize(40);
	EXPECT_GT(view.StringWidth("w"), 20);
	// Drawing outside Draw and off any bitmap is ignored.
	view.FillRect(view.Bounds());

	BStringView text(BRect(0, 0, 99, 19), "text", "counts");
	EXPECT_STREQ(text.Text(), "counts");
	text.SetText(NULL);
	EXPECT_STREQ(text.Text(), "");
}
