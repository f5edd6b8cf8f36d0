// BPopUpMenu over a QMenu built from the model each time it opens.
#include "PopUpMenu.h"

#include <cmath>
#include <map>
#include <mutex>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <MenuItem.h>

#include "AppPrivate.h"
#include "MenuPrivate.h"
#include "TestHooks.h"

namespace BPrivate {

// What outlives a pop-up menu while its toolkit menu may still be shown
// asynchronously: the owner is cleared when the BPopUpMenu goes.
struct PopUpState {
	BPopUpMenu* owner = NULL;
	QPointer<QMenu> shown;
};

} // namespace BPrivate


namespace {

typedef std::map<QAction*, BMenuItem*> ActionMap;

std::mutex sChooserLock;
BPrivate::PopUpChooser sChooser;


BPrivate::PopUpChooser
chooser()
{
	std::lock_guard<std::mutex> guard(sChooserLock);
	return sChooser;
}


QString
menu_text(const char* label)
{
	return QString::fromUtf8(label).replace(QLatin1Char('&'), QLatin1String("&&"));
}


QPoint
screen_point(BPoint where)
{
	return QPoint((int)std::floor(where.x + 0.5f), (int)std::floor(where.y + 0.5f));
}


void
fill_menu(QMenu* menu, BMenu* model, ActionMap& actions)
{
	for (int32 i = 0; i < model->CountItems(); i++) {
		BMenuItem* item = model->ItemAt(i);
		if (dynamic_cast<BSeparatorItem*>(item) != NULL) {
			menu->addSeparator();
			continue;
		}
		if (BMenu* submenu = item->Submenu()) {
			QMenu* child = menu->addMenu(menu_text(item->Label()));
			child->setEnabled(item->IsEnabled());
			fill_menu(child, submenu, actions);
			continue;
		}
		QString text = menu_text(item->Label());
		char shortcut[32];
		if (BPrivate::MenuPrivate::ShortcutText(item, shortcut, sizeof(shortcut))[0] != '\0')
			text += QLatin1Char('\t') + QString::fromUtf8(shortcut);
		QAction* action = menu->addAction(text);
		action->setEnabled(item->IsEnabled());
		if (item->IsMarked()) {
			action->setCheckable(true);
			action->setChecked(true);
		}
		actions[action] = item;
	}
}


// Closes the menus when the mouse button is released outside all of them
// and outside the click-to-open rectangle.
class ReleaseCloser : public QObject {
public:
	ReleaseCloser(QMenu* root, const QRect& clickToOpen) :
		QObject(root),
		fRoot(root),
		fClickToOpen(clickToOpen)
	{
		root->installEventFilter(this);
		for (QMenu* menu : root->findChildren<QMenu*>())
			menu->installEventFilter(this);
	}

protected:
	bool eventFilter(QObject*, QEvent* event) override
	{
		if (event->type() != QEvent::MouseButtonRelease)
			return false;
		QPoint where = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
		if (fClickToOpen.contains(where) || _OverMenu(fRoot, where))
			return false;
		for (QMenu* menu : fRoot->findChildren<QMenu*>())
			menu->hide();
		fRoot->close();
		return true;
	}

private:
	bool _OverMenu(QMenu* menu, const QPoint& where) const
	{
		if (menu->isVisible() && menu->geometry().contains(where))
			return true;
		for (QMenu* child : menu->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
			if (_OverMenu(child, where))
				return true;
		}
		return false;
	}

	QMenu* fRoot;
	QRect fClickToOpen;
};


QRect
click_rect(const BRect* clickToOpen)
{
	if (clickToOpen == NULL || !clickToOpen->IsValid())
		return QRect();
	return QRect(screen_point(clickToOpen->LeftTop()),
		screen_point(clickToOpen->RightBottom()));
}


// Shows the menu and waits for it to close; GUI thread.
BMenuItem*
run_menu(BMenu* model, BPoint where, bool openAnyway, const BRect* clickToOpen)
{
	QMenu menu;
	ActionMap actions;
	fill_menu(&menu, model, actions);
	if (!openAnyway)
		new ReleaseCloser(&menu, click_rect(clickToOpen));
	QAction* chosen = menu.exec(screen_point(where));
	auto found = actions.find(chosen);
	return found != actions.end() ? found->second : NULL;
}


// The item the test hook picks, NULL for one a user could not choose.
BMenuItem*
hook_choice(BMenu* model, int32 index)
{
	BMenuItem* item = model->ItemAt(index);
	if (item == NULL || dynamic_cast<BSeparatorItem*>(item) != NULL || item->Submenu() != NULL
		|| !item->IsEnabled())
		return NULL;
	return item;
}

} // namespace


