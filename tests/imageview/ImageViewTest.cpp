#include "imageview/ImageView.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <Bitmap.h>
#include <Message.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "app/Commands.h"
#include "TestHooks.h"
#include "TestSupport.h"

namespace {

// A window holding an image view in a scroll view with both bars, that
// records the commands the view posts to it.
class ImageWindow : public BWindow {
public:
	ImageWindow(BRect viewFrame) :
		BWindow(BRect(100, 100, 100 + viewFrame.right + 16, 100 + viewFrame.bottom + 16),
			"image", B_TITLED_WINDOW, 0)
	{
		fView = new BImageView(viewFrame);
		AddChild(new BScrollView("ImageScroll", fView, B_FOLLOW_ALL, B_WILL_DRAW, true, true,
			B_FANCY_BORDER));
	}

	void MessageReceived(BMessage* message) override
	{
		switch (message->what) {
			case MSG_ZOOM_IN:
			case MSG_ZOOM_OUT:
			case MSG_NEXT_IMAGE:
			case MSG_PREV_IMAGE:
				fCommands.push_back(message->what);
				break;
			default:
				BWindow::MessageReceived(message);
		}
	}

	BImageView* fView;
	std::vector<uint32> fCommands;
};

class ImageViewTest : public testing::Test {
protected:
	void SetUp() override
	{
		BPrivate::set_alert_responder([this](const std::string&, const std::string& text,
										  const std::vector<std::string>&) {
			fAlerts.push_back(text);
			return 0;
		});
	}

	void TearDown() override
	{
		BPrivate::set_alert_responder(nullptr);
		BPrivate::clear_pointer_script();
		if (fWindow != NULL && fWindow->Lock())
			fWindow->Quit();
	}

	// A window whose image view has the given bounds (inclusive extents).
	BImageView* Open(float width, float height)
	{
		fWindow = new ImageWindow(BRect(0, 0, width, height));
		fWindow->Show();
		fWindow->Lock();
		return fWindow->fView;
	}

	std::string Image(const char* name, int width, int height, unsigned color = 0x3080c0,
		unsigned leftColor = 0xffffffff)
	{
		std::string path = fDir / name;
		EXPECT_TRUE(glim_test::WriteImage(path, width, height, color, 0, leftColor));
		return path;
	}

	// Runs a tracking loop: the pointer moves through the given view points
	// with the button held, then is released at the last one.
	void Track(BImageView* view, uint32 button, BPoint start, std::vector<BPoint> moves)
	{
		for (BPoint point : moves)
			BPrivate::push_pointer_state(view->ConvertToScreen(point), button);
		BPrivate::push_pointer_state(view->ConvertToScreen(moves.back()), 0);
		BPrivate::simulate_mouse_down(view, start, button);
		fWindow->Unlock();
		BPrivate::run_events_until([] { return false; }, 300000);
		fWindow->Lock();
	}

	glim_test::TempDir fDir{"imageview"};
	ImageWindow* fWindow = NULL;
	std::vector<std::string> fAlerts;
};

rgb_color
pixel(const BBitmap* shot, int x, int y)
{
	const uint8* bits = (const uint8*)shot->Bits() + y * shot->BytesPerRow() + x * 4;
	return make_color(bits[2], bits[1], bits[0]);
}

} // namespace

TEST_F(ImageViewTest, FitKeepingProportionsCentresTheImage)
{
	BImageView* view = Open(200, 200);
	view->SetResizeOptions(true, true);
	ASSERT_TRUE(view->SetImage(Image("wide.png", 101, 51).c_str()));
	EXPECT_FLOAT_EQ(view->ScaleX(), 2.0f);
	EXPECT_FLOAT_EQ(view->ScaleY(), 2.0f);
	float sx, sy, offX, offY;
	view->GetMapping(sx, sy, offX, offY);
	EXPECT_FLOAT_EQ(offX, 0);
	EXPECT_FLOAT_EQ(offY, 50);

	// Without proportions each axis fills the view.
	view->SetResizeOptions(true, false);
	EXPECT_FLOAT_EQ(view->ScaleX(), 2.0f);
	EXPECT_FLOAT_EQ(view->ScaleY(), 4.0f);
}

