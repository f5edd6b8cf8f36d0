#ifndef _MENU_BAR_H
#define _MENU_BAR_H

#include <memory>

#include <Menu.h>

namespace BPrivate {
class MenuBarWidget;
}

// The menu bar of a window, shown as a toolkit menu bar. With resizeToFit,
// attaching it to a window sizes it to the height its items need and to the
// window's full width (with B_FOLLOW_LEFT_RIGHT) or the width of its items.
// The first menu bar attached to a window (also inside another view) is the
// window's key menu bar: its items' shortcuts work in the window, and the
// window's MenusBeginning() is called (with the window locked) before one
// of its menus opens, MenusEnded() after it closes. Choosing an item
// invokes it through the window's queue.
class BMenuBar : public BMenu {
public:
	BMenuBar(BRect frame, const char* name,
		uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
	virtual ~BMenuBar();

	virtual void AttachedToWindow();
	virtual void GetPreferredSize(float* _width, float* _height);

private:
	friend class BMenu;
	friend class BPrivate::MenuBarWidget;

	virtual QWidget* _CreateWidget(QWidget* parent);
	virtual void _WidgetStateChanged();
	void _ModelChanged();

	bool fResizeToFit;
};

#endif
