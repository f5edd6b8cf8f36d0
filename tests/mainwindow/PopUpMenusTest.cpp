// The zoom and mouse-action pop-up menus, chosen through the test hook.
#include "mainwindow/ViewerWin.h"

#include <MenuItem.h>
#include <PopUpMenu.h>

#include "imageview/ImageView.h"
#include "settings/PrefsHandler.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class PopUpMenusTest : public ViewerTest {
protected:
	void TearDown() override
	{
		BPrivate::set_pop_up_chooser(nullptr);
		ViewerTest::TearDown();
	}

	CountingViewerWin* Open()
	{
		return Opened(new CountingViewerWin(fDir.Path().c_str(), MSG_PREFS_CHANGED));
	}

	// Records the labels of the next menu and its marked ones, "|" between
	// them, and chooses the item labelled choice (none when empty).
	void Choose(const std::string& choice)
	{
		BPrivate::set_pop_up_chooser([this, choice](const BPopUpMenu* menu, BPoint) {
			fLabels.clear();
			fMarked.clear();
			int32 chosen = -1;
			for (int32 i = 0; i < menu->CountItems(); i++) {
				BMenuItem* item = menu->ItemAt(i);
				fLabels.push_back(item->Label() != NULL ? item->Label() : "");
				if (item->IsMarked())
					fMarked += (fMarked.empty() ? "" : "|") + fLabels.back();
				if (choice == fLabels.back())
					chosen = i;
			}
			return chosen;
		});
	}

	TempDir fDir{"menus"};
	std::vector<std::string> fLabels;
	std::string fMarked;
};

float
zoom_of(BImageView* view)
{
	float zoom = 0;
	Locked(view->Window(), [&] { return view->GetZoom(zoom); });
	return zoom;
}

} // namespace

TEST_F(PopUpMenusTest, TheZoomMenuMarksTheCurrentLevelAndSetsTheChosenOne)
{
	CountingViewerWin* window = Open();
	Choose("");
	Locked(window, [&] { window->ShowZoomMenu(); });
	ASSERT_EQ(fLabels.size(), 13u);
	EXPECT_EQ(fLabels.front(), "12.5%");
	EXPECT_EQ(fLabels[2], "33.0%");
	EXPECT_EQ(fLabels.back(), "1600.0%");
	EXPECT_EQ(fMarked, "100.0%");

	Locked(window, [&] {
		window->ImageView()->SetZoom(1.5f);
		window->ShowZoomMenu();
	});
	EXPECT_EQ(fMarked, "");

	Choose("800.0%");
	Locked(window, [&] { window->ShowZoomMenu(); });
	EXPECT_EQ(zoom_of(window->ImageView()), 8.0f);
}

TEST_F(PopUpMenusTest, TheMouseMenuStoresTheChoiceAndNotifiesEveryWindow)
{
	fApp->Prefs()->SetInteger("LeftMouseFunc", 7, false);
	CountingViewerWin* first = Open();
	CountingViewerWin* second = Open();
	Choose("");
	Locked(first, [&] { first->ShowMouseMenu(); });
	ASSERT_EQ(fLabels.size(), 13u);
	EXPECT_EQ(fLabels[3], "Left mouse glides");
	EXPECT_EQ(fMarked, "Left mouse selects|Right mouse pans") << "7 is out of range";
	int32 stored = 0;
	fApp->Prefs()->GetInteger("LeftMouseFunc", stored);
	EXPECT_EQ(stored, 7) << "opening the menu stores nothing";

	// Choosing the marked action again still stores it and notifies.
	for (int notices : {1, 2}) {
		SCOPED_TRACE(notices);
		Choose("Right mouse zooms");
		Locked(first, [&] { first->ShowMouseMenu(); });
		ASSERT_TRUE(
			Settle([&] { return first->fCount == notices && second->fCount == notices; }));
		fApp->Prefs()->GetInteger("RightMouseFunc", stored);
		EXPECT_EQ(stored, 2);
		EXPECT_EQ(Locked(second, [&] { return second->ImageView()->RightMouseAction(); }), 2);
	}
}

TEST_F(PopUpMenusTest, ZoomActionWithControlZoomsOut)
{
	fApp->Prefs()->SetInteger("LeftMouseFunc", kMouseZoom, false);
	WriteImage(fDir / "a.png", 40, 40, 0x808080);
	CountingViewerWin* window = Open();
	BImageView* view = window->ImageView();
	Locked(window, [&] {
		window->MoveToImage(0);
		window->SwitchToThumbnail(false);
		BPrivate::simulate_mouse_down(view, BPoint(10, 10), B_PRIMARY_MOUSE_BUTTON,
			B_CONTROL_KEY);
	});
	Settle([&] { return zoom_of(view) < 1.0f; });
	EXPECT_NEAR(zoom_of(view), 0.95f, 1e-5);
}
