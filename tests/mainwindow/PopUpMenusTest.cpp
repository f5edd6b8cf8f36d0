// The zoom and mouse-action pop-up menus, chosen through the test hook.
#include "mainwindow/ViewerWin.h"

#include <memory>
#include <string>
#include <vector>

#include <Message.h>
#include <MenuItem.h>
#include <PopUpMenu.h>

#include <gtest/gtest.h>

#include "app/Commands.h"
#include "imageview/ImageView.h"
#include "settings/PrefsHandler.h"
#include "TestHooks.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

// A main window that counts the settings notices it receives.
class CountingWindow : public BViewerWin {
public:
	CountingWindow(BRect frame, const char* path) :
		BViewerWin(frame, path, true)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == MSG_PREFS_CHANGED)
			fNotices++;
		BViewerWin::MessageReceived(message);
	}

	int fNotices = 0;
};

struct MenuSeen {
	std::vector<std::string> labels;
	std::vector<bool> marks;
};

class PopUpMenusTest : public testing::Test {
protected:
	void SetUp() override
	{
		ForgetSettings();
		fApp.reset(new TestApp);
	}

	void TearDown() override
	{
		BPrivate::set_pop_up_chooser(nullptr);
		CloseAllWindows();
		fApp.reset();
	}

	CountingWindow* Open()
	{
		CountingWindow* window = new CountingWindow(BRect(80, 80, 579, 479),
			fDir.Path().c_str());
		window->Show();
		Settle([&] { return window->FolderPath() != NULL; });
		return window;
	}

	// Records what the next menu shows and chooses the item labelled choice
	// (none when empty).
	void Choose(const std::string& choice)
	{
		BPrivate::set_pop_up_chooser([this, choice](const BPopUpMenu* menu, BPoint) {
			fSeen = MenuSeen();
			int32 chosen = -1;
			for (int32 i = 0; i < menu->CountItems(); i++) {
				BMenuItem* item = menu->ItemAt(i);
				fSeen.labels.push_back(item->Label() != NULL ? item->Label() : "");
				fSeen.marks.push_back(item->IsMarked());
				if (choice == fSeen.labels.back())
					chosen = i;
			}
			return chosen;
		});
	}

	std::string Marked() const
	{
		std::string marked;
		for (size_t i = 0; i < fSeen.labels.size(); i++)
			if (fSeen.marks[i])
				marked += (marked.empty() ? "" : "|") + fSeen.labels[i];
		return marked;
	}

	TempDir fDir{"menus"};
	std::unique_ptr<TestApp> fApp;
	MenuSeen fSeen;
};

} // namespace

TEST_F(PopUpMenusTest, TheZoomMenuMarksTheCurrentLevelAndSetsTheChosenOne)
{
	CountingWindow* window = Open();
	window->Lock();
	Choose("");
	window->ShowZoomMenu();
	ASSERT_EQ(fSeen.labels.size(), 13u);
	EXPECT_EQ(fSeen.labels.front(), "12.5%");
	EXPECT_EQ(fSeen.labels[2], "33.0%");
	EXPECT_EQ(fSeen.labels.back(), "1600.0%");
	EXPECT_EQ(Marked(), "100.0%");

	window->ImageView()->SetZoom(1.5f);
	window->ShowZoomMenu();
	EXPECT_EQ(Marked(), "");

	Choose("800.0%");
	window->ShowZoomMenu();
	float zoom = 0;
	window->ImageView()->GetZoom(zoom);
	EXPECT_EQ(zoom, 8.0f);
	window->Unlock();
}

TEST_F(PopUpMenusTest, TheMouseMenuStoresTheChoiceAndNotifiesEveryWindow)
{
	fApp->Prefs()->SetInteger("LeftMouseFunc", 7, false);
	CountingWindow* first = Open();
	CountingWindow* second = Open();
	first->Lock();
	Choose("");
	first->ShowMouseMenu();
	ASSERT_EQ(fSeen.labels.size(), 13u);
	EXPECT_EQ(fSeen.labels[3], "Left mouse glides");
	EXPECT_EQ(Marked(), "Left mouse selects|Right mouse pans") << "7 is out of range";
	int32 stored = 0;
	fApp->Prefs()->GetInteger("LeftMouseFunc", stored);
	EXPECT_EQ(stored, 7) << "opening the menu stores nothing";

	Choose("Right mouse zooms");
	first->ShowMouseMenu();
	first->Unlock();
	ASSERT_TRUE(Settle([&] { return first->fNotices == 1 && second->fNotices == 1; }));
	fApp->Prefs()->GetInteger("RightMouseFunc", stored);
	EXPECT_EQ(stored, 2);
	second->Lock();
	EXPECT_EQ(second->ImageView()->RightMouseAction(), 2);
	second->Unlock();

	// Choosing the marked action again still stores it and notifies.
	first->Lock();
	Choose("Right mouse zooms");
	first->ShowMouseMenu();
	first->Unlock();
	EXPECT_TRUE(Settle([&] { return first->fNotices == 2 && second->fNotices == 2; }));
}

TEST_F(PopUpMenusTest, ZoomActionWithControlZoomsOut)
{
	fApp->Prefs()->SetInteger("LeftMouseFunc", kMouseZoom, false);
	WriteImage(fDir / "a.png", 40, 40, 0x808080);
	CountingWindow* window = Open();
	window->Lock();
	window->MoveToImage(0);
	window->SwitchToThumbnail(false);
	BImageView* view = window->ImageView();
	BPrivate::simulate_mouse_down(view, BPoint(10, 10), B_PRIMARY_MOUSE_BUTTON, B_CONTROL_KEY);
	window->Unlock();
	Settle([&] {
		float zoom = 1;
		window->Lock();
		view->GetZoom(zoom);
		window->Unlock();
		return zoom < 1.0f;
	});
	window->Lock();
	float zoom = 0;
	view->GetZoom(zoom);
	EXPECT_NEAR(zoom, 0.95f, 1e-5);
	window->Unlock();
}
