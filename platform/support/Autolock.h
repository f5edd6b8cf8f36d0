#ifndef _AUTOLOCK_H
#define _AUTOLOCK_H

#include <Locker.h>
#include <Looper.h>

// Holds a lock or a looper's lock for the lifetime of the object.
class BAutolock {
public:
	BAutolock(BLocker* locker) :
		fLocker(locker),
		fLooper(NULL)
	{
		fLocked = fLocker != NULL && fLocker->Lock();
	}
	BAutolock(BLocker& locker) :
		BAutolock(&locker)
	{
	}
	BAutolock(BLooper* looper) :
		fLocker(NULL),
		fLooper(looper)
	{
		fLocked = fLooper != NULL && fLooper->Lock();
	}
	~BAutolock() { Unlock(); }

	bool IsLocked() const { return fLocked; }
	void Unlock()
	{
		if (!fLocked)
			return;
		fLocked = false;
		if (fLocker != NULL)
			fLocker->Unlock();
		else
			fLooper->Unlock();
	}

private:
	BLocker* fLocker;
	BLooper* fLooper;
	bool fLocked;
};

#endif
