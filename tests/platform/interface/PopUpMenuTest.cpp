// Pop-up menus: Go() answered through the real menu, and asynchronously
// through the test hook with the menu deleted after; and the label taken
// from the marked item on a menu bar.
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>

#include <MenuBar.h>
#include <Messenger.h>
#include <MenuItem.h>
#include <PopUpMenu.h>

#include "AppPrivate.h"
#include "InterfaceTestSupport.h"

using namespace glim_test;

namespace {

void
SendMouse(QWidget* widget, QEvent::Type type, QPoint global)
{
	QPointF local = widget->mapFromGlobal(QPointF(global));
	QMouseEvent event(type, local, QPointF(global), Qt::LeftButton,
		type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
	QApplication::sendEvent(widget, &event);
}


void
Click(QMenu* menu, QAction* action)
{
	QPoint center = menu->mapToGlobal(menu->actionGeometry(action).center());
	SendMouse(menu, QEvent::MouseButtonPress, center);
	SendMouse(menu, QEvent::MouseButtonRelease, center);
}


// Runs Go() while step(menu) acts on the real menu once it shows.
BMenuItem*
GoWithUser(BPopUpMenu* menu, bool openAnyway, const std::function<void(QMenu*)>& step)
{
	BPrivate::attach_gui_thread();
	QTimer timer;
	QObject::connect(&timer, &QTimer::timeout, [&]() {
		if (QMenu* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
			timer.stop();
			step(shown);
			// A menu the step failed to close must not hang the test.
			QTimer::singleShot(3000, shown, [shown]() { shown->close(); });
		}
	});
	timer.start(10);
	return menu->Go(BPoint(120, 130), false, openAnyway, false);
}

} // namespace


TEST(PopUpMenuTest, AsyncGoDeliversAndDeletesTheMenu)
{
	Receiver* window = new Receiver("pop-ups");
	window->Show();
	BPrivate::set_pop_up_chooser([](const BPopUpMenu*, BPoint) { return 0; });
	std::atomic<int32> deleted{0};
	BPopUpMenu* menu = new Counted<BPopUpMenu>(&deleted, "tracked", false, false);
	BMenuItem* remove = new BMenuItem("Remove", new BMessage('Brmv'));
	// Through a messenger, which an item takes as its target too.
	remove->SetTarget(BMessenger(window));
	menu->AddItem(remove);
	EXPECT_EQ(menu->Go(BPoint(10, 10), true, false, true, true), nullptr);
	ASSERT_TRUE(
		BPrivate::run_events_until([&]() { return window->count == 1 && deleted == 1; }));
	EXPECT_EQ(window->received[0].what, (uint32)'Brmv');
	CloseWindow(window);
}


TEST(PopUpMenuRealTest, TheUserChoosesOrDismissesTheShownMenu)
{
	// The real menu, whatever chooser an earlier test left.
	BPrivate::set_pop_up_chooser(BPrivate::PopUpChooser());
	// The zoom menu as the main window builds it, with a submenu.
	std::unique_ptr<BPopUpMenu> menu(new BPopUpMenu("Zoom", false, false, B_ITEMS_IN_COLUMN));
	for (const char* label : {"50.0%", "100.0%", "200.0%"})
		menu->AddItem(new BMenuItem(label, new BMessage('Bszm')));
	menu->ItemAt(1)->SetMarked(true);
	menu->AddSeparatorItem();
	menu->AddItem(new BMenuItem("Disabled", new BMessage('dsbl')));
	menu->ItemAt(4)->SetEnabled(false);
	BMenu* more = new BMenu("More");
	BMenuItem* deep = new BMenuItem("1600.0%", new BMessage('Bszm'));
	more->AddItem(deep);
	menu->AddItem(more);

	std::string texts;
	bool markedShown = false;
	BMenuItem* chosen = GoWithUser(menu.get(), true, [&](QMenu* shown) {
		texts = ActionTexts(shown);
		QAction* marked = ActionNamed(shown, "100.0%");
		markedShown = marked != NULL && marked->isChecked();
		Click(shown, ActionNamed(shown, "200.0%"));
	});
	EXPECT_EQ(chosen, menu->ItemAt(2));
	EXPECT_EQ(texts, "50.0%|100.0%|200.0%||Disabled|More");
	EXPECT_TRUE(markedShown);

	// Escape closes it without a choice.
	chosen = GoWithUser(menu.get(), true, [](QMenu* shown) { SendKey(shown, Qt::Key_Escape); });
	EXPECT_EQ(chosen, nullptr);

	// An item of a submenu is returned as itself.
	chosen = GoWithUser(menu.get(), true, [](QMenu* shown) {
		QAction* more = ActionNamed(shown, "More");
		shown->setActiveAction(more);
		SendKey(shown, Qt::Key_Right);
		QMenu* sub = more->menu();
		sub->setActiveAction(ActionNamed(sub, "1600.0%"));
		SendKey(sub, Qt::Key_Return);
	});
	EXPECT_EQ(chosen, deep);

	// Releasing the button outside closes it, unless it opens anyway.
	chosen = GoWithUser(menu.get(), false, [](QMenu* shown) {
		// Released on the menu itself, where it opened: it stays open.
		SendMouse(shown, QEvent::MouseButtonRelease, shown->geometry().topLeft());
		EXPECT_TRUE(shown->isVisible());
		SendMouse(shown, QEvent::MouseButtonRelease,
			shown->geometry().bottomRight() + QPoint(50, 50));
		EXPECT_FALSE(shown->isVisible());
	});
	EXPECT_EQ(chosen, nullptr);

	bool stillOpen = false;
	chosen = GoWithUser(menu.get(), true, [&](QMenu* shown) {
		SendMouse(shown, QEvent::MouseButtonRelease,
			shown->geometry().bottomRight() + QPoint(50, 50));
		stillOpen = shown->isVisible();
		Click(shown, ActionNamed(shown, "50.0%"));
	});
	EXPECT_TRUE(stillOpen);
	EXPECT_EQ(chosen, menu->ItemAt(0));
}


TEST(PopUpMenuBarTest, BarShowsTheMarkedItemsLabel)
{
	Receiver* window = new Receiver("pop-ups");
	BMenuBar* bar = new BMenuBar(BRect(0, 0, 200, 20), "File Type",
		B_FOLLOW_LEFT | B_FOLLOW_BOTTOM, B_ITEMS_IN_ROW, true);
	BPopUpMenu* types = new BPopUpMenu("File type list", true, true, B_ITEMS_IN_COLUMN);
	BMenuItem* png = new BMenuItem("PNG images", new BMessage('BFtp'));
	BMenuItem* jpeg = new BMenuItem("JPEG images", new BMessage('BFtp'));
	types->AddItem(png);
	types->AddItem(jpeg);
	bar->AddItem(types);
	EXPECT_STREQ(bar->ItemAt(0)->Label(), "File type list");
	png->SetMarked(true);
	ShowWith(window, {bar});

	// The bar's one action shows the marked item's label.
	QMenuBar* qbar = WaitForWidget<QMenuBar>("pop-ups", [](QMenuBar* bar) {
		return bar->actions().size() == 1 && bar->actions()[0]->text() == "PNG images";
	});
	ASSERT_NE(qbar, nullptr);

	// The marked item shows its check. The other, chosen through the bar,
	// is delivered and marked in its place, and the bar follows.
	QMenu* shown = qbar->actions()[0]->menu();
	shown->popup(QPoint(0, 0));
	QAction* action = NULL;
	ASSERT_TRUE(BPrivate::run_events_until([&]() {
		action = ActionNamed(shown, "JPEG images");
		return action != NULL;
	}));
	EXPECT_TRUE(ActionNamed(shown, "PNG images")->isChecked());
	EXPECT_FALSE(action->isChecked());
	action->trigger();
	shown->hide();
	ASSERT_TRUE(window->WaitFor(1));
	window->Lock();
	EXPECT_TRUE(jpeg->IsMarked());
	EXPECT_FALSE(png->IsMarked());
	EXPECT_STREQ(bar->ItemAt(0)->Label(), "JPEG images");
	window->Unlock();
	CloseWindow(window);
}
