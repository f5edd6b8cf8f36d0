#include "mainwindow/ViewerWin.h"

#include <memory>
#include <string>

#include <MenuBar.h>
#include <MenuItem.h>
#include <View.h>

#include <gtest/gtest.h>

#include "app/Commands.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class ViewerWinTest : public ViewerTest {
protected:
	BViewerWin* OpenFolderWindow(BRect frame, const std::string& folder)
	{
		BViewerWin* window = new BViewerWin(frame, folder.c_str(), true);
		window->Show();
		Settle([&] { return window->FolderPath() != NULL; });
		return window;
	}

	TempDir fDir{"window"};
};

} // namespace

// The views sit where the layout table puts them, for a window of any size.
TEST_F(ViewerWinTest, ViewsHaveTheFramesOfTheLayout)
{
	BViewerWin* window = OpenFolderWindow(BRect(100, 100, 699, 499), fDir.Path());
	window->Lock();
	float W = window->Bounds().right;
	float H = window->Bounds().bottom;
	BView* menuBar = window->FindView("ViewerMenu");
	ASSERT_NE(menuBar, nullptr);
	float MB = menuBar->Bounds().bottom;
	EXPECT_GT(MB, 10);
	EXPECT_EQ(menuBar->Frame().LeftTop(), BPoint(0, 0));
	EXPECT_FLOAT_EQ(menuBar->Frame().right, W);
	float top = MB + 40 + 3;

	struct {
		const char* name;
		BRect frame;
	} expected[] = {
		{"tbview", BRect(0, MB + 1, W, MB + 41)},
		{"GlimDirectory", BRect(-2, top - 2, 150 + 2 + 14, H - 14 + 2)},
		{"ThumbnailScroll", BRect(168 - 2, top - 2, W - 14 + 2 + 14, H - 14 + 2)},
		{"ImageScroll", BRect(-2, top - 2, W - 14 + 2 + 14, H - 14 + 2 + 14)},
		{"GlimStatusBar", BRect(0, H - 12, W - 14, H + 2)},
	};
	for (const auto& view : expected) {
		SCOPED_TRACE(view.name);
		BView* found = window->FindView(view.name);
		ASSERT_NE(found, nullptr);
		EXPECT_EQ(found->Frame(), view.frame);
	}
	struct {
		const char* name;
		float width;
		float height;
	} targets[] = {
		{"GlimDirectoryView", 150, H - 14 - top},
		{"thumbcontainer", W - 14 - 168, H - 14 - top},
		{"imgview", W - 14, H - 14 - top},
	};
	for (const auto& view : targets) {
		SCOPED_TRACE(view.name);
		BView* found = window->FindView(view.name);
		ASSERT_NE(found, nullptr);
		EXPECT_FLOAT_EQ(found->Bounds().Width(), view.width);
		EXPECT_FLOAT_EQ(found->Bounds().Height(), view.height);
	}
	EXPECT_STREQ(window->Title(), fDir.Path().c_str());
	window->Unlock();
}

TEST_F(ViewerWinTest, ResizingKeepsTheTreeWidthAndGrowsTheContent)
{
	BViewerWin* window = OpenFolderWindow(BRect(100, 100, 599, 399), fDir.Path());
	window->Lock();
	BView* tree = window->FindView("GlimDirectoryView");
	BView* grid = window->FindView("thumbcontainer");
	BView* image = window->FindView("imgview");
	BView* toolbar = window->FindView("tbview");
	BRect treeBefore = tree->Bounds();
	BRect gridBefore = grid->Bounds();
	BRect imageBefore = image->Bounds();
	float toolbarHeight = toolbar->Bounds().Height();

	window->ResizeBy(100, 60);
	EXPECT_FLOAT_EQ(tree->Bounds().Width(), 150);
	EXPECT_FLOAT_EQ(tree->Bounds().Height(), treeBefore.Height() + 60);
	EXPECT_FLOAT_EQ(grid->Bounds().Width(), gridBefore.Width() + 100);
	EXPECT_FLOAT_EQ(image->Bounds().Width(), imageBefore.Width() + 100);
	EXPECT_FLOAT_EQ(image->Bounds().Height(), imageBefore.Height() + 60);
	EXPECT_FLOAT_EQ(toolbar->Bounds().Height(), toolbarHeight);
	EXPECT_FLOAT_EQ(toolbar->Bounds().Width(), window->Bounds().Width());
	window->Unlock();
}

TEST_F(ViewerWinTest, MenusHaveTheirItemsAndFollowTheLayout)
{
	BViewerWin* window = OpenFolderWindow(BRect(100, 100, 599, 399), fDir.Path());
	window->Lock();
	BMenuBar* bar = dynamic_cast<BMenuBar*>(window->FindView("ViewerMenu"));
	ASSERT_NE(bar, nullptr);
	ASSERT_EQ(bar->CountItems(), 5);
	const char* menus[] = {"File", "View", "Image", "Tools", "Help"};
	for (int i = 0; i < 5; i++)
		EXPECT_STREQ(bar->ItemAt(i)->Label(), menus[i]);
	BMenuItem* open = bar->FindItem(MSG_OPEN_PANEL);
	ASSERT_NE(open, nullptr);
	EXPECT_EQ(open->Shortcut(), 'O');
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
	window->Unlock();
}
