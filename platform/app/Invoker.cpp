#include "Invoker.h"

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

BInvoker::BInvoker() :
	fMessage(NULL)
{
}


BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper) :
	BInvoker()
{
	fMessage = message;
	SetTarget(handler, looper);
}


BInvoker::BInvoker(BMessage* message, BMessenger target) :
	BInvoker()
{
	fMessage = message;
	fMessenger = target;
}


BInvoker::~BInvoker()
{
	delete fMessage;
}


status_t
BInvoker::SetMessage(BMessage* message)
{
	if (message == fMessage)
		return B_OK;
	delete fMessage;
	fMessage = message;
	return B_OK;
}


uint32
BInvoker::Command() const
{
	return fMessage != NULL ? fMessage->what : 0;
}


status_t
BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	fMessenger = BMessenger();
	if (handler == NULL && looper == NULL)
		return B_OK;
	status_t result = B_OK;
	fMessenger = BMessenger(handler, looper, &result);
	return result;
}


status_t
BInvoker::SetTarget(BMessenger messenger)
{
	fMessenger = messenger;
	return B_OK;
}


bool
BInvoker::IsTargetLocal() const
{
	return fMessenger.IsTargetLocal();
}


BHandler*
BInvoker::Target(BLooper** _looper) const
{
	BLooper* looper = NULL;
	BHandler* handler = fMessenger.Target(&looper);
	if (_looper != NULL)
		*_looper = looper;
	if (handler == NULL && looper != NULL)
		return looper;
	return handler;
}


status_t
BInvoker::Invoke(BMessage* message)
{
	if (message == NULL)
		message = fMessage;
	if (message == NULL)
		return B_BAD_VALUE;
	return fMessenger.SendMessage(message);
}
