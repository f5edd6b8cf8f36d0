#ifndef _VIEW_ACCESS_H
#define _VIEW_ACCESS_H

#include <View.h>

class QWidget;

namespace BPrivate {

// For views of the layer that keep toolkit widgets of their own inside their
// mirror widget (the text control's line edit): reaching the mirror, and
// having it brought in step with the view's state.
class ViewAccess {
public:
	// The view's widget; GUI thread only, NULL while it has none.
	static QWidget* Widget(const BView* view) { return view->fWidget; }
	// Calls the view's _WidgetStateChanged() on the GUI thread, with the
	// window locked, when the view is on screen.
	static void SyncWidget(BView* view) { view->_SyncWidget(); }
};

} // namespace BPrivate

#endif
