// Picture buttons, with pictures recorded from bitmaps as the toolbar makes
// them: pressed, clicked and toggled.
#include <QTimer>

#include <Picture.h>
#include <PictureButton.h>

#include "BitmapPrivate.h"
#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

const rgb_color kUp = make_color(220, 30, 30);
const rgb_color kDown = make_color(30, 30, 220);


// A picture button whose off and on pictures are solid squares of its
// size, recorded from bitmaps at the recorder's origin as the toolbar
// records its buttons' pictures.
BPictureButton*
MakeButton(BView* recorder, BRect frame, BMessage* message, uint32 behavior)
{
	std::unique_ptr<BPicture> pictures[2];
	for (int i = 0; i < 2; i++) {
		BBitmap solid(BRect(0, 0, frame.Width(), frame.Height()), B_RGB32);
		rgb_color color = i == 0 ? kUp : kDown;
		BPrivate::bitmap_image(&solid).fill(qRgb(color.red, color.green, color.blue));
		recorder->BeginPicture(new BPicture);
		recorder->DrawBitmap(&solid, BPoint(0, 0));
		pictures[i].reset(recorder->EndPicture());
	}
	return new BPictureButton(frame, "button", pictures[0].get(), pictures[1].get(), message,
		behavior);
}

} // namespace


TEST(PictureButtonTest, OneStateShowsOnPictureWhilePressedTwoStateToggles)
{
	Receiver* window = new Receiver("receiver", BRect(100, 100, 199, 149));
	BView* toolbar = new BView(BRect(0, 0, 99, 49), "tbview", 0, B_WILL_DRAW);
	ShowWith(window, {toolbar});

	window->Lock();
	BPictureButton* button = MakeButton(toolbar, BRect(10, 5, 49, 44), new BMessage('BPrv'),
		B_ONE_STATE_BUTTON);
	BPictureButton* toggle = MakeButton(toolbar, BRect(70, 5, 89, 24), new BMessage('tggl'),
		B_TWO_STATE_BUTTON);
	toolbar->AddChild(button);
	toolbar->AddChild(toggle);
	EXPECT_EQ(button->Target(), window);
	window->Unlock();

	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(window);
	ASSERT_TRUE(shot);
	EXPECT_EQ(PixelAt(*shot, 12, 7), kUp);
	EXPECT_EQ(PixelAt(*shot, 49, 44), kUp);
	EXPECT_NE(PixelAt(*shot, 50, 44), kUp);

	// Held down for a while, then released inside: the window is grabbed
	// from a timer while the button tracks the pointer.
	PressAndRelease(button, BPoint(20, 20), 20);
	rgb_color whilePressed = make_color(0, 0, 0);
	QTimer::singleShot(150, [&]() { whilePressed = GrabbedPixel(window, 20, 20); });
	ASSERT_TRUE(window->WaitFor(1));
	EXPECT_EQ(whilePressed, kDown);
	EXPECT_EQ(window->received[0].what, (uint32)'BPrv');
	EXPECT_EQ(GrabbedPixel(window, 20, 20), kUp);

	// Released outside: nothing is sent.
	PressAndRelease(button, BPoint(20, 20), 1, BPoint(100, 0));
	Settle(150000);
	EXPECT_EQ(window->count, 1);
	BPrivate::clear_pointer_script();

	// The two-state button turns on with a click, stays showing its on
	// picture, and turns off with space.
	PressAndRelease(toggle, BPoint(5, 5), 0);
	ASSERT_TRUE(window->WaitFor(2));
	EXPECT_EQ(window->Fields("be:value"), (FieldList{{'BPrv', 0}, {'tggl', B_CONTROL_ON}}));
	EXPECT_EQ(GrabbedPixel(window, 80, 15), kDown);
	PressKeys(window, {" "}, toggle);
	ASSERT_TRUE(window->WaitFor(3));
	EXPECT_EQ(window->Fields("be:value"),
		(FieldList{{'BPrv', 0}, {'tggl', B_CONTROL_ON}, {'tggl', B_CONTROL_OFF}}));
	window->Lock();
	EXPECT_EQ(toggle->Value(), B_CONTROL_OFF);
	window->Unlock();
	CloseWindow(window);
}
