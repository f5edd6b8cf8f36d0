#include "MenuItem.h"

#include <Menu.h>
#include <Message.h>
#include <Window.h>

#include "MenuPrivate.h"

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers) :
	BInvoker(message, NULL),
	fLabel(label != NULL ? label : ""),
	fSubmenu(NULL),
	fSuper(NULL),
	fShortcut(shortcut),
	fModifiers(shortcut != 0 ? modifiers | B_COMMAND_KEY : 0),
	fEnabled(true),
	fMarked(false)
{
}


BMenuItem::BMenuItem(BMenu* submenu, BMessage* message) :
	BInvoker(message, NULL),
	fLabel(submenu != NULL && submenu->Name() != NULL ? submenu->Name() : ""),
	fSubmenu(submenu),
	fSuper(NULL),
	fShortcut(0),
	fModifiers(0),
	fEnabled(true),
	fMarked(false)
{
	if (submenu != NULL)
		submenu->fSuperitem = this;
}


BMenuItem::~BMenuItem()
{
	if (fSuper != NULL)
		fSuper->RemoveItem(this);
	delete fSubmenu;
}


void
BMenuItem::SetLabel(const char* label)
{
	std::string newLabel = label != NULL ? label : "";
	if (newLabel == fLabel)
		return;
	fLabel = newLabel;
	_Changed();
}


void
BMenuItem::SetEnabled(bool enabled)
{
	if (fSubmenu != NULL)
		fSubmenu->SetEnabled(enabled);
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	_Changed();
}


bool
BMenuItem::IsEnabled() const
{
	if (fSubmenu != NULL && !fSubmenu->IsEnabled())
		return false;
	if (!fEnabled)
		return false;
	return fSuper == NULL || fSuper->IsEnabled();
}


void
BMenuItem::SetMarked(bool marked)
{
	if (marked == fMarked)
		return;
	fMarked = marked;
	if (marked && fSuper != NULL)
		fSuper->_ItemMarked(this);
	_Changed();
}


char
BMenuItem::Shortcut(uint32* _modifiers) const
{
	if (_modifiers != NULL)
		*_modifiers = fModifiers;
	return fShortcut;
}


status_t
BMenuItem::Invoke(BMessage* message)
{
	if (!IsEnabled())
		return B_ERROR;
	if (fSuper != NULL && fSuper->IsRadioMode())
		SetMarked(true);
	if (message == NULL)
		message = Message();
	if (message == NULL)
		return B_BAD_VALUE;
	BMessage copy(*message);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	copy.AddInt32("index", fSuper != NULL ? fSuper->IndexOf(this) : -1);
	if (Messenger().IsValid())
		return BInvoker::Invoke(&copy);
	BWindow* window = BPrivate::MenuPrivate::WindowOf(this);
	if (window == NULL)
		return B_BAD_PORT_ID;
	return window->PostMessage(&copy, window);
}


void
BMenuItem::_Changed()
{
	if (fSuper != NULL)
		fSuper->_Changed();
}


// #pragma mark - BSeparatorItem


BSeparatorItem::BSeparatorItem() :
	BMenuItem("", NULL)
{
	BMenuItem::SetEnabled(false);
}


BSeparatorItem::~BSeparatorItem()
{
}


void
BSeparatorItem::SetEnabled(bool)
{
}
