// Drawing into off-screen bitmaps through attached views: the drawing
// modes, inclusive rectangles and bitmap scaling, checked pixel by pixel.
#include <memory>

#include <gtest/gtest.h>

#include <Bitmap.h>
#include <View.h>

namespace {

rgb_color
PixelAt(const BBitmap& bitmap, int x, int y)
{
	const uint8* row = (const uint8*)bitmap.Bits() + y * bitmap.BytesPerRow();
	const uint8* pixel = row + x * 4;
	return make_color(pixel[2], pixel[1], pixel[0], pixel[3]);
}


void
ExpectColor(const BBitmap& bitmap, int x, int y, uint8 red, uint8 green, uint8 blue,
	int tolerance = 0)
{
	rgb_color color = PixelAt(bitmap, x, y);
	SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
	EXPECT_NEAR(color.red, red, tolerance);
	EXPECT_NEAR(color.green, green, tolerance);
	EXPECT_NEAR(color.blue, blue, tolerance);
}


// A locked bitmap with one view covering it.
struct Canvas {
	Canvas(int width, int height, color_space space = B_RGB32) :
		bitmap(BRect(0, 0, width - 1, height - 1), space, true),
		view(new BView(bitmap.Bounds(), "canvas", B_FOLLOW_NONE, B_WILL_DRAW))
	{
		bitmap.AddChild(view);
		bitmap.Lock();
	}
	~Canvas()
	{
		if (bitmap.IsLocked())
			bitmap.Unlock();
	}

	void Fill(uint8 red, uint8 green, uint8 blue)
	{
		view->SetHighColor(red, green, blue);
		view->FillRect(view->Bounds());
	}

	BBitmap bitmap;
	BView* view;
};


std::unique_ptr<BBitmap>
MakeQuadrants(int size)
{
	// Four colours in the quarters: red, green / blue, white.
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, size - 1, size - 1), B_RGB32);
	for (int y = 0; y < size; y++) {
		uint8* row = (uint8*)bitmap->Bits() + y * bitmap->BytesPerRow();
		for (int x = 0; x < size; x++) {
			bool right = x >= size / 2;
			bool bottom = y >= size / 2;
			rgb_color color = !bottom
				? (right ? make_color(0, 255, 0) : make_color(255, 0, 0))
				: (right ? make_color(255, 255, 255) : make_color(0, 0, 255));
			row[x * 4] = color.blue;
			row[x * 4 + 1] = color.green;
			row[x * 4 + 2] = color.red;
			row[x * 4 + 3] = 255;
		}
	}
	return bitmap;
}

} // namespace


TEST(BitmapViewTest, FillAndStrokeRectsAreInclusive)
{
	Canvas canvas(20, 20);
	canvas.Fill(0, 0, 0);
	canvas.view->SetHighColor(255, 0, 0);
	canvas.view->FillRect(BRect(2, 3, 4, 5));
	canvas.view->SetHighColor(0, 0, 255);
	canvas.view->StrokeRect(BRect(10, 10, 19, 19));
	canvas.bitmap.Unlock();

	ExpectColor(canvas.bitmap, 2, 3, 255, 0, 0);
	ExpectColor(canvas.bitmap, 4, 5, 255, 0, 0);
	ExpectColor(canvas.bitmap, 5, 5, 0, 0, 0);
	ExpectColor(canvas.bitmap, 4, 6, 0, 0, 0);
	ExpectColor(canvas.bitmap, 1, 3, 0, 0, 0);
	// The outline covers pixels 10 to 19 on both axes, nothing inside.
	ExpectColor(canvas.bitmap, 10, 10, 0, 0, 255);
	ExpectColor(canvas.bitmap, 19, 19, 0, 0, 255);
	ExpectColor(canvas.bitmap, 19, 14, 0, 0, 255);
	ExpectColor(canvas.bitmap, 14, 19, 0, 0, 255);
	ExpectColor(canvas.bitmap, 11, 11, 0, 0, 0);
	ExpectColor(canvas.bitmap, 9, 10, 0, 0, 0);
}


