#ifndef _MESSENGER_H
#define _MESSENGER_H

#include <OS.h>

class BHandler;
class BLooper;
class BMessage;

// Addresses a handler in a looper by token, so it stays safe to use after
// its target is gone: sending to a deleted looper fails with B_BAD_PORT_ID,
// to a handler that left its looper with B_BAD_HANDLER. Safe from any thread,
// also while the target is being deleted. Messages are queued as copies;
// sending never blocks.
class BMessenger {
public:
	BMessenger();
	BMessenger(const BHandler* handler, const BLooper* looper = NULL, status_t* result = NULL);
	BMessenger(const BMessenger& other);
	~BMessenger();

	BMessenger& operator=(const BMessenger& other);
	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }

	bool IsTargetLocal() const;
	// The target handler (NULL when it is the looper's preferred handler) and
	// its looper; both NULL when the target is gone.
	BHandler* Target(BLooper** looper) const;
	bool LockTarget() const;
	status_t LockTargetWithTimeout(bigtime_t timeout) const;
	bool IsValid() const;

	// Queues a copy of the message to the target; replies go to replyTo.
	status_t SendMessage(uint32 command, BHandler* replyTo = NULL) const;
	status_t SendMessage(BMessage* message, BHandler* replyTo = NULL,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	status_t SendMessage(BMessage* message, BMessenger replyTo,
		bigtime_t timeout = B_INFINITE_TIMEOUT) const;

	// Private to the layer.
	int32 _LooperToken() const { return fLooperToken; }
	int32 _HandlerToken() const { return fHandlerToken; }
	void _SetTo(int32 looperToken, int32 handlerToken);

private:
	int32 fLooperToken;
	int32 fHandlerToken;
};

#endif
