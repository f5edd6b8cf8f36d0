#include "mainwindow/ViewerWin.h"

#include <MenuBar.h>
#include <MenuItem.h>
#include <View.h>

#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class ViewerWinTest : public ViewerTest {
protected:
	void SetUp() override
	{
		ViewerTest::SetUp();
		fWindow = OpenWindow(fDir.Path(), true, BRect(100, 100, 699, 499));
		fWindow->Lock();
	}

	void TearDown() override
	{
		fWindow->Unlock();
		ViewerTest::TearDown();
	}

	TempDir fDir{"window"};
	BViewerWin* fWindow = NULL;
};

} // namespace

// The views sit where the layout table puts them, for a window of any size:
// resized, the tree keeps its width and the content grows.
TEST_F(ViewerWinTest, ViewsHaveTheFramesOfTheLayoutAtAnySize)
{
	EXPECT_STREQ(fWindow->Title(), fDir.Path().c_str());
	for (BPoint by : {BPoint(0, 0), BPoint(100, 60), BPoint(-150, -90)}) {
		SCOPED_TRACE(testing::Message() << "resized by " << by.x << ", " << by.y);
		fWindow->ResizeBy(by.x, by.y);
		float W = fWindow->Bounds().right;
		float H = fWindow->Bounds().bottom;
		BView* menuBar = fWindow->FindView("ViewerMenu");
		ASSERT_NE(menuBar, nullptr);
		float MB = menuBar->Bounds().bottom;
		EXPECT_GT(MB, 10);
		EXPECT_EQ(menuBar->Frame(), BRect(0, 0, W, MB));
		float top = MB + 40 + 3;
		const struct {
			const char* name;
			BRect frame;
			bool scrolled; // inside a scroll view: only its size is fixed
		} frames[] = {
			{"tbview", BRect(0, MB + 1, W, MB + 41), false},
			{"GlimDirectory", BRect(-2, top - 2, 150 + 2 + 14, H - 14 + 2), false},
			{"ThumbnailScroll", BRect(168 - 2, top - 2, W - 14 + 2 + 14, H - 14 + 2), false},
			{"ImageScroll", BRect(-2, top - 2, W - 14 + 2 + 14, H - 14 + 2 + 14), false},
			{"GlimStatusBar", BRect(0, H - 12, W - 14, H + 2), false},
			{"GlimDirectoryView", BRect(0, 0, 150, H - 14 - top), true},
			{"thumbcontainer", BRect(0, 0, W - 14 - 168, H - 14 - top), true},
			{"imgview", BRect(0, 0, W - 14, H - 14 - top), true},
		};
		for (const auto& view : frames) {
			SCOPED_TRACE(view.name);
			BView* found = fWindow->FindView(view.name);
			ASSERT_NE(found, nullptr);
			EXPECT_EQ(view.scrolled ? found->Bounds().OffsetToCopy(0, 0) : found->Frame(),
				view.frame);
		}
	}
}

TEST_F(ViewerWinTest, MenusHaveTheirItemsAndFollowTheLayout)
{
	BMenuBar* bar = dynamic_cast<BMenuBar*>(fWindow->FindView("ViewerMenu"));
	ASSERT_NE(bar, nullptr);
	ASSERT_EQ(bar->CountItems(), 5);
	const char* menus[] = {"File", "View", "Image", "Tools", "Help"};
	for (int i = 0; i < 5; i++)
		EXPECT_STREQ(bar->ItemAt(i)->Label(), menus[i]);
	ASSERT_NE(bar->FindItem(MSG_OPEN_PANEL), nullptr);
	EXPECT_EQ(bar->FindItem(MSG_OPEN_PANEL)->Shortcut(), 'O');
	EXPECT_EQ(bar->FindItem(MSG_SAVE_SELECTION)->Shortcut(), 0);
	EXPECT_EQ(bar->FindItem(MSG_ZOOM_IN)->Shortcut(), '=');

	// Browsing layout: image commands off, the switch offers "Image".
	fWindow->MenusBeginning();
	EXPECT_FALSE(bar->FindItem(MSG_NEXT_IMAGE)->IsEnabled());
	EXPECT_FALSE(bar->FindItem(MSG_CLEAR_SELECTION)->IsEnabled());
	EXPECT_TRUE(bar->FindItem(MSG_SAVE_AS)->IsEnabled());
	EXPECT_STREQ(bar->FindItem(MSG_TOGGLE_VIEW)->Label(), "Image");

	fWindow->SwitchToThumbnail(false);
	fWindow->MenusBeginning();
	EXPECT_TRUE(bar->FindItem(MSG_NEXT_IMAGE)->IsEnabled());
	EXPECT_TRUE(bar->FindItem(MSG_ZOOM_OUT)->IsEnabled());
	EXPECT_STREQ(bar->FindItem(MSG_TOGGLE_VIEW)->Label(), "Thumbnails");
}
