#ifndef _INTERFACE_PRIVATE_H
#define _INTERFACE_PRIVATE_H

#include <functional>

#include <Point.h>
#include <SupportDefs.h>

class BView;
class BWindow;
class QWidget;

// Private to the layer: the plumbing between the interface kit's objects and
// their widgets on the GUI thread.
namespace BPrivate {

// Runs function on the GUI thread once the window's lock can be taken there
// without waiting (retrying shortly while another thread holds it), with the
// lock held. Dropped when the window (or the view, or its membership of that
// window) is gone by then. Called on the GUI thread with the lock free or
// held by the caller, it runs at once.
void run_for_window(BWindow* window, std::function<void(BWindow*)> function);
void run_for_view(BView* view, std::function<void(BView*)> function);
void run_for_view(int32 windowToken, int32 viewToken, std::function<void(BView*)> function);

// Windows in creation order, for BApplication::CountWindows and WindowAt.
void register_window(BWindow* window);
void unregister_window(BWindow* window);
int32 count_windows();
BWindow* window_at(int32 index);

// The pointer and keyboard as the last input left them (screen
// coordinates), or as the test script sets them.
struct PointerState {
	BPoint where;
	uint32 buttons;
};
void record_pointer(BPoint screenWhere, uint32 buttons);
PointerState current_pointer();
void record_modifiers(uint32 modifiers);
// The next state of the test script, which then becomes the current state.
bool next_scripted_pointer(PointerState* state);
// Counts clicks of one button at one place within the double-click time.
int32 count_clicks(BPoint screenWhere, uint32 buttons);

// Modifier bits for Qt's keyboard modifiers.
uint32 modifiers_from_qt(int qtModifiers);
uint32 buttons_from_qt(int qtButtons);

} // namespace BPrivate

#endif
