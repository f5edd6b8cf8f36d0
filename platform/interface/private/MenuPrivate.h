#ifndef _MENU_PRIVATE_H
#define _MENU_PRIVATE_H

#include <SupportDefs.h>

class BMenu;
class BMenuItem;
class BWindow;

namespace BPrivate {

// Posted to a window when the user chooses an item of its menu bar, with the
// item as pointer "be:item"; the window invokes it if it is still there.
const uint32 kMsgMenuItemChosen = '_MIC';

class MenuPrivate {
public:
	// The first enabled item under menu, in menu order, whose shortcut is
	// key with the modifiers pressed (shift and option must match).
	static BMenuItem* FindShortcut(BMenu* menu, char key, uint32 pressedModifiers);
	static bool Contains(BMenu* menu, BMenuItem* item);
	static bool ContainsMenu(BMenu* root, BMenu* menu);
	// The window of the menu bar that holds item, if any.
	static BWindow* WindowOf(BMenuItem* item);
	// The text a menu shows for the item's shortcut ("Ctrl+O").
	static const char* ShortcutText(BMenuItem* item, char* buffer, size_t size);
};

} // namespace BPrivate

#endif
