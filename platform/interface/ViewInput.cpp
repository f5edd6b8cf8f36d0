// BView::GetMouse: the pointer as input or the test script leaves it.
#include <View.h>

#include <QCoreApplication>

#include "AppPrivate.h"
#include "InterfacePrivate.h"

void
BView::GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue)
{
	// A tracking loop polls here: let the GUI thread paint what the view
	// invalidated and take in the pointer's events. With checkMessageQueue
	// other loopers' messages are dispatched too; this window's own queue
	// waits for the dispatch in progress either way.
	if (BPrivate::is_gui_thread()) {
		QCoreApplication::processEvents(
			checkMessageQueue ? QEventLoop::AllEvents : QEventLoop::ExcludeSocketNotifiers);
	}
	BPrivate::PointerState state;
	if (!BPrivate::next_scripted_pointer(&state))
		state = BPrivate::current_pointer();
	if (location != NULL)
		*location = ConvertFromScreen(state.where);
	if (buttons != NULL)
		*buttons = state.buttons;
}
