// Tab views: only the selected tab's view is in the hierarchy, at the frame
// its maker gave it; tabs are chosen by click and keys; tabs own their views.
#include <memory>

#include <gtest/gtest.h>

#include <Bitmap.h>
#include <TabView.h>
#include <Window.h>

#include "TestHooks.h"
#include "InterfaceTestSupport.h"

using glim_test::CloseWindow;
using glim_test::PixelAt;

namespace {

// A view that says when it is deleted.
class TrackedView : public BView {
public:
	TrackedView(BRect frame, const char* name, bool* deleted) :
		BView(frame, name, B_FOLLOW_ALL_SIDES, B_WILL_DRAW),
		fDeleted(deleted)
	{
	}

	~TrackedView() override { *fDeleted = true; }

private:
	bool* fDeleted;
};


// The tab view of the preferences window, with a named child in each tab.
struct PrefsTabs {
	PrefsTabs()
	{
		tabs = new BTabView(BRect(5, 5, 245, 310), "tab_view", B_WIDTH_AS_USUAL,
			B_FOLLOW_ALL_SIDES);
		tabs->SetViewColor(216, 216, 216);
		general = new BView(BRect(5, 5, 245, 310), "PrefView1", B_FOLLOW_ALL_SIDES,
			B_WILL_DRAW);
		general->SetViewColor(200, 40, 40);
		general->AddChild(new BView(BRect(5, 5, 225, 110), "Default Folder Box", 0, 0));
		thumbnails = new BView(BRect(5, 5, 245, 310), "PrefView2", B_FOLLOW_ALL_SIDES,
			B_WILL_DRAW);
		thumbnails->SetViewColor(40, 160, 40);
		thumbnails->AddChild(new BView(BRect(5, 75, 155, 95), "TheImage", 0, 0));
		BTab* first = new BTab();
		tabs->AddTab(general, first);
		first->SetLabel("General");
		BTab* second = new BTab();
		tabs->AddTab(thumbnails, second);
		second->SetLabel("Thumbnails");
	}

	BTabView* tabs;
	BView* general;
	BView* thumbnails;
};


} // namespace


TEST(TabViewTest, OnlyTheSelectedTabsViewIsShown)
{
	PrefsTabs prefs;
	std::unique_ptr<BTabView> owner(prefs.tabs);
	BTabView* tabs = prefs.tabs;
	BView* container = tabs->ContainerView();
	ASSERT_NE(container, nullptr);
	EXPECT_EQ(container->Parent(), tabs);
	EXPECT_EQ(tabs->CountTabs(), 2);
	EXPECT_EQ(tabs->Selection(), 0);
	EXPECT_STREQ(tabs->TabAt(0)->Label(), "General");
	EXPECT_STREQ(tabs->TabAt(1)->Label(), "Thumbnails");
	EXPECT_TRUE(tabs->TabAt(0)->IsSelected());
	EXPECT_FALSE(tabs->TabAt(1)->IsSelected());
	EXPECT_EQ(tabs->ViewForTab(1), prefs.thumbnails);

	EXPECT_EQ(container->CountChildren(), 1);
	EXPECT_EQ(prefs.general->Parent(), container);
	EXPECT_EQ(prefs.thumbnails->Parent(), nullptr);
	EXPECT_EQ(tabs->FindView("TheImage"), nullptr);
	EXPECT_NE(tabs->FindView("Default Folder Box"), nullptr);

	tabs->Select(1);
	EXPECT_EQ(tabs->Selection(), 1);
	EXPECT_EQ(container->CountChildren(), 1);
	EXPECT_EQ(prefs.general->Parent(), nullptr);
	EXPECT_EQ(prefs.thumbnails->Parent(), container);
	EXPECT_NE(tabs->FindView("TheImage"), nullptr);
	EXPECT_EQ(tabs->FindView("Default Folder Box"), nullptr);
	// Frames stay as given, in the container's coordinates.
	EXPECT_EQ(prefs.thumbnails->Frame(), BRect(5, 5, 245, 310));
	EXPECT_EQ(prefs.general->Frame(), BRect(5, 5, 245, 310));

	// Out of range changes nothing.
	tabs->Select(2);
	tabs->Select(-1);
	EXPECT_EQ(tabs->Selection(), 1);
	EXPECT_EQ(tabs->TabAt(2), nullptr);

	// The container lies below the tabs, inside the tab view.
	BRect tab0 = tabs->TabFrame(0);
	BRect tab1 = tabs->TabFrame(1);
	EXPECT_GT(tab1.left, tab0.right);
	EXPECT_EQ(tab0.Height(), tabs->TabHeight() - 1);
	EXPECT_GE(container->Frame().top, tabs->TabHeight());
	EXPECT_LE(container->Frame().right, tabs->Bounds().right);
}


