// Pictures recorded on views and played back, picture buttons pressed and
// clicked, and view bitmaps at their natural size.
#include <atomic>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QTimer>

#include <Bitmap.h>
#include <Message.h>
#include <Picture.h>
#include <PictureButton.h>
#include <View.h>
#include <Window.h>

#include "TestHooks.h"
#include "InterfaceTestSupport.h"

using glim_test::CloseWindow;
using glim_test::PixelAt;
using glim_test::Receiver;

namespace {

rgb_color
Pattern(int x, int y)
{
	return make_color((uint8)(x * 6), (uint8)(y * 6), (uint8)((x * y) % 251));
}


std::unique_ptr<BBitmap>
MakePattern(int width, int height)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, width - 1, height - 1), B_RGB32);
	for (int y = 0; y < height; y++) {
		uint8* row = (uint8*)bitmap->Bits() + y * bitmap->BytesPerRow();
		for (int x = 0; x < width; x++) {
			rgb_color color = Pattern(x, y);
			row[x * 4] = color.blue;
			row[x * 4 + 1] = color.green;
			row[x * 4 + 2] = color.red;
			row[x * 4 + 3] = 255;
		}
	}
	return bitmap;
}


std::unique_ptr<BBitmap>
MakeSolid(int size, rgb_color color)
{
	auto bitmap = std::make_unique<BBitmap>(BRect(0, 0, size - 1, size - 1), B_RGB32);
	for (int i = 0; i < size * size; i++) {
		uint8* pixel = (uint8*)bitmap->Bits() + i * 4;
		pixel[0] = color.blue;
		pixel[1] = color.green;
		pixel[2] = color.red;
		pixel[3] = 255;
	}
	return bitmap;
}


// A locked off-screen bitmap with one view covering it, filled white.
struct Canvas {
	Canvas(int width, int height) :
		bitmap(BRect(0, 0, width - 1, height - 1), B_RGB32, true),
		view(new BView(bitmap.Bounds(), "canvas", B_FOLLOW_NONE, B_WILL_DRAW))
	{
		bitmap.AddChild(view);
		bitmap.Lock();
		view->SetHighColor(255, 255, 255);
		view->FillRect(view->Bounds());
	}
	~Canvas() { bitmap.Unlock(); }

	rgb_color Pixel(int x, int y)
	{
		view->Sync();
		return PixelAt(bitmap, x, y);
	}

	BBitmap bitmap;
	BView* view;
};


// Records a picture of the bitmap at the view's origin, as the toolbar
// makes its buttons' pictures.
BPicture*
RecordBitmap(BView* view, const BBitmap* bitmap)
{
	view->BeginPicture(new BPicture);
	view->DrawBitmap(bitmap, BPoint(0, 0));
	return view->EndPicture();
}


} // namespace


TEST(PictureTest, RecordedBitmapDrawsTheSamePixels)
{
	Canvas canvas(60, 60);
	std::unique_ptr<BBitmap> source = MakePattern(40, 40);
	std::unique_ptr<BPicture> picture(RecordBitmap(canvas.view, source.get()));
	ASSERT_NE(picture, nullptr);
	// Recording drew nothing, and the picture keeps its own pixels.
	EXPECT_EQ(canvas.Pixel(0, 0), make_color(255, 255, 255));
	EXPECT_EQ(canvas.Pixel(20, 20), make_color(255, 255, 255));
	source.reset();

	BPicture copy(*picture);
	picture.reset();
	canvas.view->DrawPicture(&copy, BPoint(10, 5));
	for (int y = 0; y < 40; y += 3) {
		for (int x = 0; x < 40; x += 3) {
			SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
			EXPECT_EQ(canvas.Pixel(x + 10, y + 5), Pattern(x, y));
		}
	}
	EXPECT_EQ(canvas.Pixel(39 + 10, 39 + 5), Pattern(39, 39));
	EXPECT_EQ(canvas.Pixel(50, 5), make_color(255, 255, 255));
	EXPECT_EQ(canvas.Pixel(10, 45), make_color(255, 255, 255));
}


