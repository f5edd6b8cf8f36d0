#include <Looper.h>

#include <algorithm>

#include <Locker.h>
#include <Message.h>
#include <Messenger.h>

#include "AppPrivate.h"
#include "MessagePrivate.h"

namespace {

// Messages one looper dispatches before the GUI thread turns to other
// loopers and to Qt's own events.
const int32 kDispatchBatch = 32;

} // namespace

BLooper::BLooper(const char* name, int32, int32) :
	BHandler(name),
	fLock(std::make_shared<BLocker>(name)),
	fCurrentMessage(NULL),
	fDispatching(false),
	fRunning(false),
	fScheduled(false),
	fQuitting(false),
	fThread(B_ERROR)
{
	BPrivate::register_looper(this, _Token(), fLock);
	AddHandler(this);
}

BLooper::~BLooper()
{
	// From here on messengers fail and no message can be queued.
	BPrivate::unregister_looper(this);
	std::deque<std::unique_ptr<BMessage>> dropped;
	{
		std::lock_guard<std::mutex> guard(fQueueLock);
		fQuitting = true;
		dropped.swap(fQueue);
	}
	for (BHandler* handler : fHandlers) {
		BPrivate::set_handler_looper(handler, NULL);
		if (handler != this)
			handler->SetNextHandler(NULL);
	}
	fHandlers.clear();
	delete fCurrentMessage;
	// Threads waiting for the lock take it next, see that the looper is
	// gone, and give up.
	while (fLock->IsLocked())
		fLock->Unlock();
}

// #pragma mark - hooks

void
BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}

void
BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

bool
BLooper::QuitRequested()
{
	return true;
}

thread_id
BLooper::Run()
{
	thread_id thread = BPrivate::attach_gui_thread();
	if (thread < 0)
		return thread;
	std::lock_guard<std::mutex> guard(fQueueLock);
	if (fRunning)
		return B_ALREADY_RUNNING;
	fRunning = true;
	fThread = thread;
	if (!fQueue.empty() && !fScheduled) {
		fScheduled = true;
		BPrivate::schedule_looper(_Token());
	}
	return thread;
}

void
BLooper::Quit()
{
	if (!_IsRunning()) {
		Lock();
		delete this;
		return;
	}
	if (BPrivate::is_gui_thread()) {
		if (fDispatching)
			fQuitting = true;
		else
			_Destroy();
		return;
	}
	// Another thread: the GUI thread deletes the looper. Nothing of it may be
	// touched once the lock is released.
	// The GUI thread may delete the looper as soon as the last hold is
	// released, so the lock is reached through a copy from here on.
	std::shared_ptr<BLocker> lock = fLock;
	int32 token = _Token();
	fQuitting = true;
	while (lock->IsLocked())
		lock->Unlock();
	BPrivate::schedule_looper(token);
}

// #pragma mark - posting

status_t
BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message);
}

status_t
BLooper::PostMessage(BMessage* message)
{
	return PostMessage(message, this);
}

status_t
BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return PostMessage(&message, handler, replyTo);
}

status_t
BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo)
{
	if (message == NULL)
		return B_BAD_VALUE;
	int32 handlerToken = BPrivate::kPreferredToken;
	if (handler != NULL) {
		if (handler->Looper() != this)
			return B_MISMATCHED_VALUES;
		handlerToken = handler->_Token();
	}
	BMessenger replyMessenger;
	if (replyTo != NULL)
		replyMessenger = BMessenger(replyTo);
	auto copy = std::make_unique<BMessage>(*message);
	BPrivate::MessagePrivate(copy.get()).PrepareForSending(replyMessenger);
	return BPrivate::deliver_message(_Token(), handlerToken, std::move(copy));
}

BMessage*
BLooper::DetachCurrentMessage()
{
	BMessage* message = fCurrentMessage;
	fCurrentMessage = NULL;
	return message;
}

// #pragma mark - handlers

void
BLooper::AddHandler(BHandler* handler)
{
	if (handler == NULL || handler->Looper() != NULL)
		return;
	BPrivate::set_handler_looper(handler, this);
	fHandlers.push_back(handler);
	if (handler != this)
		handler->SetNextHandler(this);
}

bool
BLooper::RemoveHandler(BHandler* handler)
{
	if (handler == NULL || handler == this || handler->Looper() != this)
		return false;
	BPrivate::set_handler_looper(handler, NULL);
	fHandlers.erase(std::find(fHandlers.begin(), fHandlers.end(), handler));
	handler->SetNextHandler(NULL);
	return true;
}

int32
BLooper::IndexOf(BHandler* handler) const
{
	auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
	return found == fHandlers.end() ? -1 : (int32)(found - fHandlers.begin());
}

