// Drawing into off-screen bitmaps through attached views: child views at
// their place, the lock drawing needs, and strings on their baseline.
#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

const rgb_color kBlack = make_color(0, 0, 0);
const rgb_color kWhite = make_color(255, 255, 255);

} // namespace


TEST(BitmapViewTest, ChildViewsDrawAtTheirPlaceAndScrollOffset)
{
	Canvas canvas(20, 20, kBlack);
	BView* child = new BView(BRect(5, 5, 14, 14), "child", B_FOLLOW_NONE, B_WILL_DRAW);
	canvas.view->AddChild(child);
	child->ScrollTo(BPoint(100, 100));
	child->SetHighColor(255, 255, 0);
	// (100, 100) in the child's scrolled coordinates is its top-left pixel;
	// what falls outside the child is clipped.
	child->FillRect(BRect(98, 98, 101, 101));
	canvas.bitmap.Unlock();

	const rgb_color yellow = make_color(255, 255, 0);
	for (int i = 4; i < 8; i++)
		EXPECT_EQ(PixelAt(canvas.bitmap, i, i), i == 5 || i == 6 ? yellow : kBlack) << i;
}


TEST(BitmapViewTest, DrawingNeedsTheLock)
{
	BBitmap bitmap(BRect(0, 0, 3, 3), B_RGB32, true);
	BView* view = new BView(bitmap.Bounds(), "view", B_FOLLOW_NONE, 0);
	bitmap.AddChild(view);
	view->SetHighColor(kWhite);
	view->FillRect(view->Bounds());
	EXPECT_EQ(PixelAt(bitmap, 0, 0), kBlack);

	ASSERT_TRUE(bitmap.Lock());
	EXPECT_TRUE(bitmap.IsLocked());
	view->FillRect(view->Bounds());
	view->Sync();
	EXPECT_EQ(PixelAt(bitmap, 3, 3), kWhite);
	bitmap.Unlock();
	EXPECT_FALSE(bitmap.IsLocked());

	BBitmap plain(BRect(0, 0, 3, 3), B_RGB32);
	EXPECT_FALSE(plain.Lock());
	plain.AddChild(new BView(plain.Bounds(), "refused", B_FOLLOW_NONE, 0));
	EXPECT_EQ(plain.CountChildren(), 0);

	// Removed views are the caller's to delete after the bitmap is gone.
	auto owner = std::make_unique<BBitmap>(BRect(0, 0, 3, 3), B_RGB32, true);
	BView* kept = new BView(owner->Bounds(), "kept", B_FOLLOW_NONE, 0);
	owner->AddChild(kept);
	owner->AddChild(new BView(owner->Bounds(), "owned", B_FOLLOW_NONE, 0));
	EXPECT_TRUE(owner->RemoveChild(kept));
	EXPECT_EQ(owner->CountChildren(), 1);
	owner.reset();
	delete kept;
}


TEST(BitmapViewTest, StringsDrawOnTheirBaseline)
{
	Canvas canvas(60, 30);
	canvas.view->SetHighColor(kBlack);
	canvas.view->DrawString("HH", BPoint(2, 20));
	canvas.bitmap.Unlock();
	int darkAbove = 0;
	int darkBelow = 0;
	for (int x = 0; x < 60; x++) {
		for (int y = 0; y < 30; y++) {
			if (PixelAt(canvas.bitmap, x, y).red < 100)
				(y <= 20 ? darkAbove : darkBelow)++;
		}
	}
	EXPECT_GT(darkAbove, 10);
	EXPECT_EQ(darkBelow, 0);
}