TEST(BitmapViewTest, LinesIncludeBothEnds)
{
	Canvas canvas(12, 12);
	canvas.Fill(0, 0, 0);
	canvas.view->SetHighColor(0, 255, 0);
	canvas.view->StrokeLine(BPoint(1, 2), BPoint(8, 2));
	canvas.view->MovePenTo(BPoint(5, 4));
	canvas.view->StrokeLine(BPoint(5, 9));
	canvas.bitmap.Unlock();

	ExpectColor(canvas.bitmap, 1, 2, 0, 255, 0);
	ExpectColor(canvas.bitmap, 8, 2, 0, 255, 0);
	ExpectColor(canvas.bitmap, 9, 2, 0, 0, 0);
	ExpectColor(canvas.bitmap, 0, 2, 0, 0, 0);
	ExpectColor(canvas.bitmap, 5, 4, 0, 255, 0);
	ExpectColor(canvas.bitmap, 5, 9, 0, 255, 0);
	ExpectColor(canvas.bitmap, 5, 10, 0, 0, 0);
}


TEST(BitmapViewTest, InvertAndBlendModes)
{
	Canvas canvas(10, 10);
	canvas.Fill(200, 100, 40);
	canvas.view->SetDrawingMode(B_OP_INVERT);
	canvas.view->SetHighColor(128, 128, 128, 128);
	canvas.view->FillRect(BRect(0, 0, 4, 9));
	canvas.view->SetDrawingMode(B_OP_BLEND);
	canvas.view->SetHighColor(0, 0, 0, 128);
	canvas.view->FillRect(BRect(5, 0, 9, 4));
	canvas.view->SetDrawingMode(B_OP_COPY);
	canvas.bitmap.Unlock();

	ExpectColor(canvas.bitmap, 0, 0, 55, 155, 215);
	ExpectColor(canvas.bitmap, 4, 9, 55, 155, 215);
	// The blend averages with what was there, whatever the colour's alpha.
	ExpectColor(canvas.bitmap, 5, 0, 100, 50, 20, 1);
	ExpectColor(canvas.bitmap, 9, 9, 200, 100, 40);
	// B_RGB32 stays opaque after inverting.
	EXPECT_EQ(PixelAt(canvas.bitmap, 0, 0).alpha, 255);
}


TEST(BitmapViewTest, InvertingTwiceRestores)
{
	Canvas canvas(8, 8);
	canvas.Fill(10, 20, 30);
	canvas.view->SetDrawingMode(B_OP_INVERT);
	canvas.view->StrokeRect(BRect(1, 1, 6, 6));
	canvas.view->StrokeRect(BRect(1, 1, 6, 6));
	canvas.bitmap.Unlock();
	for (int i = 0; i < 8; i++)
		ExpectColor(canvas.bitmap, i, 1, 10, 20, 30);
}


TEST(BitmapViewTest, DrawBitmapScalesASourceRectangle)
{
	std::unique_ptr<BBitmap> source = MakeQuadrants(8);
	Canvas canvas(16, 16);
	canvas.Fill(0, 0, 0);
	// The bottom-right quarter (white) and the part left of it (blue),
	// scaled four times into the canvas' top half.
	canvas.view->DrawBitmap(source.get(), BRect(0, 4, 7, 5), BRect(0, 0, 15, 7));
	canvas.bitmap.Unlock();

	ExpectColor(canvas.bitmap, 1, 1, 0, 0, 255);
	ExpectColor(canvas.bitmap, 6, 6, 0, 0, 255);
	ExpectColor(canvas.bitmap, 10, 1, 255, 255, 255);
	ExpectColor(canvas.bitmap, 15, 7, 255, 255, 255);
	ExpectColor(canvas.bitmap, 3, 8, 0, 0, 0);
	ExpectColor(canvas.bitmap, 12, 15, 0, 0, 0);
}


TEST(BitmapViewTest, DrawBitmapReducesLargeImagesSmoothly)
{
	// 1000 x 1000 pixels whose columns alternate black and white reduce to
	// an even grey; only the canvas' part is computed.
	BBitmap source(BRect(0, 0, 999, 999), B_RGB32);
	for (int y = 0; y < 1000; y++) {
		uint32* row = (uint32*)((uint8*)source.Bits() + y * source.BytesPerRow());
		for (int x = 0; x < 1000; x++)
			row[x] = (x % 2 == 0) ? 0xff000000 : 0xffffffff;
	}
	Canvas canvas(10, 10);
	canvas.Fill(255, 0, 0);
	canvas.view->DrawBitmap(&source, source.Bounds(), BRect(0, 0, 9, 9));
	canvas.bitmap.Unlock();
	for (int i = 0; i < 10; i += 3)
		ExpectColor(canvas.bitmap, i, i, 128, 128, 128, 4);
}


