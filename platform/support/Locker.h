#ifndef _LOCKER_H
#define _LOCKER_H

#include <condition_variable>
#include <mutex>

#include <OS.h>

// A recursive lock with time-outs. The thread that holds it may lock it again;
// it is free when every Lock has been matched by an Unlock. Built on a mutex
// and a condition variable so that thread checkers see every hand-over.
class BLocker {
public:
	BLocker();
	BLocker(const char* name);
	BLocker(bool benaphoreStyle);
	BLocker(const char* name, bool benaphoreStyle);
	virtual ~BLocker();

	status_t InitCheck() const { return B_OK; }

	bool Lock();
	status_t LockWithTimeout(bigtime_t timeout);
	void Unlock();

	thread_id LockingThread() const;
	bool IsLocked() const;
	int32 CountLocks() const;
	int32 CountLockRequests() const;

private:
	BLocker(const BLocker&) = delete;
	BLocker& operator=(const BLocker&) = delete;

	mutable std::mutex fMutex;
	std::condition_variable fReleased;
	thread_id fOwner;
	int32 fCount;
	int32 fWaiting;
};

#endif
