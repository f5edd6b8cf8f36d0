// Drawing into off-screen bitmaps through attached views: the drawing
// modes, inclusive rectangles and bitmap scaling, checked pixel by pixel.
#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

const rgb_color kBlack = make_color(0, 0, 0);
const rgb_color kWhite = make_color(255, 255, 255);
const rgb_color kRed = make_color(255, 0, 0);
const rgb_color kGreen = make_color(0, 255, 0);
const rgb_color kBlue = make_color(0, 0, 255);


// Four colours in the quarters: red, green / blue, white.
std::unique_ptr<BBitmap>
MakeQuadrants(int size)
{
	return MakeBitmap(size, size, [size](int x, int y) {
		if (y < size / 2)
			return x < size / 2 ? kRed : kGreen;
		return x < size / 2 ? kBlue : kWhite;
	});
}

} // namespace


TEST(BitmapViewTest, RectsAndLinesAreInclusive)
{
	Canvas canvas(20, 20, kBlack);
	canvas.view->SetHighColor(kRed);
	canvas.view->FillRect(BRect(2, 3, 4, 5));
	canvas.view->SetHighColor(kBlue);
	canvas.view->StrokeRect(BRect(10, 10, 19, 19));
	canvas.view->SetHighColor(kGreen);
	canvas.view->StrokeLine(BPoint(1, 12), BPoint(8, 12));
	canvas.view->MovePenTo(BPoint(5, 14));
	canvas.view->StrokeLine(BPoint(5, 18));
	canvas.bitmap.Unlock();

	// The outline covers pixels 10 to 19 on both axes, nothing inside; a
	// line covers both its ends.
	ExpectPixels(canvas.bitmap,
		{{2, 3, kRed}, {4, 5, kRed}, {5, 5, kBlack}, {4, 6, kBlack}, {1, 3, kBlack},
			{10, 10, kBlue}, {19, 19, kBlue}, {19, 14, kBlue}, {14, 19, kBlue},
			{11, 11, kBlack}, {9, 10, kBlack}, {1, 12, kGreen}, {8, 12, kGreen},
			{9, 12, kBlack}, {0, 12, kBlack}, {5, 14, kGreen}, {5, 18, kGreen},
			{5, 19, kBlack}});
}


TEST(BitmapViewTest, InvertAndBlendModes)
{
	Canvas canvas(10, 10, make_color(200, 100, 40));
	canvas.view->SetDrawingMode(B_OP_INVERT);
	canvas.view->SetHighColor(128, 128, 128, 128);
	canvas.view->FillRect(BRect(0, 0, 4, 9));
	canvas.view->SetDrawingMode(B_OP_BLEND);
	canvas.view->SetHighColor(0, 0, 0, 128);
	canvas.view->FillRect(BRect(5, 0, 9, 4));
	canvas.view->SetDrawingMode(B_OP_COPY);
	canvas.bitmap.Unlock();

	ExpectPixels(canvas.bitmap,
		{{0, 0, make_color(55, 155, 215)}, {4, 9, make_color(55, 155, 215)},
			{9, 9, make_color(200, 100, 40)}});
	// The blend averages with what was there, whatever the colour's alpha.
	ExpectPixels(canvas.bitmap, {{5, 0, make_color(100, 50, 20)}}, 1);
	// B_RGB32 stays opaque after inverting.
	EXPECT_EQ(((const uint8*)canvas.bitmap.Bits())[3], 255);

	Canvas twice(8, 8, make_color(10, 20, 30));
	twice.view->SetDrawingMode(B_OP_INVERT);
	twice.view->StrokeRect(BRect(1, 1, 6, 6));
	twice.view->StrokeRect(BRect(1, 1, 6, 6));
	twice.bitmap.Unlock();
	for (int i = 0; i < 8; i++)
		ExpectPixels(twice.bitmap, {{i, 1, make_color(10, 20, 30)}});
}


TEST(BitmapViewTest, DrawBitmapScalesASourceRectangle)
{
	std::unique_ptr<BBitmap> source = MakeQuadrants(8);
	Canvas canvas(16, 16, kBlack);
	// The bottom-right quarter (white) and the part left of it (blue),
	// scaled four times into the canvas' top half.
	canvas.view->DrawBitmap(source.get(), BRect(0, 4, 7, 5), BRect(0, 0, 15, 7));
	canvas.bitmap.Unlock();
	ExpectPixels(canvas.bitmap,
		{{1, 1, kBlue}, {6, 6, kBlue}, {10, 1, kWhite}, {15, 7, kWhite}, {3, 8, kBlack},
			{12, 15, kBlack}});

	// Source (-4, -4)-(3, 3) at scale 1: the image lands in the lower right
	// and the rest keeps the background.
	source = MakeQuadrants(4);
	Canvas outside(8, 8, make_color(64, 64, 64));
	outside.view->DrawBitmap(source.get(), BRect(-4, -4, 3, 3), BRect(0, 0, 7, 7));
	outside.bitmap.Unlock();
	ExpectPixels(outside.bitmap,
		{{0, 0, make_color(64, 64, 64)}, {3, 3, make_color(64, 64, 64)}, {4, 4, kRed},
			{7, 7, kWhite}});
}


TEST(BitmapViewTest, DrawBitmapReducesLargeImagesSmoothly)
{
	// 1000 x 1000 pixels whose columns alternate black and white reduce to
	// an even grey; only the canvas' part is computed.
	std::unique_ptr<BBitmap> source = MakeBitmap(1000, 1000,
		[](int x, int) { return x % 2 == 0 ? kBlack : kWhite; });
	Canvas canvas(10, 10, kRed);
	canvas.view->DrawBitmap(source.get(), source->Bounds(), BRect(0, 0, 9, 9));
	canvas.bitmap.Unlock();
	for (int i = 0; i < 10; i += 3)
		ExpectPixels(canvas.bitmap, {{i, i, make_color(128, 128, 128)}}, 4);
}


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
	ExpectPixels(canvas.bitmap,
		{{5, 5, yellow}, {6, 6, yellow}, {7, 7, kBlack}, {4, 4, kBlack}});
	EXPECT_EQ(canvas.bitmap.FindView("child"), child);
	EXPECT_EQ(child->Parent(), canvas.view);
	EXPECT_EQ(canvas.view->Parent(), nullptr);
}


TEST(BitmapViewTest, DrawingNeedsTheLock)
{
	BBitmap bitmap(BRect(0, 0, 3, 3), B_RGB32, true);
	BView* view = new BView(bitmap.Bounds(), "view", B_FOLLOW_NONE, 0);
	bitmap.AddChild(view);
	view->SetHighColor(kWhite);
	view->FillRect(view->Bounds());
	ExpectPixels(bitmap, {{0, 0, kBlack}});

	ASSERT_TRUE(bitmap.Lock());
	EXPECT_TRUE(bitmap.IsLocked());
	view->FillRect(view->Bounds());
	view->Sync();
	ExpectPixels(bitmap, {{3, 3, kWhite}});
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
	font_height height;
	canvas.view->GetFontHeight(&height);
	ASSERT_GT(height.ascent, 5);
	canvas.view->SetHighColor(kBlack);
	canvas.view->DrawString("HH", BPoint(2, 20));
	EXPECT_FLOAT_EQ(canvas.view->PenLocation().x, 2 + canvas.view->StringWidth("HH"));
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
