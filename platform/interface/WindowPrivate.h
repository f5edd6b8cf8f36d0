#ifndef _WINDOW_PRIVATE_H
#define _WINDOW_PRIVATE_H

class BWindow;
class QWidget;

// Private to the layer, for other kinds of windows built on BWindow (the
// file panels): every BWindow counts in BApplication::CountWindows() from
// construction to deletion, so such a window only needs a toolkit widget of
// its own inside the BWindow's top-level widget.
namespace BPrivate {

// The window's top-level widget, made when the window has none yet (it is
// then shown by the window's first Show()). GUI thread, window locked.
QWidget* window_widget(BWindow* window);

class WindowAccess {
public:
	static QWidget* Widget(BWindow* window);
	static QWidget* MakeWidget(BWindow* window);
};

} // namespace BPrivate

#endif
