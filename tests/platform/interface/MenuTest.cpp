// Menus: the item model, the menu bar in a window, shortcuts (the first
// item in menu-bar order wins a shared one) and invoking items.
#include <QMenu>
#include <QMenuBar>

#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>

#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

const uint32 kPreferences = 'BPre';
const uint32 kPrevious = 'BPrv';
const uint32 kNext = 'BNxt';
const uint32 kZoomIn = 'Bzin';
// The modifiers of an item's shortcut.
const uint32 kCommand = B_COMMAND_KEY | B_CONTROL_KEY;


// A window with a menu bar like the main window's: the same shortcut P in
// the File menu and the Image menu.
class MenuWindow : public Receiver {
public:
	MenuWindow() :
		Receiver("menus", BRect(100, 100, 499, 399), B_DOCUMENT_WINDOW)
	{
		fBar = new BMenuBar(BRect(0, 0, 0, 0), "bar");
		BMenu* file = new BMenu("File");
		file->AddItem(new BMenuItem("Preferences", new BMessage(kPreferences), 'P'));
		file->AddSeparatorItem();
		file->AddItem(new BMenuItem("Quit", new BMessage('BCls'), 'Q'));
		fBar->AddItem(file);
		BMenu* image = new BMenu("Image");
		image->AddItem(new BMenuItem("Previous Image", new BMessage(kPrevious), 'P'));
		image->AddItem(new BMenuItem("Next Image", new BMessage(kNext), 'N'));
		BMenu* zoom = new BMenu("Zoom");
		zoom->AddItem(new BMenuItem("Zoom In", new BMessage(kZoomIn), '='));
		image->AddItem(zoom);
		fBar->AddItem(image);
		AddChild(fBar);
	}

	void MenusBeginning() override
	{
		beginnings++;
		if (disableNextTime) {
			fBar->FindItem(kPreferences)->SetEnabled(false);
			disableNextTime = false;
		}
	}

	void MenusEnded() override { endings++; }

	BMenuBar* fBar;
	std::atomic<int32> beginnings{0};
	std::atomic<int32> endings{0};
	bool disableNextTime = false;
};


class MenuTest : public testing::Test {
protected:
	void TearDown() override { CloseWindow(window); }

	MenuWindow* window = new MenuWindow;
};

} // namespace


TEST_F(MenuTest, DisabledMenuDisablesItsItems)
{
	BMenu* image = window->fBar->SubmenuAt(1);
	BMenuItem* zoomIn = window->fBar->FindItem(kZoomIn);
	EXPECT_TRUE(zoomIn->IsEnabled());
	image->SetEnabled(false);
	EXPECT_FALSE(zoomIn->IsEnabled());
	EXPECT_FALSE(window->fBar->FindItem(kNext)->IsEnabled());
	// A disabled item sends nothing when invoked.
	EXPECT_NE(zoomIn->Invoke(), B_OK);
	uint32 modifiers = 0;
	EXPECT_EQ(zoomIn->Shortcut(&modifiers), '=');
	EXPECT_EQ(modifiers & B_COMMAND_KEY, (uint32)B_COMMAND_KEY);
	EXPECT_TRUE(window->fBar->RemoveItem(image));
	delete image;
}


TEST_F(MenuTest, SharedShortcutGoesToTheFirstItem)
{
	window->Show();
	PressKeys(window, {"p"}, NULL, kCommand);
	ASSERT_TRUE(window->WaitFor(1));
	EXPECT_EQ(window->received[0].what, kPreferences);
	EXPECT_EQ(window->beginnings, 1);
	EXPECT_EQ(window->endings, 1);

	// Disabled in MenusBeginning, the first gives way to the next.
	window->disableNextTime = true;
	PressKeys(window, {"p"}, NULL, kCommand);
	ASSERT_TRUE(window->WaitFor(2));
	EXPECT_EQ(window->received[1].what, kPrevious);

	// A shortcut inside a submenu, and a key without the command key that
	// is no shortcut at all.
	PressKeys(window, {"="}, NULL, kCommand);
	PressKeys(window, {"n"});
	ASSERT_TRUE(window->WaitFor(3));
	EXPECT_EQ(window->received[2].what, kZoomIn);
	Settle(50000);
	EXPECT_EQ(window->count, 3);
}


TEST_F(MenuTest, OpeningAMenuUpdatesItAndChoosingInvokes)
{
	window->Show();
	window->Lock();
	window->fBar->FindItem(kNext)->SetLabel("Next Picture");
	window->Unlock();
	QMenuBar* bar = WaitForWidget<QMenuBar>("menus",
		[](QMenuBar* bar) { return bar->actions().size() == 2; });
	ASSERT_NE(bar, nullptr);
	EXPECT_EQ(bar->actions()[0]->text(), "File");
	QMenu* image = bar->actions()[1]->menu();
	ASSERT_NE(image, nullptr);
	image->popup(QPoint(0, 0));
	ASSERT_TRUE(BPrivate::run_events_until([&]() { return window->beginnings == 1; }));
	EXPECT_EQ(ActionTexts(image), "Previous Image\tCtrl+P|Next Picture\tCtrl+N|Zoom");
	QAction* next = ActionNamed(image, "Next Picture\tCtrl+N");
	ASSERT_NE(next, nullptr);
	next->trigger();
	image->hide();
	ASSERT_TRUE(window->WaitFor(1));
	EXPECT_EQ(window->received[0].what, kNext);
	EXPECT_TRUE(BPrivate::run_events_until([&]() { return window->endings == 1; }));
}
