#ifndef _GUI_THREAD_H
#define _GUI_THREAD_H

#include <functional>

#include <OS.h>

// Private to the layer: widgets live on the GUI thread only. Calls that the
// platform allows from any thread (Invalidate, scroll bar and status bar
// changes made under a window's lock) reach their widgets through these.
namespace BPrivate {

// Starts the GUI toolkit when nothing has yet (tests, fonts measured early).
void ensure_gui();

// True on the thread that runs the GUI event loop (or when there is none yet).
bool gui_thread_is_current();

// Runs the function on the GUI thread: at once when already there,
// otherwise queued to run later.
void post_to_gui_thread(std::function<void()> function);

// Runs the function on the GUI thread and waits until it has run.
void call_on_gui_thread(const std::function<void()>& function);

} // namespace BPrivate

#endif
