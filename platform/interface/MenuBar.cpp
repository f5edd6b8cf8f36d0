// BMenuBar over a QMenuBar. The menus' contents are built from the model
// each time a menu opens, after the window's MenusBeginning().
#include "MenuBar.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <Locker.h>
#include <MenuItem.h>
#include <Message.h>
#include <Messenger.h>
#include <Window.h>

#include "AppPrivate.h"
#include "MenuPrivate.h"

namespace {

// The GUI thread waits at most this long for a window that another thread
// holds before it shows a menu without asking the window to update it.
const bigtime_t kMenuLockTimeout = 200000;


float
bar_height()
{
	font_height height;
	be_plain_font->GetHeight(&height);
	return std::ceil(height.ascent + height.descent) + 8;
}


QString
menu_text(const char* label)
{
	return QString::fromUtf8(label).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace


namespace BPrivate {

class MenuBarWidget : public QMenuBar {
public:
	MenuBarWidget(BMenuBar* bar, QWidget* parent) :
		QMenuBar(parent),
		fWindowToken(bar->Window()->_Token()),
		fBarToken(bar->_Token()),
		fMenusOpen(false)
	{
		setNativeMenuBar(false);
		setFocusPolicy(Qt::NoFocus);
	}

	// GUI thread, window locked.
	void Rebuild(BMenuBar* bar);

private:
	struct Entry {
		BMenuItem* item;
		std::string label;
		bool enabled;
	};

	BMenuBar* _LockBar(std::shared_ptr<BLocker>& _lock);
	void _Opening(QMenu* menu, BMenu* model);
	void _Fill(QMenu* menu, BMenu* model);
	void _AddAction(QMenu* menu, QMenuBar* bar, BMenuItem* item);
	void _Choose(BMenuItem* item);
	void _MaybeEnded();

	int32 fWindowToken;
	int32 fBarToken;
	bool fMenusOpen;
	std::vector<Entry> fBuilt;
};


void
MenuBarWidget::Rebuild(BMenuBar* bar)
{
	std::vector<Entry> entries;
	for (int32 i = 0; i < bar->CountItems(); i++) {
		BMenuItem* item = bar->ItemAt(i);
		entries.push_back(Entry{item, item->Label(), item->IsEnabled()});
	}
	bool same = entries.size() == fBuilt.size();
	for (size_t i = 0; same && i < entries.size(); i++) {
		same = entries[i].item == fBuilt[i].item && entries[i].label == fBuilt[i].label
			&& entries[i].enabled == fBuilt[i].enabled;
	}
	if (same)
		return;
	fBuilt = entries;
	for (QMenu* old : findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
		old->deleteLater();
	clear();
	for (const Entry& entry : entries) {
		BMenu* submenu = entry.item->Submenu();
		if (submenu == NULL) {
			_AddAction(NULL, this, entry.item);
			continue;
		}
		QMenu* menu = addMenu(menu_text(entry.label.c_str()));
		menu->setEnabled(entry.enabled);
		connect(menu, &QMenu::aboutToShow, this,
			[this, menu, submenu]() { _Opening(menu, submenu); });
		connect(menu, &QMenu::aboutToHide, this, [this]() { _MaybeEnded(); });
	}
}


BMenuBar*
MenuBarWidget::_LockBar(std::shared_ptr<BLocker>& _lock)
{
	_lock = looper_lock(fWindowToken);
	if (!_lock || _lock->LockWithTimeout(kMenuLockTimeout) != B_OK)
		return NULL;
	BLooper* looper;
	BHandler* handler;
	if (is_looper_alive(fWindowToken, _lock.get())
		&& resolve_target(fWindowToken, fBarToken, &looper, &handler) == B_OK) {
		if (BMenuBar* bar = dynamic_cast<BMenuBar*>(handler))
			return bar;
	}
	_lock->Unlock();
	return NULL;
}


void
MenuBarWidget::_Opening(QMenu* menu, BMenu* model)
{
	std::shared_ptr<BLocker> lock;
	BMenuBar* bar = _LockBar(lock);
	if (bar == NULL)
		return;
	if (!fMenusOpen && bar->Window() != NULL) {
		fMenusOpen = true;
		bar->Window()->MenusBeginning();
	}
	if (MenuPrivate::ContainsMenu(bar, model))
		_Fill(menu, model);
	lock->Unlock();
}


void
MenuBarWidget::_Fill(QMenu* menu, BMenu* model)
{
	menu->clear();
	for (int32 i = 0; i < model->CountItems(); i++) {
		BMenuItem* item = model->ItemAt(i);
		if (dynamic_cast<BSeparatorItem*>(item) != NULL) {
			menu->addSeparator();
			continue;
		}
		BMenu* submenu = item->Submenu();
		if (submenu == NULL) {
			_AddAction(menu, NULL, item);
			continue;
		}
		QMenu* child = menu->addMenu(menu_text(item->Label()));
		child->setEnabled(item->IsEnabled());
		connect(child, &QMenu::aboutToShow, this,
			[this, child, submenu]() { _Opening(child, submenu); });
	}
}


void
MenuBarWidget::_AddAction(QMenu* menu, QMenuBar* bar, BMenuItem* item)
{
	QString text = menu_text(item->Label());
	char shortcut[32];
	if (menu != NULL && MenuPrivate::ShortcutText(item, shortcut, sizeof(shortcut))[0] != '\0')
		text += QLatin1Char('\t') + QString::fromUtf8(shortcut);
	QAction* action = menu != NULL ? menu->addAction(text) : bar->addAction(text);
	action->setEnabled(item->IsEnabled());
	if (item->IsMarked()) {
		action->setCheckable(true);
		action->setChecked(true);
	}
	connect(action, &QAction::triggered, this, [this, item]() { _Choose(item); });
}


void
MenuBarWidget::_Choose(BMenuItem* item)
{
	BMessage chosen(kMsgMenuItemChosen);
	chosen.AddPointer("be:item", item);
	BMessenger messenger;
	messenger._SetTo(fWindowToken, fWindowToken);
	messenger.SendMessage(&chosen);
}


void
MenuBarWidget::_MaybeEnded()
{
	QTimer::singleShot(0, this, [this]() {
		if (!fMenusOpen)
			return;
		for (QMenu* menu : findChildren<QMenu*>()) {
			if (menu->isVisible())
				return;
		}
		fMenusOpen = false;
		std::shared_ptr<BLocker> lock;
		BMenuBar* bar = _LockBar(lock);
		if (bar == NULL)
			return;
		if (bar->Window() != NULL)
			bar->Window()->MenusEnded();
		lock->Unlock();
	});
}


// #pragma mark - MenuPrivate


BMenuItem*
MenuPrivate::FindShortcut(BMenu* menu, char key, uint32 pressed)
{
	for (int32 i = 0; i < menu->CountItems(); i++) {
		BMenuItem* item = menu->ItemAt(i);
		if (item->Submenu() != NULL) {
			if (BMenuItem* found = FindShortcut(item->Submenu(), key, pressed))
				return found;
			continue;
		}
		if (item->fShortcut == 0 || tolower(item->fShortcut) != tolower(key))
			continue;
		uint32 significant = B_OPTION_KEY;
		if (isalpha((unsigned char)key))
			significant |= B_SHIFT_KEY;
		if (((item->fModifiers ^ pressed) & significant) != 0)
			continue;
		if (item->IsEnabled())
			return item;
	}
	return NULL;
}


bool
MenuPrivate::Contains(BMenu* menu, BMenuItem* item)
{
	for (int32 i = 0; i < menu->CountItems(); i++) {
		BMenuItem* candidate = menu->ItemAt(i);
		if (candidate == item)
			return true;
		if (candidate->Submenu() != NULL && Contains(candidate->Submenu(), item))
			return true;
	}
	return false;
}


bool
MenuPrivate::ContainsMenu(BMenu* root, BMenu* menu)
{
	if (root == menu)
		return true;
	for (int32 i = 0; i < root->CountItems(); i++) {
		BMenu* submenu = root->ItemAt(i)->Submenu();
		if (submenu != NULL && ContainsMenu(submenu, menu))
			return true;
	}
	return false;
}


BWindow*
MenuPrivate::WindowOf(BMenuItem* item)
{
	BMenu* root = item->Menu();
	if (root == NULL)
		return NULL;
	while (root->Supermenu() != NULL)
		root = root->Supermenu();
	return root->Window();
}


const char*
MenuPrivate::ShortcutText(BMenuItem* item, char* buffer, size_t size)
{
	if (item->fShortcut == 0) {
		buffer[0] = '\0';
		return buffer;
	}
	snprintf(buffer, size, "Ctrl+%s%s%c", (item->fModifiers & B_SHIFT_KEY) != 0 ? "Shift+" : "",
		(item->fModifiers & B_OPTION_KEY) != 0 ? "Alt+" : "", toupper(item->fShortcut));
	return buffer;
}

} // namespace BPrivate


// #pragma mark - BMenuBar


BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode, menu_layout layout,
	bool resizeToFit) :
	BMenu(name, layout),
	fResizeToFit(resizeToFit)
{
	MoveTo(frame.LeftTop());
	ResizeTo(frame.Width(), frame.Height());
	SetResizingMode(resizingMode);
	SetViewColor(216, 216, 216);
}


BMenuBar::~BMenuBar()
{
}


void
BMenuBar::AttachedToWindow()
{
	BMenu::AttachedToWindow();
	if (Window() == NULL)
		return;
	// A bar inside another view (a file panel's) still works as the
	// window's own when the window has none.
	if (Window()->KeyMenuBar() == NULL)
		Window()->SetKeyMenuBar(this);
	if (!fResizeToFit)
		return;
	// A bar that follows both sides spans the window; one placed among
	// other views (in a file panel) takes the width of its items.
	float width = Window()->Bounds().Width() - Frame().left;
	if ((ResizingMode() & _rule_(0, 0xfUL, 0, 0xfUL)) != B_FOLLOW_LEFT_RIGHT)
		GetPreferredSize(&width, NULL);
	ResizeTo(width, bar_height() - 1);
}


void
BMenuBar::GetPreferredSize(float* _width, float* _height)
{
	float width = 0;
	for (int32 i = 0; i < CountItems(); i++)
		width += StringWidth(ItemAt(i)->Label()) + 16;
	if (_width != NULL)
		*_width = width;
	if (_height != NULL)
		*_height = bar_height() - 1;
}


QWidget*
BMenuBar::_CreateWidget(QWidget* parent)
{
	return new BPrivate::MenuBarWidget(this, parent);
}


void
BMenuBar::_WidgetStateChanged()
{
	static_cast<BPrivate::MenuBarWidget*>(fWidget)->Rebuild(this);
}


void
BMenuBar::_ModelChanged()
{
	_SyncWidget();
	// A bar placed among other views keeps fitting its items as their labels
	// change (a pop-up that takes its label from the marked item).
	if (!fResizeToFit || Window() == NULL
		|| (ResizingMode() & _rule_(0, 0xfUL, 0, 0xfUL)) == B_FOLLOW_LEFT_RIGHT)
		return;
	float width = 0;
	GetPreferredSize(&width, NULL);
	if (width != Bounds().Width())
		ResizeTo(width, Bounds().Height());
}