void
BPrivate::set_pop_up_chooser(PopUpChooser function)
{
	std::lock_guard<std::mutex> guard(sChooserLock);
	sChooser = std::move(function);
}


BPopUpMenu::BPopUpMenu(const char* name, bool radioMode, bool labelFromMarked,
	menu_layout layout) :
	BMenu(name, layout),
	fState(std::make_shared<BPrivate::PopUpState>()),
	fAutoDestruct(false)
{
	fState->owner = this;
	SetRadioMode(radioMode);
	if (labelFromMarked)
		SetLabelFromMarked(true);
}


BPopUpMenu::~BPopUpMenu()
{
	fState->owner = NULL;
	if (QMenu* shown = fState->shown) {
		fState->shown = NULL;
		shown->deleteLater();
	}
}


BMenuItem*
BPopUpMenu::Go(BPoint screenWhere, bool deliversMessage, bool openAnyway, bool async,
	bool autoDelete)
{
	return _Go(screenWhere, deliversMessage, openAnyway, NULL, async, autoDelete);
}


BMenuItem*
BPopUpMenu::Go(BPoint screenWhere, bool deliversMessage, bool openAnyway, BRect clickToOpen,
	bool async, bool autoDelete)
{
	return _Go(screenWhere, deliversMessage, openAnyway, &clickToOpen, async, autoDelete);
}


BMenuItem*
BPopUpMenu::_Go(BPoint where, bool deliversMessage, bool openAnyway, const BRect* clickToOpen,
	bool async, bool autoDelete)
{
	autoDelete = autoDelete || fAutoDestruct;
	BPrivate::attach_gui_thread();
	std::shared_ptr<BPrivate::PopUpState> state = fState;
	if (BPrivate::PopUpChooser choose = chooser()) {
		BMenuItem* item = _Chosen(hook_choice(this, choose(this, where)), deliversMessage);
		if (!async)
			return item;
		if (autoDelete) {
			QTimer::singleShot(0, QCoreApplication::instance(),
				[state]() { delete state->owner; });
		}
		return NULL;
	}
	if (!async) {
		BMenuItem* item = NULL;
		if (BPrivate::is_gui_thread())
			item = run_menu(this, where, openAnyway, clickToOpen);
		else {
			QMetaObject::invokeMethod(
				QCoreApplication::instance(),
				[&]() { item = run_menu(this, where, openAnyway, clickToOpen); },
				Qt::BlockingQueuedConnection);
		}
		return _Chosen(item, deliversMessage);
	}

	BRect clickRect = clickToOpen != NULL ? *clickToOpen : BRect();
	QMetaObject::invokeMethod(
		QCoreApplication::instance(),
		[=]() {
			if (state->owner == NULL)
				return;
			QMenu* menu = new QMenu;
			auto actions = std::make_shared<ActionMap>();
			fill_menu(menu, state->owner, *actions);
			if (!openAnyway)
				new ReleaseCloser(menu, click_rect(&clickRect));
			state->shown = menu;
			QObject::connect(menu, &QMenu::triggered, menu,
				[state, actions, deliversMessage](QAction* action) {
					auto found = actions->find(action);
					if (state->owner != NULL && found != actions->end())
						state->owner->_Chosen(found->second, deliversMessage);
				});
			// The choice is signalled after the menu hides: clean up after both.
			QObject::connect(menu, &QMenu::aboutToHide, menu, [state, menu, autoDelete]() {
				QTimer::singleShot(0, QCoreApplication::instance(),
					[state, menu, autoDelete]() {
						if (state->shown == menu) {
							state->shown = NULL;
							menu->deleteLater();
						}
						if (autoDelete)
							delete state->owner;
					});
			});
			menu->popup(screen_point(where));
		},
		Qt::QueuedConnection);
	return NULL;
}


BMenuItem*
BPopUpMenu::_Chosen(BMenuItem* item, bool deliversMessage)
{
	if (item != NULL && deliversMessage)
		item->Invoke();
	return item;
}
