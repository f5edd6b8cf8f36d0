#include "mainwindow/ViewerWin.h"

#include <MenuBar.h>
#include <MenuItem.h>
#include <View.h>

#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class ViewerWinTest : public ViewerTest {
protected:
	TempDir fDir{"window"};
};

} // namespace

// The views sit where the layout table puts them, for a window of any size:
// resized, the tree keeps its width and the content grows.
TEST_F(ViewerWinTest, ViewsHaveTheFramesOfTheLayoutAtAnySize)
{
	BViewerWin* window = OpenWindow(fDir.Path(), true, BRect(100, 100, 699, 499));
	Locked(window, [&] {
		EXPECT_STREQ(window->Title(), fDir.Path().c_str());
		for (BPoint by : {BPoint(0, 0), BPoint(100, 60), BPoint(-150, -90)}) {
			SCOPED_TRACE(testing::Message() << "resized by " << by.x << ", " << by.y);
			window->ResizeBy(by.x, by.y);
			float W = window->Bounds().right;
			float H = window->Bounds().bottom;
			BView* menuBar = window->FindView("ViewerMenu");
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
				{"ThumbnailScroll", BRect(168 - 2, top - 2, W - 14 + 2 + 14, H - 14 + 2),
					false},
				{"ImageScroll", BRect(-2, top - 2, W - 14 + 2 + 14, H - 14 + 2 + 14), false},
				{"GlimStatusBar", BRect(0, H - 12, W - 14, H + 2), false},
				{"GlimDirectoryView", BRect(0, 0, 150, H - 14 - top), true},
				{"thumbcontainer", BRect(0, 0, W - 14 - 168, H - 14 - top), true},
				{"imgview", BRect(0, 0, W - 14, H - 14 - top), true},
			};
			for (const auto& view : frames) {
				SCOPED_TRACE(view.name);
				BView* found = window->FindView(view.name);
				ASSERT_NE(found, nullptr);
				EXPECT_EQ(view.scrolled ? found->Bounds().OffsetToCopy(0, 0) : found->Frame(),
					view.frame);
			}
		}
	});
}

TEST_F(ViewerWinTest, MenusHaveTheirItemsAndFollowTheLayout)
{
	BViewerWin* window = OpenWindow(fDir.Path());
	Locked(window, [&] {
		BMenuBar* bar = dynamic_cast<BMenuBar*>(window->FindView("ViewerMenu"));
		ASSERT_NE(bar, nullptr);
		// Each menu, then its items with their shortcuts; "-" is a separator.
		std::vector<std::string> items;
		for (int32 i = 0; i < bar->CountItems(); i++) {
			items.push_back(std::string("[") + bar->ItemAt(i)->Label() + "]");
			BMenu* menu = bar->SubmenuAt(i);
			ASSERT_NE(menu, nullptr);
			for (int32 j = 0; j < menu->CountItems(); j++) {
				BMenuItem* item = menu->ItemAt(j);
				std::string label = item->Label() != NULL && *item->Label() ? item->Label()
																			: "-";
				if (item->Shortcut() != 0)
					label += std::string(" ") + item->Shortcut();
				items.push_back(label);
			}
		}
		EXPECT_EQ(items,
			(std::vector<std::string>{"[File]", "Open O", "Save As S", "Save Selection",
				"Preferences P", "-", "Quit Q", "[View]", "Image I", "[Image]", "First Image F",
				"Previous Image P", "Next Image N", "Last Image L", "Toggle Slideshow T",
				"[Tools]", "Zoom In =", "Zoom Out -", "-", "Clear Selection C",
				"Refresh Thumbnails", "[Help]", "Help H", "About A"}));

		// Browsing layout: image commands off, the switch offers "Image".
		window->MenusBeginning();
		EXPECT_FALSE(bar->FindItem(MSG_NEXT_IMAGE)->IsEnabled());
		EXPECT_FALSE(bar->FindItem(MSG_CLEAR_SELECTION)->IsEnabled());
		EXPECT_TRUE(bar->FindItem(MSG_SAVE_AS)->IsEnabled());
		EXPECT_STREQ(bar->FindItem(MSG_TOGGLE_VIEW)->Label(), "Image");

		window->SwitchToThumbnail(false);
		window->MenusBeginning();
		EXPECT_TRUE(bar->FindItem(MSG_NEXT_IMAGE)->IsEnabled());
		EXPECT_TRUE(bar->FindItem(MSG_ZOOM_OUT)->IsEnabled());
		EXPECT_STREQ(bar->FindItem(MSG_TOGGLE_VIEW)->Label(), "Thumbnails");
	});
}
