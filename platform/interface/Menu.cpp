#include "Menu.h"

#include <cstring>

#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <Window.h>

#include "MenuPrivate.h"

BMenu::BMenu(const char* name, menu_layout) :
	BView(BRect(0, 0, 0, 0), name, B_FOLLOW_NONE, B_WILL_DRAW),
	fSuperitem(NULL),
	fEnabled(true),
	fRadioMode(false),
	fLabelFromMarked(false)
{
}


BMenu::~BMenu()
{
	if (fSuperitem != NULL)
		fSuperitem->fSubmenu = NULL;
	while (!fItems.empty()) {
		BMenuItem* item = fItems.back();
		fItems.pop_back();
		item->fSuper = NULL;
		delete item;
	}
}


bool
BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}


bool
BMenu::AddItem(BMenuItem* item, int32 index)
{
	if (item == NULL || item->fSuper != NULL || index < 0 || index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	item->fSuper = this;
	if (item->IsMarked())
		_ItemMarked(item);
	_Changed();
	return true;
}


bool
BMenu::AddItem(BMenu* submenu)
{
	return AddItem(submenu, CountItems());
}


bool
BMenu::AddItem(BMenu* submenu, int32 index)
{
	if (submenu == NULL || submenu->fSuperitem != NULL)
		return false;
	BMenuItem* item = new BMenuItem(submenu);
	if (!AddItem(item, index)) {
		submenu->fSuperitem = NULL;
		item->fSubmenu = NULL;
		delete item;
		return false;
	}
	return true;
}


bool
BMenu::AddSeparatorItem()
{
	return AddItem(new BSeparatorItem());
}


bool
BMenu::RemoveItem(BMenuItem* item)
{
	int32 index = IndexOf(item);
	if (index < 0)
		return false;
	fItems.erase(fItems.begin() + index);
	item->fSuper = NULL;
	_Changed();
	return true;
}


BMenuItem*
BMenu::RemoveItem(int32 index)
{
	BMenuItem* item = ItemAt(index);
	if (item != NULL)
		RemoveItem(item);
	return item;
}


bool
BMenu::RemoveItem(BMenu* submenu)
{
	int32 index = IndexOf(submenu);
	if (index < 0)
		return false;
	BMenuItem* item = fItems[index];
	RemoveItem(item);
	item->fSubmenu = NULL;
	submenu->fSuperitem = NULL;
	delete item;
	return true;
}


BMenuItem*
BMenu::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return NULL;
	return fItems[index];
}


BMenu*
BMenu::SubmenuAt(int32 index) const
{
	BMenuItem* item = ItemAt(index);
	return item != NULL ? item->Submenu() : NULL;
}


int32
BMenu::IndexOf(BMenuItem* item) const
{
	for (int32 i = 0; i < CountItems(); i++) {
		if (fItems[i] == item)
			return i;
	}
	return -1;
}


int32
BMenu::IndexOf(BMenu* submenu) const
{
	for (int32 i = 0; i < CountItems(); i++) {
		if (submenu != NULL && fItems[i]->Submenu() == submenu)
			return i;
	}
	return -1;
}


BMenuItem*
BMenu::FindItem(const char* label) const
{
	if (label == NULL)
		return NULL;
	for (BMenuItem* item : fItems) {
		if (item->Submenu() == NULL && strcmp(item->Label(), label) == 0)
			return item;
		if (item->Submenu() != NULL) {
			if (BMenuItem* found = item->Submenu()->FindItem(label))
				return found;
		}
	}
	return NULL;
}


BMenuItem*
BMenu::FindItem(uint32 command) const
{
	for (BMenuItem* item : fItems) {
		if (item->Submenu() == NULL && item->Message() != NULL && item->Command() == command)
			return item;
		if (item->Submenu() != NULL) {
			if (BMenuItem* found = item->Submenu()->FindItem(command))
				return found;
		}
	}
	return NULL;
}


BMenuItem*
BMenu::FindMarked()
{
	for (BMenuItem* item : fItems) {
		if (item->IsMarked())
			return item;
	}
	return NULL;
}


void
BMenu::SetEnabled(bool enabled)
{
	if (fEnabled == enabled)
		return;
	fEnabled = enabled;
	_Changed();
}


bool
BMenu::IsEnabled() const
{
	if (!fEnabled)
		return false;
	BMenu* super = Supermenu();
	return super == NULL || super->IsEnabled();
}


void
BMenu::SetRadioMode(bool on)
{
	fRadioMode = on;
	if (!on)
		SetLabelFromMarked(false);
}


void
BMenu::SetLabelFromMarked(bool on)
{
	fLabelFromMarked = on;
	if (on)
		SetRadioMode(true);
	BMenuItem* marked = FindMarked();
	if (on && marked != NULL && fSuperitem != NULL)
		fSuperitem->SetLabel(marked->Label());
}


BMenu*
BMenu::Supermenu() const
{
	return fSuperitem != NULL ? fSuperitem->Menu() : NULL;
}


void
BMenu::_ItemMarked(BMenuItem* marked)
{
	if (fRadioMode) {
		for (BMenuItem* item : fItems) {
			if (item != marked && item->fMarked) {
				item->fMarked = false;
				item->_Changed();
			}
		}
	}
	if (fLabelFromMarked && fSuperitem != NULL)
		fSuperitem->SetLabel(marked->Label());
}


void
BMenu::_Changed()
{
	BMenu* root = this;
	while (root->Supermenu() != NULL)
		root = root->Supermenu();
	if (BMenuBar* bar = dynamic_cast<BMenuBar*>(root))
		bar->_ModelChanged();
}