TEST(PictureTest, FillsStringsAndNestedPictures)
{
	Canvas canvas(60, 40);
	BView* view = canvas.view;
	view->BeginPicture(new BPicture);
	view->SetHighColor(200, 0, 0);
	view->FillRect(BRect(0, 0, 9, 9));
	view->BeginPicture(new BPicture);
	view->SetHighColor(0, 0, 200);
	view->FillRect(BRect(20, 0, 29, 9));
	std::unique_ptr<BPicture> inner(view->EndPicture());
	view->SetHighColor(0, 0, 0);
	view->DrawString("Wg", BPoint(0, 30));
	std::unique_ptr<BPicture> outer(view->EndPicture());
	EXPECT_EQ(view->EndPicture(), nullptr);
	EXPECT_EQ(canvas.Pixel(5, 5), make_color(255, 255, 255));

	view->DrawPicture(outer.get(), BPoint(2, 1));
	EXPECT_EQ(canvas.Pixel(2, 1), make_color(200, 0, 0));
	EXPECT_EQ(canvas.Pixel(11, 10), make_color(200, 0, 0));
	EXPECT_EQ(canvas.Pixel(12, 11), make_color(255, 255, 255));
	// The inner picture is part of the outer one, and stands alone too.
	EXPECT_EQ(canvas.Pixel(22, 1), make_color(0, 0, 200));
	int dark = 0;
	for (int y = 15; y < 34; y++) {
		for (int x = 2; x < 30; x++)
			dark += canvas.Pixel(x, y).red < 100 ? 1 : 0;
	}
	EXPECT_GT(dark, 10);

	view->SetHighColor(255, 255, 255);
	view->FillRect(view->Bounds());
	view->MovePenTo(BPoint(0, 20));
	view->DrawPicture(inner.get());
	EXPECT_EQ(canvas.Pixel(20, 20), make_color(0, 0, 200));
	EXPECT_EQ(canvas.Pixel(5, 25), make_color(255, 255, 255));
}


TEST(PictureTest, ViewBitmapWithoutOptionsSitsTopLeftAtNaturalSize)
{
	// As the about window sets its pictures: follow flags 0, options 0.
	std::unique_ptr<BBitmap> logo = MakeSolid(10, make_color(0, 90, 0));

	BWindow* window = new BWindow(BRect(100, 100, 149, 119), "about", B_TITLED_WINDOW, 0);
	BView* shown = new BView(BRect(0, 0, 49, 19), "Fenwix Logo", 0, 0);
	shown->SetViewColor(216, 216, 216);
	shown->SetViewBitmap(logo.get(), 0, 0);
	logo.reset();
	window->AddChild(shown);
	window->Show();
	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(window);
	ASSERT_TRUE(shot);
	EXPECT_EQ(PixelAt(*shot, 0, 0), make_color(0, 90, 0));
	EXPECT_EQ(PixelAt(*shot, 9, 9), make_color(0, 90, 0));
	EXPECT_EQ(PixelAt(*shot, 10, 5), make_color(216, 216, 216));
	EXPECT_EQ(PixelAt(*shot, 5, 10), make_color(216, 216, 216));
	EXPECT_EQ(PixelAt(*shot, 45, 15), make_color(216, 216, 216));
	CloseWindow(window);
}


