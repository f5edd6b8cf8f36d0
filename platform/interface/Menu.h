#ifndef _MENU_H
#define _MENU_H

#include <vector>

#include <InterfaceDefs.h>
#include <Messenger.h>
#include <View.h>

class BMenuItem;

namespace BPrivate {
class MenuPrivate;
}

// A list of menu items, shown as a menu of a menu bar (or a pop-up). The
// menu owns its items. Radio mode keeps at most one item marked; with the
// label taken from the marked item, the superitem shows that item's label.
class BMenu : public BView {
public:
	BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual ~BMenu();

	bool AddItem(BMenuItem* item);
	bool AddItem(BMenuItem* item, int32 index);
	bool AddItem(BMenu* submenu);
	bool AddItem(BMenu* submenu, int32 index);
	bool AddSeparatorItem();
	// The item leaves the menu without being deleted.
	bool RemoveItem(BMenuItem* item);
	BMenuItem* RemoveItem(int32 index);
	bool RemoveItem(BMenu* submenu);

	BMenuItem* ItemAt(int32 index) const;
	BMenu* SubmenuAt(int32 index) const;
	int32 CountItems() const { return (int32)fItems.size(); }
	int32 IndexOf(BMenuItem* item) const;
	int32 IndexOf(BMenu* submenu) const;
	// Both search the submenus too, depth first in menu order.
	BMenuItem* FindItem(const char* label) const;
	BMenuItem* FindItem(uint32 command) const;
	BMenuItem* FindMarked();

	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;
	virtual void SetRadioMode(bool on);
	bool IsRadioMode() const { return fRadioMode; }
	virtual void SetLabelFromMarked(bool on);

	BMenu* Supermenu() const;
	BMenuItem* Superitem() const { return fSuperitem; }

private:
	friend class BMenuItem;
	friend class BPrivate::MenuPrivate;

	void _ItemMarked(BMenuItem* item);
	void _Changed();

	std::vector<BMenuItem*> fItems;
	BMenuItem* fSuperitem;
	bool fEnabled;
	bool fRadioMode;
	bool fLabelFromMarked;
};

#endif