TEST_F(ImageViewTest, OnePixelWideImagesFitWithoutDividingByZero)
{
	BImageView* view = Open(200, 200);
	view->SetResizeOptions(true, true);
	ASSERT_TRUE(view->SetImage(Image("line.png", 1, 101).c_str()));
	EXPECT_TRUE(std::isfinite(view->ScaleX()));
	EXPECT_FLOAT_EQ(view->ScaleY(), 2.0f);
	float width = -1, height = -1;
	EXPECT_TRUE(view->GetSize(width, height));
	EXPECT_FLOAT_EQ(width, 0);
	EXPECT_FLOAT_EQ(height, 200);
	float sx, sy, offX, offY;
	view->GetMapping(sx, sy, offX, offY);
	EXPECT_FLOAT_EQ(offX, 100);

	// Drawing it shows the column in the middle over the grey background.
	fWindow->Unlock();
	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(fWindow);
	fWindow->Lock();
	ASSERT_TRUE(shot);
	BPoint middle = view->ConvertToScreen(BPoint(100, 100)) - fWindow->Frame().LeftTop();
	EXPECT_EQ(pixel(shot.get(), (int)middle.x, (int)middle.y), make_color(0x30, 0x80, 0xc0));
	EXPECT_EQ(pixel(shot.get(), (int)middle.x - 20, (int)middle.y), make_color(64, 64, 64));
}

TEST_F(ImageViewTest, ZoomLimitsAndCentring)
{
	BImageView* view = Open(300, 200);
	ASSERT_TRUE(view->SetImage(Image("small.png", 101, 51).c_str()));
	struct {
		float zoom;
		bool accepted;
	} cases[] = {{0.01f, true}, {16.0f, true}, {0.0099f, false}, {16.01f, false}, {NAN, false},
		{1.5f, true}};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.zoom);
		float before;
		view->GetZoom(before);
		EXPECT_EQ(view->SetZoom(test.zoom), test.accepted);
		float after;
		view->GetZoom(after);
		EXPECT_EQ(after, test.accepted ? test.zoom : before);
	}
	// Narrower than the view: equal margins. Wider: starts at the left.
	view->SetZoom(1.0f);
	float sx, sy, offX, offY;
	view->GetMapping(sx, sy, offX, offY);
	EXPECT_FLOAT_EQ(offX, 100);
	EXPECT_FLOAT_EQ(offY, 75);
	view->SetZoom(4.0f);
	view->GetMapping(sx, sy, offX, offY);
	EXPECT_FLOAT_EQ(offX, 0);
	float min, max;
	view->ScrollBar(B_HORIZONTAL)->GetRange(&min, &max);
	EXPECT_FLOAT_EQ(max, 400 - 300);
}

TEST_F(ImageViewTest, FailuresAreReportedWithTheirTexts)
{
	BImageView* view = Open(100, 100);
	EXPECT_FALSE(view->SetImage((fDir / "missing.png").c_str()));
	glim_test::WriteFile(fDir / "notes.txt", "not an image at all");
	EXPECT_FALSE(view->SetImage((fDir / "notes.txt").c_str()));
	EXPECT_FALSE(view->SetImage(NULL));
	ASSERT_EQ(fAlerts.size(), 2u);
	EXPECT_EQ(fAlerts[0], "File doesn't exist");
	EXPECT_EQ(fAlerts[1], "Failed to translate file");
	float width, height;
	EXPECT_FALSE(view->GetSize(width, height));
}

TEST_F(ImageViewTest, SelectionFollowsThePointerAtZoomTwoAndIsClamped)
{
	BImageView* view = Open(300, 300);
	ASSERT_TRUE(view->SetImage(Image("photo.png", 101, 101).c_str()));
	view->SetZoom(2.0f);
	float sx, sy, offX, offY;
	view->GetMapping(sx, sy, offX, offY);
	ASSERT_FLOAT_EQ(offX, 50);

	// From image (10, 20) to image (30, 45): view = image * 2 + 50.
	Track(view, B_PRIMARY_MOUSE_BUTTON, BPoint(70, 90), {BPoint(80, 100), BPoint(110, 140)});
	BRect selection;
	ASSERT_TRUE(view->GetSelection(selection));
	EXPECT_FLOAT_EQ(selection.left, 10);
	EXPECT_FLOAT_EQ(selection.top, 20);
	EXPECT_FLOAT_EQ(selection.right, 30);
	EXPECT_FLOAT_EQ(selection.bottom, 45);

	// Past the lower right corner the selection ends at the image's extent;
	// starting above and left of the image it starts at 0.
	Track(view, B_PRIMARY_MOUSE_BUTTON, BPoint(10, 10), {BPoint(20, 20), BPoint(290, 295)});
	ASSERT_TRUE(view->GetSelection(selection));
	EXPECT_EQ(selection, BRect(0, 0, 100, 100));

	view->ClearSelection();
	EXPECT_FALSE(view->GetSelection(selection));
}