TEST(TabViewTest, ClickingATabShowsItsView)
{
	BWindow* window = new BWindow(BRect(100, 100, 349, 449), "Preferences", B_TITLED_WINDOW, 0);
	PrefsTabs prefs;
	window->AddChild(prefs.tabs);
	window->Show();
	window->Lock();
	BRect container = prefs.tabs->ContainerView()->Frame().OffsetByCopy(5, 5);
	BPoint inside(container.left + 20, container.top + 150);
	BRect tab1 = prefs.tabs->TabFrame(1);
	window->Unlock();

	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(window);
	ASSERT_TRUE(shot);
	EXPECT_EQ(PixelAt(*shot, (int)inside.x, (int)inside.y), make_color(200, 40, 40));

	window->Lock();
	BPoint middle((tab1.left + tab1.right) / 2, (tab1.top + tab1.bottom) / 2);
	BPrivate::simulate_mouse_down(prefs.tabs, middle, B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() {
		window->Lock();
		int32 selection = prefs.tabs->Selection();
		window->Unlock();
		return selection == 1;
	}));
	shot = BPrivate::grab_window(window);
	EXPECT_EQ(PixelAt(*shot, (int)inside.x, (int)inside.y), make_color(40, 160, 40));
	window->Lock();
	EXPECT_EQ(window->FindView("PrefView1"), nullptr);
	EXPECT_EQ(window->FindView("PrefView2"), prefs.thumbnails);
	EXPECT_EQ(prefs.thumbnails->Window(), window);
	EXPECT_EQ(prefs.general->Window(), nullptr);

	// The keys move between tabs once the tab view has the focus.
	prefs.tabs->MakeFocus(true);
	const char left[] = {B_LEFT_ARROW, 0};
	BPrivate::simulate_key_down(window, left);
	BPrivate::simulate_key_down(window, " ");
	window->Unlock();
	ASSERT_TRUE(BPrivate::run_events_until([&]() {
		window->Lock();
		int32 selection = prefs.tabs->Selection();
		window->Unlock();
		return selection == 0;
	}));
	CloseWindow(window);
}


TEST(TabViewTest, TabsOwnTheirViews)
{
	bool firstGone = false;
	bool secondGone = false;
	bool thirdGone = false;
	BTabView* tabs = new BTabView(BRect(0, 0, 199, 149), "tabs");
	tabs->AddTab(new TrackedView(BRect(0, 0, 50, 50), "one", &firstGone));
	tabs->AddTab(new TrackedView(BRect(0, 0, 50, 50), "two", &secondGone));
	tabs->AddTab(new TrackedView(BRect(0, 0, 50, 50), "three", &thirdGone));
	// Without a label of its own, a tab shows its view's name.
	EXPECT_STREQ(tabs->TabAt(1)->Label(), "two");

	// Replacing a selected tab's view shows the new one in its place.
	tabs->Select(2);
	bool replacedGone = false;
	TrackedView* replacement = new TrackedView(BRect(0, 0, 50, 50), "four", &replacedGone);
	tabs->TabAt(2)->SetView(replacement);
	EXPECT_TRUE(thirdGone);
	EXPECT_EQ(replacement->Parent(), tabs->ContainerView());

	delete tabs;
	EXPECT_TRUE(firstGone);
	EXPECT_TRUE(secondGone);
	EXPECT_TRUE(replacedGone);
}
