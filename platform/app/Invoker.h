#ifndef _INVOKER_H
#define _INVOKER_H

#include <Messenger.h>

class BHandler;
class BLooper;
class BMessage;

// Something that sends a message to a target when it is invoked: a menu
// item, a control. The invoker owns its message. Invoke() sends a copy of it
// (or of the message given) to the target and fails with B_BAD_VALUE when
// there is no message, B_BAD_PORT_ID when the target is gone.
class BInvoker {
public:
	BInvoker();
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = NULL);
	BInvoker(BMessage* message, BMessenger target);
	virtual ~BInvoker();

	virtual status_t SetMessage(BMessage* message);
	BMessage* Message() const { return fMessage; }
	uint32 Command() const;

	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = NULL);
	virtual status_t SetTarget(BMessenger messenger);
	bool IsTargetLocal() const;
	BHandler* Target(BLooper** _looper = NULL) const;
	BMessenger Messenger() const { return fMessenger; }


	virtual status_t Invoke(BMessage* message = NULL);


private:
	BInvoker(const BInvoker&) = delete;
	BInvoker& operator=(const BInvoker&) = delete;

	BMessage* fMessage;
	BMessenger fMessenger;
};

#endif
