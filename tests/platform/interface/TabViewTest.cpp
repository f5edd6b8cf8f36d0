// Tab views: only the selected tab's view is in the hierarchy, at the frame
// its maker gave it; tabs are chosen by click and keys; tabs own their views.
#include <TabView.h>

#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

// The tab view of the preferences window, each tab's view in a colour of
// its own.
struct PrefsTabs {
	PrefsTabs()
	{
		tabs = new BTabView(BRect(5, 5, 245, 310), "tab_view", B_WIDTH_AS_USUAL,
			B_FOLLOW_ALL_SIDES);
		tabs->SetViewColor(216, 216, 216);
		general = AddPage("PrefView1", "General", make_color(200, 40, 40));
		thumbnails = AddPage("PrefView2", "Thumbnails", make_color(40, 160, 40));
	}

	BView* AddPage(const char* name, const char* label, rgb_color color)
	{
		BView* page = new BView(BRect(5, 5, 245, 310), name, B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
		page->SetViewColor(color);
		BTab* tab = new BTab();
		tabs->AddTab(page, tab);
		tab->SetLabel(label);
		return page;
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
	EXPECT_TRUE(tabs->TabAt(0)->IsSelected());
	EXPECT_EQ(tabs->ViewForTab(1), prefs.thumbnails);
	tabs->Select(1);
	EXPECT_FALSE(tabs->TabAt(0)->IsSelected());
	EXPECT_EQ(container->CountChildren(), 1);
	EXPECT_EQ(prefs.general->Parent(), nullptr);
	// The frame stays as given, in the container's coordinates.
	EXPECT_EQ(prefs.thumbnails->Frame(), BRect(5, 5, 245, 310));

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
	auto selectionBecomes = [&](int32 selection) {
		return BPrivate::run_events_until([&]() {
			window->Lock();
			int32 current = prefs.tabs->Selection();
			window->Unlock();
			return current == selection;
		});
	};
	window->Lock();
	BRect container = prefs.tabs->ContainerView()->Frame().OffsetByCopy(5, 5);
	BPoint inside(container.left + 20, container.top + 150);
	BRect tab1 = prefs.tabs->TabFrame(1);
	window->Unlock();
	EXPECT_EQ(GrabbedPixel(window, (int)inside.x, (int)inside.y), make_color(200, 40, 40));

	window->Lock();
	BPrivate::simulate_mouse_down(prefs.tabs,
		BPoint((tab1.left + tab1.right) / 2, (tab1.top + tab1.bottom) / 2),
		B_PRIMARY_MOUSE_BUTTON);
	window->Unlock();
	ASSERT_TRUE(selectionBecomes(1));
	EXPECT_EQ(GrabbedPixel(window, (int)inside.x, (int)inside.y), make_color(40, 160, 40));
	window->Lock();
	EXPECT_EQ(window->FindView("PrefView1"), nullptr);
	EXPECT_EQ(window->FindView("PrefView2"), prefs.thumbnails);
	EXPECT_EQ(prefs.thumbnails->Window(), window);
	EXPECT_EQ(prefs.general->Window(), nullptr);
	window->Unlock();

	// The keys move between tabs once the tab view has the focus.
	const char left[] = {B_LEFT_ARROW, 0};
	PressKeys(window, {left, " "}, prefs.tabs);
	ASSERT_TRUE(selectionBecomes(0));
	CloseWindow(window);
}


TEST(TabViewTest, TabsOwnTheirViews)
{
	// one, two, three, and the view that replaces three.
	std::atomic<int32> gone[4] = {0, 0, 0, 0};
	auto tracked = [&](int index, const char* name) {
		return new Counted<BView>(&gone[index], BRect(0, 0, 50, 50), name, B_FOLLOW_ALL_SIDES,
			B_WILL_DRAW);
	};
	BTabView* tabs = new BTabView(BRect(0, 0, 199, 149), "tabs");
	tabs->AddTab(tracked(0, "one"));
	tabs->AddTab(tracked(1, "two"));
	tabs->AddTab(tracked(2, "three"));
	// Without a label of its own, a tab shows its view's name.
	EXPECT_STREQ(tabs->TabAt(1)->Label(), "two");

	// Replacing a selected tab's view shows the new one in its place.
	tabs->Select(2);
	BView* replacement = tracked(3, "four");
	tabs->TabAt(2)->SetView(replacement);
	EXPECT_EQ(gone[2], 1);
	EXPECT_EQ(replacement->Parent(), tabs->ContainerView());

	delete tabs;
	for (int i = 0; i < 4; i++)
		EXPECT_EQ(gone[i], 1) << i;
}
