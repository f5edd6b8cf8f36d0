#ifndef _INTERFACE_TEST_HOOKS_H
#define _INTERFACE_TEST_HOOKS_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <Point.h>
#include <SupportDefs.h>

class BBitmap;
class BPopUpMenu;
class BView;
class BWindow;

// Test hooks of the interface kit; production code never calls them.
namespace BPrivate {

// Answers every BAlert::Go() instead of the user: receives the title, text
// and button labels and returns the index to press. An empty function makes
// alerts real again.
typedef std::function<int32(const std::string& title, const std::string& text,
	const std::vector<std::string>& buttons)> AlertResponder;
void set_alert_responder(AlertResponder responder);

// Chooses for the user in every BPopUpMenu::Go(), instead of showing the
// menu: receives the menu and the point it would open at, and returns the
// index of the item to choose (-1, or an item that cannot be chosen: the
// menu closes without a choice). An empty function shows menus again.
typedef std::function<int32(const BPopUpMenu* menu, BPoint where)> PopUpChooser;
void set_pop_up_chooser(PopUpChooser chooser);

// The pointer script: GetMouse returns these states (screen coordinates,
// buttons held) one per call, in order, instead of the real pointer; each
// becomes the current pointer state, so the last one stays after the script
// ends.
void push_pointer_state(BPoint screenWhere, uint32 buttons);
void clear_pointer_script();

// Input as the user would give it: posted to the view's (or window's) queue
// like a real event, with the pointer and modifiers recorded. Call with the
// window locked or on the GUI thread; where is in the view's coordinates.
void simulate_mouse_down(BView* view, BPoint where, uint32 buttons, uint32 modifiers = 0,
	int32 clicks = 1);
void simulate_mouse_up(BView* view, BPoint where, uint32 modifiers = 0);
void simulate_mouse_moved(BView* view, BPoint where, uint32 buttons, uint32 modifiers = 0);
void simulate_key_down(BWindow* window, const char* bytes, uint32 modifiers = 0);

// Runs the GUI thread's events until condition() holds or timeout
// microseconds pass; returns condition().
bool run_events_until(const std::function<bool()>& condition, bigtime_t timeout = 5000000);

// The window's pixels as shown (content area), grabbed on the GUI thread
// once every pending paint is done. NULL when the window is not shown.
std::unique_ptr<BBitmap> grab_window(BWindow* window);

} // namespace BPrivate

#endif
