#include <Handler.h>

#include <Looper.h>

#include "AppPrivate.h"

BHandler::BHandler(const char* name) :
	fName(name != NULL ? name : ""),
	fHasName(name != NULL),
	fToken(BPrivate::register_handler(this)),
	fLooper(NULL),
	fNextHandler(NULL)
{
}

BHandler::~BHandler()
{
	if (LockLooper()) {
		BLooper* looper = Looper();
		looper->RemoveHandler(this);
		looper->Unlock();
	}
	BPrivate::unregister_handler(fToken);
}

void
BHandler::MessageReceived(BMessage* message)
{
	if (fNextHandler != NULL)
		fNextHandler->MessageReceived(message);
}

const char*
BHandler::Name() const
{
	return fHasName ? fName.c_str() : NULL;
}

void
BHandler::SetNextHandler(BHandler* handler)
{
	if (handler != this)
		fNextHandler = handler;
}

bool
BHandler::LockLooper()
{
	return LockLooperWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t
BHandler::LockLooperWithTimeout(bigtime_t timeout)
{
	BLooper* looper = Looper();
	if (looper == NULL)
		return B_BAD_VALUE;
	status_t status = looper->LockWithTimeout(timeout);
	if (status != B_OK)
		return status;
	if (Looper() != looper) {
		looper->Unlock();
		return B_MISMATCHED_VALUES;
	}
	return B_OK;
}

void
BHandler::UnlockLooper()
{
	if (BLooper* looper = Looper())
		looper->Unlock();
}