TEST(PictureButtonTest, ShowsOnPictureWhilePressedAndInvokesItsTarget)
{
	Receiver* window = new Receiver("receiver", BRect(100, 100, 199, 149));
	Receiver* other = new Receiver("receiver", BRect(300, 100, 399, 149));
	BView* toolbar = new BView(BRect(0, 0, 99, 49), "tbview", 0, B_WILL_DRAW);
	window->AddChild(toolbar);
	std::unique_ptr<BBitmap> up = MakeSolid(40, make_color(220, 30, 30));
	std::unique_ptr<BBitmap> down = MakeSolid(40, make_color(30, 30, 220));
	window->Show();
	other->Show();

	window->Lock();
	std::unique_ptr<BPicture> off(RecordBitmap(toolbar, up.get()));
	std::unique_ptr<BPicture> on(RecordBitmap(toolbar, down.get()));
	BPictureButton* button = new BPictureButton(BRect(10, 5, 49, 44), "GOpenBtn", off.get(),
		on.get(), new BMessage('BPrv'));
	off.reset();
	on.reset();
	toolbar->AddChild(button);
	EXPECT_EQ(button->Target(), window);
	window->Unlock();

	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(window);
	ASSERT_TRUE(shot);
	EXPECT_EQ(PixelAt(*shot, 12, 7), make_color(220, 30, 30));
	EXPECT_EQ(PixelAt(*shot, 49, 44), make_color(220, 30, 30));
	EXPECT_NE(PixelAt(*shot, 50, 44), make_color(220, 30, 30));

	// Held down for a while, then released inside: the window is grabbed
	// from a timer while the button tracks the pointer.
	window->Lock();
	BPoint screen = button->ConvertToScreen(BPoint(20, 20));
	for (int i = 0; i < 20; i++)
		BPrivate::push_pointer_state(screen, B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(screen, 0);
	BPrivate::simulate_mouse_down(button, BPoint(20, 20), B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	rgb_color whilePressed = make_color(0, 0, 0);
	QTimer::singleShot(150, [&]() {
		std::unique_ptr<BBitmap> pressed = BPrivate::grab_window(window);
		if (pressed)
			whilePressed = PixelAt(*pressed, 20, 20);
	});
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->count == 1; }));
	EXPECT_EQ(whilePressed, make_color(30, 30, 220));
	EXPECT_EQ(window->received[0].what, (uint32)'BPrv');
	shot = BPrivate::grab_window(window);
	EXPECT_EQ(PixelAt(*shot, 20, 20), make_color(220, 30, 30));

	// Released outside: nothing is sent. Then aimed at another window.
	window->Lock();
	BPrivate::push_pointer_state(screen, B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(screen + BPoint(100, 0), 0);
	BPrivate::simulate_mouse_down(button, BPoint(20, 20), B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	BPrivate::run_events_until([]() { return false; }, 150000);
	EXPECT_EQ(window->count, 1);
	window->Lock();
	button->SetTarget(other);
	BPrivate::push_pointer_state(screen, 0);
	BPrivate::simulate_mouse_down(button, BPoint(20, 20), B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return other->count == 1; }));
	EXPECT_EQ(other->received[0].what, (uint32)'BPrv');
	EXPECT_EQ(window->count, 1);
	BPrivate::clear_pointer_script();
	CloseWindow(window);
	CloseWindow(other);
}


TEST(PictureButtonTest, TwoStateButtonTogglesItsValue)
{
	Canvas canvas(40, 40);
	std::unique_ptr<BBitmap> up = MakeSolid(20, make_color(220, 30, 30));
	std::unique_ptr<BBitmap> down = MakeSolid(20, make_color(30, 30, 220));
	std::unique_ptr<BPicture> off(RecordBitmap(canvas.view, up.get()));
	std::unique_ptr<BPicture> on(RecordBitmap(canvas.view, down.get()));
	Receiver* window = new Receiver("receiver", BRect(100, 100, 199, 199));
	BPictureButton* button = new BPictureButton(BRect(0, 0, 19, 19), "toggle", off.get(),
		on.get(), new BMessage('tggl'), B_TWO_STATE_BUTTON);
	window->AddChild(button);
	window->Show();
	window->Lock();
	BPoint screen = button->ConvertToScreen(BPoint(5, 5));
	BPrivate::push_pointer_state(screen, 0);
	BPrivate::simulate_mouse_down(button, BPoint(5, 5), B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->count == 1; }));
	EXPECT_EQ(window->received[0].GetInt32("be:value", -1), B_CONTROL_ON);
	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(window);
	EXPECT_EQ(PixelAt(*shot, 10, 10), make_color(30, 30, 220));

	window->Lock();
	button->MakeFocus(true);
	BPrivate::simulate_key_down(window, " ");
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->count == 2; }));
	EXPECT_EQ(window->received[1].GetInt32("be:value", -1), B_CONTROL_OFF);
	window->Lock();
	EXPECT_EQ(button->Value(), B_CONTROL_OFF);
	window->Unlock();
	CloseWindow(window);
}
