// Tab views: only the selected tab's view is in the hierarchy, at the frame
// its maker gave it; tabs are chosen by click and keys; tabs own their views.
#include <TabView.h>

#include "InterfaceTestSupport.h"

using namespace glim_test;

TEST(TabViewTest, OnlyTheViewOfTheTabChosenByClickOrKeysIsShown)
{
	// The tab view of the preferences window, each tab's view in a colour
	// of its own.
	BWindow* window = new BWindow(BRect(100, 100, 349, 449), "Preferences", B_TITLED_WINDOW, 0);
	BTabView* tabs = new BTabView(BRect(5, 5, 245, 310), "tab_view", B_WIDTH_AS_USUAL,
		B_FOLLOW_ALL_SIDES);
	tabs->SetViewColor(216, 216, 216);
	const rgb_color colors[] = {make_color(200, 40, 40), make_color(40, 160, 40)};
	BView* pages[2];
	for (int i = 0; i < 2; i++) {
		pages[i] = new BView(BRect(5, 5, 245, 310), i == 0 ? "PrefView1" : "PrefView2",
			B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
		pages[i]->SetViewColor(colors[i]);
		BTab* tab = new BTab();
		tabs->AddTab(pages[i], tab);
		tab->SetLabel(i == 0 ? "General" : "Thumbnails");
	}
	ShowWith(window, {tabs});
	auto selectionBecomes = [&](int32 selection) {
		return BPrivate::run_events_until([&]() {
			window->Lock();
			int32 current = tabs->Selection();
			window->Unlock();
			return current == selection;
		});
	};
	window->Lock();
	EXPECT_TRUE(tabs->TabAt(0)->IsSelected());
	EXPECT_EQ(tabs->ViewForTab(1), pages[1]);
	// The container lies below the tabs, inside the tab view.
	BRect container = tabs->ContainerView()->Frame();
	BRect tab0 = tabs->TabFrame(0);
	BRect tab1 = tabs->TabFrame(1);
	EXPECT_GT(tab1.left, tab0.right);
	EXPECT_EQ(tab0.Height(), tabs->TabHeight() - 1);
	EXPECT_GE(container.top, tabs->TabHeight());
	EXPECT_LE(container.right, tabs->Bounds().right);
	window->Unlock();
	BPoint inside(container.left + 5 + 20, container.top + 5 + 150);
	EXPECT_EQ(GrabbedPixel(window, (int)inside.x, (int)inside.y), colors[0]);

	PressAndRelease(tabs, BPoint((tab1.left + tab1.right) / 2, (tab1.top + tab1.bottom) / 2),
		0);
	ASSERT_TRUE(selectionBecomes(1));
	EXPECT_EQ(GrabbedPixel(window, (int)inside.x, (int)inside.y), colors[1]);
	window->Lock();
	EXPECT_FALSE(tabs->TabAt(0)->IsSelected());
	EXPECT_EQ(tabs->ContainerView()->CountChildren(), 1);
	EXPECT_EQ(window->FindView("PrefView2"), pages[1]);
	EXPECT_EQ(pages[0]->Parent(), nullptr);
	EXPECT_EQ(pages[0]->Window(), nullptr);
	// The frame stays as given, in the container's coordinates.
	EXPECT_EQ(pages[1]->Frame(), BRect(5, 5, 245, 310));

	// Out of range changes nothing.
	tabs->Select(2);
	tabs->Select(-1);
	EXPECT_EQ(tabs->Selection(), 1);
	EXPECT_EQ(tabs->TabAt(2), nullptr);
	window->Unlock();

	// The keys move between tabs once the tab view has the focus.
	const char left[] = {B_LEFT_ARROW, 0};
	PressKeys(window, {left, " "}, tabs);
	ASSERT_TRUE(selectionBecomes(0));
	BPrivate::clear_pointer_script();
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
