#include <Messenger.h>

#include <Handler.h>
#include <Locker.h>
#include <Message.h>

#include "AppPrivate.h"
#include "MessagePrivate.h"

BMessenger::BMessenger() :
	fLooperToken(BPrivate::kNullToken),
	fHandlerToken(BPrivate::kNullToken)
{
}

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result) :
	BMessenger()
{
	status_t status = BPrivate::messenger_tokens(handler, looper, &fLooperToken,
		&fHandlerToken);
	if (status != B_OK)
		_SetTo(BPrivate::kNullToken, BPrivate::kNullToken);
	if (result != NULL)
		*result = status;
}

BMessenger::BMessenger(const BMessenger& other) = default;

BMessenger::~BMessenger() = default;

BMessenger& BMessenger::operator=(const BMessenger& other) = default;

bool
BMessenger::operator==(const BMessenger& other) const
{
	return fLooperToken == other.fLooperToken && fHandlerToken == other.fHandlerToken;
}

bool
BMessenger::IsTargetLocal() const
{
	// Every target lives in this process.
	return fLooperToken != BPrivate::kNullToken;
}

BHandler*
BMessenger::Target(BLooper** _looper) const
{
	BLooper* looper = NULL;
	BHandler* handler = NULL;
	if (BPrivate::resolve_target(fLooperToken, fHandlerToken, &looper, &handler) != B_OK) {
		looper = NULL;
		handler = NULL;
	}
	if (_looper != NULL)
		*_looper = looper;
	return handler;
}

bool
BMessenger::LockTarget() const
{
	return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t
BMessenger::LockTargetWithTimeout(bigtime_t timeout) const
{
	std::shared_ptr<BLocker> lock = BPrivate::looper_lock(fLooperToken);
	if (!lock)
		return B_BAD_PORT_ID;
	status_t status = lock->LockWithTimeout(timeout);
	if (status != B_OK)
		return status;
	if (!BPrivate::is_looper_alive(fLooperToken, lock.get())) {
		lock->Unlock();
		return B_BAD_PORT_ID;
	}
	return B_OK;
}

bool
BMessenger::IsValid() const
{
	return BPrivate::resolve_target(fLooperToken, fHandlerToken, NULL, NULL) == B_OK;
}

status_t
BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}

status_t
BMessenger::SendMessage(BMessage* message, BHandler* replyTo, bigtime_t timeout) const
{
	BMessenger replyMessenger;
	if (replyTo != NULL)
		replyMessenger = BMessenger(replyTo);
	return SendMessage(message, replyMessenger, timeout);
}

status_t
BMessenger::SendMessage(BMessage* message, BMessenger replyTo, bigtime_t) const
{
	// Queues never fill, so sending never waits and the time-out is unused.
	if (message == NULL)
		return B_BAD_VALUE;
	if (fLooperToken == BPrivate::kNullToken)
		return B_BAD_PORT_ID;
	auto copy = std::make_unique<BMessage>(*message);
	BPrivate::MessagePrivate(copy.get()).PrepareForSending(replyTo);
	return BPrivate::deliver_message(fLooperToken, fHandlerToken, std::move(copy));
}

void
BMessenger::_SetTo(int32 looperToken, int32 handlerToken)
{
	fLooperToken = looperToken;
	fHandlerToken = handlerToken;
}
