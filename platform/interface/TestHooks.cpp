#include "TestHooks.h"

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>

#include <AppDefs.h>
#include <Bitmap.h>
#include <Message.h>
#include <Messenger.h>
#include <FilePanel.h>
#include <View.h>
#include <Window.h>

#include "AppPrivate.h"
#include "BitmapPrivate.h"
#include "DragPrivate.h"
#include "FilePanelWindow.h"
#include "InterfacePrivate.h"
#include "ViewWidget.h"
#include "WindowPrivate.h"
#include "WindowWidget.h"

namespace BPrivate {

void push_scripted_pointer(BPoint screenWhere, uint32 buttons);
void clear_scripted_pointer();


void
push_pointer_state(BPoint screenWhere, uint32 buttons)
{
	push_scripted_pointer(screenWhere, buttons);
}


void
clear_pointer_script()
{
	clear_scripted_pointer();
}


namespace {

void
simulate_mouse(uint32 what, BView* view, BPoint where, uint32 buttons, uint32 modifiers,
	int32 clicks)
{
	if (view == NULL || view->Window() == NULL)
		return;
	post_mouse_message(view->Window()->_Token(), view->_Token(), what,
		view->ConvertToScreen(where), buttons, modifiers, clicks);
}

} // namespace


void
simulate_mouse_down(BView* view, BPoint where, uint32 buttons, uint32 modifiers, int32 clicks)
{
	simulate_mouse(B_MOUSE_DOWN, view, where, buttons, modifiers, clicks);
}


void
simulate_mouse_up(BView* view, BPoint where, uint32 modifiers)
{
	simulate_mouse(B_MOUSE_UP, view, where, 0, modifiers, 0);
}


void
simulate_mouse_moved(BView* view, BPoint where, uint32 buttons, uint32 modifiers)
{
	simulate_mouse(B_MOUSE_MOVED, view, where, buttons, modifiers, 0);
}


void
simulate_key_down(BWindow* window, const char* bytes, uint32 modifiers)
{
	if (window == NULL || bytes == NULL)
		return;
	post_key_message(window->_Token(), B_KEY_DOWN, bytes, 0, modifiers);
}


void
simulate_drop(BView* target, const BMessage& message, BPoint screenWhere, BHandler* source,
	BPoint offset)
{
	if (target == NULL || target->Window() == NULL)
		return;
	deliver_drop(target->Window()->_Token(), target->_Token(), message, screenWhere, offset,
		source != NULL ? BMessenger(source) : BMessenger());
}


bool
run_events_until(const std::function<bool()>& condition, bigtime_t timeout)
{
	return process_events_until(condition, timeout);
}


void
complete_file_panel(BFilePanel* panel, const std::vector<std::string>& paths)
{
	BWindow* window = panel != NULL ? panel->Window() : NULL;
	if (window != NULL && window->Lock()) {
		static_cast<FilePanelWindow*>(window)->Complete(paths);
		window->Unlock();
	}
}


void
cancel_file_panel(BFilePanel* panel)
{
	BWindow* window = panel != NULL ? panel->Window() : NULL;
	if (window != NULL && window->Lock()) {
		static_cast<FilePanelWindow*>(window)->Cancel();
		window->Unlock();
	}
}


std::unique_ptr<BBitmap>
grab_window(BWindow* window)
{
	std::unique_ptr<BBitmap> result;
	if (window == NULL)
		return result;
	auto grab = [window, &result]() {
		QCoreApplication::processEvents();
		QWidget* widget = WindowAccess::Widget(window);
		if (widget != NULL && widget->isVisible())
			result = bitmap_from_image(widget->grab().toImage());
	};
	if (is_gui_thread())
		grab();
	else {
		QMetaObject::invokeMethod(QCoreApplication::instance(), grab,
			Qt::BlockingQueuedConnection);
	}
	return result;
}

} // namespace BPrivate