TEST_F(ImageViewTest, SelectionDraggedUpAndLeftShowsAsDragged)
{
	BImageView* view = Open(200, 200);
	ASSERT_TRUE(view->SetImage(Image("photo.png", 201, 201, 0x000000).c_str()));
	Track(view, B_PRIMARY_MOUSE_BUTTON, BPoint(150, 150), {BPoint(120, 120), BPoint(50, 60)});
	BRect selection;
	ASSERT_TRUE(view->GetSelection(selection));
	EXPECT_EQ(selection, BRect(150, 150, 50, 60));

	fWindow->Unlock();
	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(fWindow);
	fWindow->Lock();
	ASSERT_TRUE(shot);
	BPoint origin = fWindow->Frame().LeftTop();
	BPoint inside = view->ConvertToScreen(BPoint(100, 100)) - origin;
	BPoint outside = view->ConvertToScreen(BPoint(170, 170)) - origin;
	// Black inverted is white inside the rectangle the user dragged.
	EXPECT_GT(pixel(shot.get(), (int)inside.x, (int)inside.y).red, 100);
	EXPECT_EQ(pixel(shot.get(), (int)outside.x, (int)outside.y).red, 0);
}

TEST_F(ImageViewTest, PanningStopsExactlyAtTheEndOfTheRange)
{
	BImageView* view = Open(100, 100);
	ASSERT_TRUE(view->SetImage(Image("big.png", 301, 201).c_str()));
	// The secondary button pans by default: the view moves the way the
	// pointer moves. Dragging right by far more than the range scrolls to
	// the range's end and no further.
	Track(view, B_SECONDARY_MOUSE_BUTTON, BPoint(10, 50),
		{BPoint(40, 50), BPoint(500, 50), BPoint(1000, 60)});
	EXPECT_FLOAT_EQ(view->ScrollBar(B_HORIZONTAL)->Value(), 200);
	EXPECT_FLOAT_EQ(view->Bounds().left, 200);
	EXPECT_FLOAT_EQ(view->ScrollBar(B_VERTICAL)->Value(), 10);
}

TEST_F(ImageViewTest, ArrowKeysScrollAndThePulseStepsTheShow)
{
	BImageView* view = Open(100, 100);
	ASSERT_TRUE(view->SetImage(Image("big.png", 301, 201).c_str()));
	const char arrows[] = {B_RIGHT_ARROW, B_RIGHT_ARROW, B_DOWN_ARROW};
	view->KeyDown(arrows, 3);
	EXPECT_EQ(view->Bounds().LeftTop(), BPoint(20, 10));

	view->Pulse();
	fWindow->Unlock();
	BPrivate::run_events_until([this] { return fWindow->fCommands.size() == 1; });
	fWindow->Lock();
	ASSERT_EQ(fWindow->fCommands.size(), 1u);
	EXPECT_EQ(fWindow->fCommands[0], (uint32)MSG_NEXT_IMAGE);
}

TEST_F(ImageViewTest, AReducedImageIsDrawnFromOneScaledCopyMadeOnce)
{
	BImageView* view = Open(200, 200);
	view->SetResizeOptions(true, true);
	// Left half white, right half blue, fitted at a quarter of its size.
	ASSERT_TRUE(view->SetImage(Image("big.png", 804, 404, 0x3080c0, 0xffffff).c_str()));
	EXPECT_EQ(view->ScaledCopy(), nullptr);

	auto shoot = [this] {
		fWindow->Unlock();
		std::unique_ptr<BBitmap> shot = BPrivate::grab_window(fWindow);
		fWindow->Lock();
		return shot;
	};
	std::unique_ptr<BBitmap> shot = shoot();
	ASSERT_TRUE(shot);
	const BBitmap* scaled = view->ScaledCopy();
	ASSERT_NE(scaled, nullptr);
	float sx, sy, offX, offY;
	view->GetMapping(sx, sy, offX, offY);
	EXPECT_NEAR(scaled->Bounds().Width() + 1, 804 * sx, 1);
	EXPECT_NEAR(scaled->Bounds().Height() + 1, 404 * sy, 1);

	BPoint origin = view->ConvertToScreen(BPoint(0, 0)) - fWindow->Frame().LeftTop();
	struct {
		float x, y;
		rgb_color color;
	} probes[] = {
		{50, 100, make_color(0xff, 0xff, 0xff)},
		{150, 100, make_color(0x30, 0x80, 0xc0)},
		{100, offY - 10, make_color(64, 64, 64)},
		{100, 200 - offY + 10, make_color(64, 64, 64)},
	};
	for (const auto& probe : probes) {
		SCOPED_TRACE(testing::Message() << probe.x << ", " << probe.y);
		EXPECT_EQ(pixel(shot.get(), (int)(origin.x + probe.x), (int)(origin.y + probe.y)),
			probe.color);
	}

	// Drawn again, the same copy serves.
	shot = shoot();
	EXPECT_EQ(view->ScaledCopy(), scaled);
	// Zoomed in so that the image's detail shows, the copy goes.
	view->SetResizeOptions(false, false);
	ASSERT_TRUE(view->SetZoom(8));
	view->GetMapping(sx, sy, offX, offY);
	ASSERT_GE(sx, 1);
	shot = shoot();
	EXPECT_EQ(view->ScaledCopy(), nullptr);
}
