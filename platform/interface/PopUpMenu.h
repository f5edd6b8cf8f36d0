#ifndef _POP_UP_MENU_H
#define _POP_UP_MENU_H

#include <memory>

#include <Menu.h>

namespace BPrivate {
struct PopUpState;
}

// A menu that opens by itself at a point of the screen, or as a menu of a
// menu bar (added with BMenu::AddItem(BMenu*)), where radio mode with the
// label taken from the marked item makes the bar show the marked item's
// label, or the menu's name while none is marked.
//
// Go() opens the menu with its top-left corner at screenWhere. Without
// async it returns, once the menu closes, the item chosen (in a submenu
// too), or NULL when the menu closed without a choice; the caller's looper
// dispatches nothing meanwhile, while painting and other windows go on.
// With deliversMessage the chosen item is also invoked (which marks it in
// radio mode). Without openAnyway, releasing the mouse button outside the
// menu (and outside clickToOpen, in screen coordinates) closes it. With
// async, Go() returns NULL at once and the choice is delivered when made;
// autoDelete (or SetAsyncAutoDestruct) then deletes the menu once it
// closes. Call Go() on the window's thread or with nothing locked that the
// GUI thread needs.
class BPopUpMenu : public BMenu {
public:
	BPopUpMenu(const char* name, bool radioMode = true, bool labelFromMarked = true,
		menu_layout layout = B_ITEMS_IN_COLUMN);
	virtual ~BPopUpMenu();

	BMenuItem* Go(BPoint screenWhere, bool deliversMessage = false, bool openAnyway = false,
		bool async = false, bool autoDelete = false);
	BMenuItem* Go(BPoint screenWhere, bool deliversMessage, bool openAnyway, BRect clickToOpen,
		bool async = false, bool autoDelete = false);

	void SetAsyncAutoDestruct(bool on) { fAutoDestruct = on; }

private:
	BMenuItem* _Go(BPoint screenWhere, bool deliversMessage, bool openAnyway,
		const BRect* clickToOpen, bool async, bool autoDelete);
	BMenuItem* _Chosen(BMenuItem* item, bool deliversMessage);

	std::shared_ptr<BPrivate::PopUpState> fState;
	bool fAutoDestruct;
};

#endif