// #pragma mark - locking

bool
BLooper::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

void
BLooper::Unlock()
{
	fLock->Unlock();
}

status_t
BLooper::LockWithTimeout(bigtime_t timeout)
{
	// Only the address is used until the looper is known to be alive.
	std::shared_ptr<BLocker> lock = BPrivate::looper_lock(this);
	if (!lock)
		return B_BAD_VALUE;
	status_t status = lock->LockWithTimeout(timeout);
	if (status != B_OK)
		return status;
	if (!BPrivate::is_looper_alive(this, lock.get())) {
		lock->Unlock();
		return B_BAD_VALUE;
	}
	return B_OK;
}

bool
BLooper::IsLocked() const
{
	return fLock->IsLocked();
}

thread_id
BLooper::LockingThread() const
{
	return fLock->LockingThread();
}

int32
BLooper::CountLocks() const
{
	return fLock->CountLocks();
}

int32
BLooper::CountLockRequests() const
{
	return fLock->CountLockRequests();
}

// #pragma mark - dispatching (GUI thread)

status_t
BLooper::_Enqueue(std::unique_ptr<BMessage> message)
{
	std::lock_guard<std::mutex> guard(fQueueLock);
	if (fQuitting)
		return B_BAD_PORT_ID;
	fQueue.push_back(std::move(message));
	if (fRunning && !fScheduled) {
		fScheduled = true;
		BPrivate::schedule_looper(_Token());
	}
	return B_OK;
}

void
BLooper::_DispatchPending()
{
	// A nested event loop inside this looper's own dispatch: the outer
	// dispatch picks the new messages up when it continues.
	if (fDispatching)
		return;
	fDispatching = true;
	for (int32 dispatched = 0;; dispatched++) {
		std::unique_ptr<BMessage> message;
		if (fQuitting || !_PopMessage(message, dispatched))
			break;
		Lock();
		// A worker that held the lock may have quit the looper meanwhile.
		if (fQuitting) {
			Unlock();
			break;
		}
		_DispatchOne(std::move(message), NULL);
		Unlock();
	}
	fDispatching = false;
	if (fQuitting)
		_Destroy();
}

void
BLooper::_DispatchDirectly(std::unique_ptr<BMessage> message, BHandler* handler)
{
	if (!message)
		return;
	bool outermost = !fDispatching;
	BMessage* outerMessage = fCurrentMessage;
	fDispatching = true;
	Lock();
	_DispatchOne(std::move(message),
		handler != NULL ? handler : _ResolveHandler(BPrivate::kPreferredToken));
	fCurrentMessage = outerMessage;
	Unlock();
	if (!outermost)
		return;
	fDispatching = false;
	// A Quit() is carried out from the event loop, never inside the caller's
	// stack. Messages queued meanwhile may have had their wake-up turned
	// away by a nested event loop: wake up again for them.
	if (fQuitting || _HasPending())
		BPrivate::schedule_looper(_Token());
}

bool
BLooper::_PopMessage(std::unique_ptr<BMessage>& _message, int32 dispatched)
{
	std::lock_guard<std::mutex> guard(fQueueLock);
	if (fQueue.empty()) {
		fScheduled = false;
		return false;
	}
	if (dispatched >= kDispatchBatch) {
		// Stays scheduled; continue after the others had their turn.
		BPrivate::schedule_looper(_Token());
		return false;
	}
	_message = std::move(fQueue.front());
	fQueue.pop_front();
	return true;
}

void
BLooper::_DispatchOne(std::unique_ptr<BMessage> message, BHandler* handler)
{
	if (handler == NULL)
		handler = _ResolveHandler(BPrivate::MessagePrivate(message.get()).TargetToken());
	if (handler == NULL)
		return;
	BPrivate::MessagePrivate(message.get()).SetDelivered(true);
	fCurrentMessage = message.release();
	DispatchMessage(fCurrentMessage, handler);
	delete fCurrentMessage;
	fCurrentMessage = NULL;
}

BHandler*
BLooper::_ResolveHandler(int32 token) const
{
	if (token == BPrivate::kPreferredToken)
		return const_cast<BLooper*>(this);
	for (BHandler* handler : fHandlers) {
		if (handler->_Token() == token)
			return handler;
	}
	return NULL;
}

void
BLooper::_Destroy()
{
	// Wait for a worker that holds the lock to let go before deleting.
	Lock();
	delete this;
}

bool
BLooper::_HasPending()
{
	std::lock_guard<std::mutex> guard(fQueueLock);
	return !fQueue.empty();
}

bool
BLooper::_IsRunning()
{
	std::lock_guard<std::mutex> guard(fQueueLock);
	return fRunning;
}
