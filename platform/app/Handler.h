#ifndef _HANDLER_H
#define _HANDLER_H

#include <atomic>
#include <string>

#include <OS.h>

class BHandler;
class BLooper;
class BMessage;

namespace BPrivate {
void set_handler_looper(BHandler* handler, BLooper* looper);
}

// Something that messages are delivered to, inside one looper. Each handler
// has a token in the layer's token table, so messengers find it safely and
// fail cleanly once it is gone. A message nobody handles goes along the
// chain of next handlers (a handler added to a looper passes to the looper)
// and is dropped at its end: sends never wait for replies, so no
// B_MESSAGE_NOT_UNDERSTOOD reply is owed.
class BHandler {
public:
	BHandler(const char* name = NULL);
	// Removes the handler from its looper, if it still has one.
	virtual ~BHandler();

	virtual void MessageReceived(BMessage* message);

	BLooper* Looper() const { return fLooper.load(); }
	// NULL when the handler has no name.
	const char* Name() const;
	virtual void SetNextHandler(BHandler* handler);

	// Locks the handler's looper, failing when there is none or when the
	// handler left it while this thread waited.
	bool LockLooper();
	status_t LockLooperWithTimeout(bigtime_t timeout);
	void UnlockLooper();

	// Private to the layer.
	int32 _Token() const { return fToken; }

private:
	friend void BPrivate::set_handler_looper(BHandler*, BLooper*);

	BHandler(const BHandler&) = delete;
	BHandler& operator=(const BHandler&) = delete;

	std::string fName;
	bool fHasName;
	int32 fToken;
	// Written under the token table's lock; read from any thread.
	std::atomic<BLooper*> fLooper;
	BHandler* fNextHandler;
};

#endif
