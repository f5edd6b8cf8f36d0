#include "mainwindow/ViewerWin.h"

#include <MenuBar.h>
#include <MenuItem.h>

#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class ViewerWinTest : public ViewerTest {
protected:
	TempDir fDir{"window"};
};

} // namespace

TEST_F(ViewerWinTest, MenusHaveTheirItemsAndFollowTheLayout)
{
	BViewerWin* window = OpenWindow(fDir.Path());
	Locked(window, [&] {
		BMenuBar* bar = dynamic_cast<BMenuBar*>(window->FindView("ViewerMenu"));
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