TEST(BitmapViewTest, SourceOutsideTheImageLeavesTheBackground)
{
	std::unique_ptr<BBitmap> source = MakeQuadrants(4);
	Canvas canvas(8, 8);
	canvas.Fill(64, 64, 64);
	// Source (-4, -4)-(3, 3) at scale 1: the image lands in the lower right.
	canvas.view->DrawBitmap(source.get(), BRect(-4, -4, 3, 3), BRect(0, 0, 7, 7));
	canvas.bitmap.Unlock();
	ExpectColor(canvas.bitmap, 0, 0, 64, 64, 64);
	ExpectColor(canvas.bitmap, 3, 3, 64, 64, 64);
	ExpectColor(canvas.bitmap, 4, 4, 255, 0, 0);
	ExpectColor(canvas.bitmap, 7, 7, 255, 255, 255);
}


TEST(BitmapViewTest, ChildViewsDrawAtTheirPlaceAndScrollOffset)
{
	Canvas canvas(20, 20);
	canvas.Fill(0, 0, 0);
	BView* child = new BView(BRect(5, 5, 14, 14), "child", B_FOLLOW_NONE, B_WILL_DRAW);
	canvas.view->AddChild(child);
	child->ScrollTo(BPoint(100, 100));
	child->SetHighColor(255, 255, 0);
	// (100, 100) in the child's scrolled coordinates is its top-left pixel;
	// what falls outside the child is clipped.
	child->FillRect(BRect(98, 98, 101, 101));
	canvas.bitmap.Unlock();

	ExpectColor(canvas.bitmap, 5, 5, 255, 255, 0);
	ExpectColor(canvas.bitmap, 6, 6, 255, 255, 0);
	ExpectColor(canvas.bitmap, 7, 7, 0, 0, 0);
	ExpectColor(canvas.bitmap, 4, 4, 0, 0, 0);
	EXPECT_EQ(canvas.bitmap.FindView("child"), child);
	EXPECT_EQ(child->Parent(), canvas.view);
	EXPECT_EQ(canvas.view->Parent(), nullptr);
}


TEST(BitmapViewTest, DrawingNeedsTheLock)
{
	BBitmap bitmap(BRect(0, 0, 3, 3), B_RGB32, true);
	BView* view = new BView(bitmap.Bounds(), "view", B_FOLLOW_NONE, 0);
	bitmap.AddChild(view);
	view->SetHighColor(255, 255, 255);
	view->FillRect(view->Bounds());
	ExpectColor(bitmap, 0, 0, 0, 0, 0);

	ASSERT_TRUE(bitmap.Lock());
	EXPECT_TRUE(bitmap.IsLocked());
	view->FillRect(view->Bounds());
	view->Sync();
	ExpectColor(bitmap, 3, 3, 255, 255, 255);
	bitmap.Unlock();
	EXPECT_FALSE(bitmap.IsLocked());

	BBitmap plain(BRect(0, 0, 3, 3), B_RGB32);
	EXPECT_FALSE(plain.Lock());
	plain.AddChild(new BView(plain.Bounds(), "refused", B_FOLLOW_NONE, 0));
	EXPECT_EQ(plain.CountChildren(), 0);
}


TEST(BitmapViewTest, RemovedViewsBelongToTheCaller)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, 3, 3), B_RGB32, true);
	BView* kept = new BView(bitmap->Bounds(), "kept", B_FOLLOW_NONE, 0);
	bitmap->AddChild(kept);
	bitmap->AddChild(new BView(bitmap->Bounds(), "owned", B_FOLLOW_NONE, 0));
	EXPECT_EQ(bitmap->CountChildren(), 2);
	EXPECT_TRUE(bitmap->RemoveChild(kept));
	EXPECT_EQ(bitmap->CountChildren(), 1);
	bitmap.reset();
	delete kept;
}


TEST(BitmapViewTest, StringsDrawOnTheirBaseline)
{
	Canvas canvas(60, 30);
	canvas.Fill(255, 255, 255);
	font_height height;
	canvas.view->GetFontHeight(&height);
	ASSERT_GT(height.ascent, 5);
	canvas.view->SetHighColor(0, 0, 0);
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
