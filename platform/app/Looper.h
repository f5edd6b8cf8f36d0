#ifndef _LOOPER_H
#define _LOOPER_H

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include <Handler.h>

class BLocker;
class BMessage;

#define B_LOOPER_PORT_DEFAULT_CAPACITY 200

// A message queue with handlers, dispatched on the Qt GUI thread.
//
// Qt allows widgets on one thread only, so no looper has a thread of its own:
// Run() marks the looper running and returns the GUI thread's id. Messages
// posted from any thread (PostMessage, BMessenger::SendMessage) are copied
// into the looper's own queue under its queue mutex, and the GUI thread is
// woken through one QObject living on it. There, for each looper with
// pending messages, it takes the looper's lock (waiting for a worker that
// holds it: workers must lock with LockWithTimeout and keep their hold
// short), pops one message, sets CurrentMessage(), calls DispatchMessage()
// and unlocks; after a batch it lets other loopers and Qt's own events run.
//
// A handler may run a nested event loop (a synchronous alert, a pop-up
// menu, mouse tracking). Meanwhile other loopers' messages still flow, but
// this looper's queued messages wait: they are dispatched, in order, once
// the outer dispatch returns.
//
// The lock is a recursive timed lock (BLocker) shared with messengers, so
// that locking through a messenger or through a stale looper pointer fails
// cleanly once the looper is gone.
//
// Ending: Quit() deletes the looper on the GUI thread. Called while the
// looper dispatches (from its own handler, or a nested loop of it), the
// deletion happens when the current dispatch returns. Called on the GUI
// thread otherwise, it happens at once. Called on another thread (which
// should hold the lock), the lock is released and the GUI thread deletes the
// looper soon after; the caller must not touch it again. A looper that never
// ran is deleted at once on the calling thread. From deletion on, messengers
// to it fail with B_BAD_PORT_ID; messages still queued are dropped. Delete a
// running looper only through Quit().
//
// For subclasses (BApplication, BWindow): DispatchMessage, MessageReceived,
// QuitRequested, Quit and Run are virtual. BApplication can override Run()
// to call BLooper::Run() and then run Qt's event loop, and Quit() to leave
// that loop instead of deleting itself. Events that Qt delivers to a window
// (input, paint) can be dispatched at once with _DispatchDirectly(), which
// gives them the same lock, CurrentMessage() and re-entrancy rules.
class BLooper : public BHandler {
public:
	// priority and portCapacity are accepted for compatibility: every looper
	// runs on the GUI thread and its queue has no fixed capacity.
	BLooper(const char* name = NULL, int32 priority = B_NORMAL_PRIORITY,
		int32 portCapacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
	virtual ~BLooper();

	// Hooks. DispatchMessage answers B_QUIT_REQUESTED sent to the looper
	// itself with QuitRequested() and, when that agrees, Quit(); it passes
	// every other message to handler->MessageReceived().
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	virtual bool QuitRequested();

	virtual thread_id Run();
	virtual void Quit();

	// Safe from any thread. A copy of the message is queued. Without a
	// handler argument the target is the looper itself; with a NULL handler
	// it is the preferred handler. B_MISMATCHED_VALUES when the handler
	// belongs to another looper, B_BAD_PORT_ID once the looper quits.
	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message);
	status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = NULL);
	status_t PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo = NULL);

	// The message being dispatched, owned by the looper; NULL outside a
	// dispatch. DetachCurrentMessage hands it to the caller.
	BMessage* CurrentMessage() const { return fCurrentMessage; }
	BMessage* DetachCurrentMessage();

	// Handler management; call with the looper locked. The looper is its own
	// first handler. An added handler passes what it does not handle to the
	// looper (its next handler).
	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 IndexOf(BHandler* handler) const;
	// NULL means the looper itself.

	// Recursive lock. Lock and LockWithTimeout fail (B_BAD_VALUE) on a
	// looper that is gone, also for a thread that was waiting meanwhile.
	bool Lock();
	void Unlock();
	status_t LockWithTimeout(bigtime_t timeout);
	bool IsLocked() const;
	thread_id LockingThread() const;
	int32 CountLocks() const;
	int32 CountLockRequests() const;

	// The GUI thread once running, else B_ERROR.
	thread_id Thread() const { return fThread.load(); }

	// Private to the layer.
	// Queues a message whose target token is set; called under the token
	// table's lock.
	status_t _Enqueue(std::unique_ptr<BMessage> message);
	// GUI thread: dispatches queued messages (or carries out a Quit).
	void _DispatchPending();
	// GUI thread: dispatches message to handler now, as a queued message
	// would be (handler NULL: the preferred handler).
	void _DispatchDirectly(std::unique_ptr<BMessage> message, BHandler* handler);

private:
	BHandler* _ResolveHandler(int32 token) const;
	void _DispatchOne(std::unique_ptr<BMessage> message, BHandler* handler);
	bool _PopMessage(std::unique_ptr<BMessage>& _message, int32 dispatched);
	void _Destroy();
	bool _HasPending();
	bool _IsRunning();

	std::shared_ptr<BLocker> fLock;
	// Changed with the looper locked.
	std::vector<BHandler*> fHandlers;
	// GUI thread only.
	BMessage* fCurrentMessage;
	bool fDispatching;

	std::mutex fQueueLock;
	std::deque<std::unique_ptr<BMessage>> fQueue;
	bool fRunning;
	bool fScheduled;

	std::atomic<bool> fQuitting;
	std::atomic<thread_id> fThread;
};

#endif
