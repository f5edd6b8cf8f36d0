#ifndef _INTERFACE_TEST_HOOKS_H
#define _INTERFACE_TEST_HOOKS_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <Point.h>
#include <SupportDefs.h>

class BBitmap;
class BHandler;
class BMessage;
class BFilePanel;
class BPopUpMenu;
class BView;
class BWindow;

// Test hooks of the interface kit; production code never calls them.
namespace BPrivate {

// Answers every BAlert::Go() instead of the user: receives the title, text
// and button labels and returns the index to press. An empty function makes
// alerts real again.
typedef std::function<int32(const std::string& title, const std::string& text,
	const std::vector<std::string>& buttons)>
	AlertResponder;
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

// Receives every BView::DragMessage instead of the toolkit's drag: the
// message, the drag image (NULL for a rectangle; the view deletes it after
// the call), the offset of the pointer in it and the handler replies go to.
// An empty function makes drags real again.
typedef std::function<void(const BMessage& message, const BBitmap* image, BPoint offset,
	BHandler* source)>
	DragInterceptor;
void set_drag_interceptor(DragInterceptor interceptor);

// Drops message on target as a drop at screenWhere (screen coordinates)
// would: queued to target's window for target, with WasDropped() true,
// DropPoint() screenWhere and offset, and replies going to source.
void simulate_drop(BView* target, const BMessage& message, BPoint screenWhere, BHandler* source,
	BPoint offset = BPoint(0, 0));

// Runs the GUI thread's events until condition() holds or timeout
// microseconds pass; returns condition().
bool run_events_until(const std::function<bool()>& condition, bigtime_t timeout = 5000000);

// Completes a file panel as the user would: an open panel shows the folder
// of paths[0] and chooses those of the entries there it may (no paths: the
// default button with nothing selected); a save panel saves as the full
// path paths[0]. The result goes to the panel's target as from the panel.
void complete_file_panel(BFilePanel* panel, const std::vector<std::string>& paths);
// Presses the panel's Cancel button.
void cancel_file_panel(BFilePanel* panel);

// The window's pixels as shown (content area), grabbed on the GUI thread
// once every pending paint is done. NULL when the window is not shown.
std::unique_ptr<BBitmap> grab_window(BWindow* window);

} // namespace BPrivate

#endif
