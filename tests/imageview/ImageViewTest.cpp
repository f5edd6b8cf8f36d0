#include "imageview/ImageView.h"

#include <cmath>

#include <Bitmap.h>
#include <Message.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <Window.h>

#include "ViewerTestSupport.h"

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
		const uint32 what = message->what;
		if (what == MSG_ZOOM_IN || what == MSG_ZOOM_OUT || what == MSG_NEXT_IMAGE
			|| what == MSG_PREV_IMAGE)
			fCommands.push_back(what);
		else
			BWindow::MessageReceived(message);
	}

	BImageView* fView;
	std::vector<uint32> fCommands;
};

class ImageViewTest : public glim_test::ViewerTest {
protected:
	void TearDown() override
	{
		BPrivate::clear_pointer_script();
		if (fWindow != NULL && fWindow->Lock())
			fWindow->Quit();
		glim_test::ViewerTest::TearDown();
	}

	// A locked window whose image view has the given bounds (inclusive
	// extents).
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

	// The colours the window shows at points of the view.
	std::vector<rgb_color> Shown(BImageView* view, const std::vector<BPoint>& points)
	{
		fWindow->Unlock();
		std::unique_ptr<BBitmap> shot = BPrivate::grab_window(fWindow);
		fWindow->Lock();
		EXPECT_TRUE(shot);
		std::vector<rgb_color> colors;
		for (size_t i = 0; shot && i < points.size(); i++) {
			BPoint point = view->ConvertToScreen(points[i]) - fWindow->Frame().LeftTop();
			const uint8* bits = (const uint8*)shot->Bits() + (int)point.y * shot->BytesPerRow()
				+ (int)point.x * 4;
			colors.push_back(make_color(bits[2], bits[1], bits[0]));
		}
		return colors;
	}

	glim_test::TempDir fDir{"imageview"};
	ImageWindow* fWindow = NULL;
};

const rgb_color kBackground = make_color(64, 64, 64);

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

	// A one-pixel-wide image fits without dividing by zero.
	view->SetResizeOptions(true, true);
	ASSERT_TRUE(view->SetImage(Image("line.png", 1, 101).c_str()));
	EXPECT_TRUE(std::isfinite(view->ScaleX()));
	EXPECT_FLOAT_EQ(view->ScaleY(), 2.0f);
	view->GetMapping(sx, sy, offX, offY);
	EXPECT_FLOAT_EQ(offX, 100);
}

TEST_F(ImageViewTest, AZoomOutsideItsLimitsIsRefused)
{
	BImageView* view = Open(300, 200);
	ASSERT_TRUE(view->SetImage(Image("small.png", 101, 51).c_str()));
	const struct {
		float zoom;
		bool accepted;
	} cases[] = {{0.01f, true}, {16.0f, true}, {0.0099f, false}, {16.01f, false}, {NAN, false},
		{1.5f, true}};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.zoom);
		float before, after;
		view->GetZoom(before);
		EXPECT_EQ(view->SetZoom(test.zoom), test.accepted);
		view->GetZoom(after);
		EXPECT_EQ(after, test.accepted ? test.zoom : before);
	}
}

TEST_F(ImageViewTest, FailuresAreReportedWithTheirTexts)
{
	BImageView* view = Open(100, 100);
	EXPECT_FALSE(view->SetImage((fDir / "missing.png").c_str()));
	glim_test::WriteFile(fDir / "notes.txt", "not an image at all");
	EXPECT_FALSE(view->SetImage((fDir / "notes.txt").c_str()));
	EXPECT_FALSE(view->SetImage(NULL));
	EXPECT_EQ(fApp->fAlerts,
		(std::vector<std::string>{"File doesn't exist", "Failed to translate file"}));
	float width, height;
	EXPECT_FALSE(view->GetSize(width, height));
}

TEST_F(ImageViewTest, PanningStopsExactlyAtTheEndOfTheRange)
{
	BImageView* view = Open(100, 100);
	ASSERT_TRUE(view->SetImage(Image("big.png", 301, 201).c_str()));
	// The secondary button pans by default: the view moves the way the
	// pointer moves. Dragging right by far more than the range scrolls to
	// the range's end and no further.
	glim_test::Drag(view, B_SECONDARY_MOUSE_BUTTON, BPoint(10, 50),
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
	EXPECT_EQ(fWindow->fCommands, std::vector<uint32>{MSG_NEXT_IMAGE});
}

TEST_F(ImageViewTest, AReducedImageIsDrawnFromOneScaledCopyMadeOnce)
{
	BImageView* view = Open(200, 200);
	view->SetResizeOptions(true, true);
	// Left half white, right half blue, fitted at a quarter of its size.
	ASSERT_TRUE(view->SetImage(Image("big.png", 804, 404, 0x3080c0, 0xffffff).c_str()));
	EXPECT_EQ(view->ScaledCopy(), nullptr);

	float sx, sy, offX, offY;
	view->GetMapping(sx, sy, offX, offY);
	EXPECT_EQ(Shown(view,
				  {BPoint(50, 100), BPoint(150, 100), BPoint(100, offY - 10),
					  BPoint(100, 200 - offY + 10)}),
		(std::vector<rgb_color>{make_color(0xff, 0xff, 0xff), make_color(0x30, 0x80, 0xc0),
			kBackground, kBackground}));
	const BBitmap* scaled = view->ScaledCopy();
	ASSERT_NE(scaled, nullptr);
	EXPECT_NEAR(scaled->Bounds().Width() + 1, 804 * sx, 1);
	EXPECT_NEAR(scaled->Bounds().Height() + 1, 404 * sy, 1);

	// Drawn again, the same copy serves.
	Shown(view, {});
	EXPECT_EQ(view->ScaledCopy(), scaled);
	// Zoomed in so that the image's detail shows, the copy goes.
	view->SetResizeOptions(false, false);
	ASSERT_TRUE(view->SetZoom(8));
	view->GetMapping(sx, sy, offX, offY);
	ASSERT_GE(sx, 1);
	Shown(view, {});
	EXPECT_EQ(view->ScaledCopy(), nullptr);
}
