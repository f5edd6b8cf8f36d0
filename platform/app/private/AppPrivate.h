#ifndef _APP_PRIVATE_H
#define _APP_PRIVATE_H

#include <functional>
#include <memory>

#include <OS.h>

class BHandler;
class BLocker;
class BLooper;
class BMessage;

namespace BPrivate {

// Handler tokens. Every BHandler gets a token that is never reused; a looper's
// token is its own handler token. A messenger addresses a handler by the pair
// (looper token, handler token); kPreferredToken names the looper's
// preferred handler.
const int32 kNullToken = -1;
const int32 kPreferredToken = -2;

// The token table. One mutex guards every handler and looper entry, the
// handlers' looper links, and the enqueueing of messages, so a messenger's
// look-up and its enqueue are atomic with respect to a looper's deletion.
int32 register_handler(BHandler* handler);
void unregister_handler(int32 token);
void register_looper(BLooper* looper, int32 token, std::shared_ptr<BLocker> lock);
void unregister_looper(BLooper* looper);
// Moves a handler into a looper (or out of any, with NULL).
void set_handler_looper(BHandler* handler, BLooper* looper);

// The lock of a live looper, looked up by address or token; NULL when the
// looper is gone. Callers that waited for it check again with
// is_looper_alive before they rely on the looper.
std::shared_ptr<BLocker> looper_lock(const BLooper* looper);
std::shared_ptr<BLocker> looper_lock(int32 looperToken);
bool is_looper_alive(const BLooper* looper, const BLocker* lock);
bool is_looper_alive(int32 looperToken, const BLocker* lock);

// Tokens for a messenger to handler (or, with a NULL handler, to looper's
// preferred handler). B_BAD_VALUE, B_BAD_HANDLER or B_MISMATCHED_VALUES as
// BMessenger's constructor reports them.
status_t messenger_tokens(const BHandler* handler, const BLooper* looper, int32* _looperToken,
	int32* _handlerToken);
// The live target of a token pair: B_BAD_PORT_ID when the looper is gone,
// B_BAD_HANDLER when the handler is gone or left the looper.
status_t resolve_target(int32 looperToken, int32 handlerToken, BLooper** _looper,
	BHandler** _handler);

// Queues message to the target of the token pair. Takes ownership.
status_t deliver_message(int32 looperToken, int32 handlerToken,
	std::unique_ptr<BMessage> message);

// The looper with this token, NULL when gone. Only the GUI thread may use the
// result, and only for a running looper: those are deleted on that thread.
BLooper* looper_for_token(int32 looperToken);

// The Qt side. Every looper is dispatched on the thread of the Qt
// application (the GUI thread).

// Creates the QApplication when none exists yet (argc must outlive it) and
// records the calling thread as the GUI thread. Call it on the main thread.
void ensure_qt_application(int& argc, char** argv);
// The GUI thread's thread_id, or B_NO_INIT before it is known.
thread_id gui_thread();
// For BLooper::Run: creates the QApplication on the calling thread when none
// exists, and returns the GUI thread's id (B_NO_INIT when the application was
// made elsewhere and the layer was never told its thread).
thread_id attach_gui_thread();
bool is_gui_thread();
// Asks the GUI thread to dispatch the looper with this token.
void schedule_looper(int32 looperToken);
// Runs the GUI thread's event loop until done() is true or timeout
// microseconds pass; returns done(). On another thread it only waits.
bool process_events_until(const std::function<bool()>& done, bigtime_t timeout);

} // namespace BPrivate

#endif
