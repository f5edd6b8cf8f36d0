#ifndef _MENU_ITEM_H
#define _MENU_ITEM_H

#include <string>

#include <Invoker.h>
#include <SupportDefs.h>

class BMenu;
class BMessage;

namespace BPrivate {
class MenuPrivate;
}

// An item of a menu: a label, a message sent to the target when the item is
// chosen (by the pointer or its shortcut), or a submenu, which it owns.
// Shortcuts always take the command key (Ctrl on Linux). Without a target
// of its own, the item's message goes to the window of its menu bar. The
// message sent carries "when", "source" (the item) and "index" (its place in
// its menu). Invoking an item of a radio-mode menu marks it.
class BMenuItem : public BInvoker {
public:
	BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
	BMenuItem(BMenu* submenu, BMessage* message = NULL);
	virtual ~BMenuItem();

	virtual void SetLabel(const char* label);
	const char* Label() const { return fLabel.c_str(); }
	virtual void SetEnabled(bool enabled);
	// False also when a menu above the item is disabled.
	bool IsEnabled() const;
	virtual void SetMarked(bool marked);
	bool IsMarked() const { return fMarked; }
	char Shortcut(uint32* _modifiers = NULL) const;

	BMenu* Submenu() const { return fSubmenu; }
	BMenu* Menu() const { return fSuper; }

	virtual status_t Invoke(BMessage* message = NULL);

private:
	friend class BMenu;
	friend class BPrivate::MenuPrivate;

	void _Changed();

	std::string fLabel;
	BMenu* fSubmenu;
	BMenu* fSuper;
	char fShortcut;
	uint32 fModifiers;
	bool fEnabled;
	bool fMarked;
};

// A line between groups of items.
class BSeparatorItem : public BMenuItem {
public:
	BSeparatorItem();
	virtual ~BSeparatorItem();

	virtual void SetEnabled(bool enabled);
};

#endif
