#include <Locker.h>

#include <chrono>

BLocker::BLocker() :
	BLocker(NULL, true)
{
}

BLocker::BLocker(const char* name) :
	BLocker(name, true)
{
}

BLocker::BLocker(bool benaphoreStyle) :
	BLocker(NULL, benaphoreStyle)
{
}

BLocker::BLocker(const char*, bool) :
	fOwner(-1),
	fCount(0),
	fWaiting(0)
{
}

BLocker::~BLocker() = default;

bool
BLocker::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t
BLocker::LockWithTimeout(bigtime_t timeout)
{
	thread_id self = find_thread(NULL);
	std::unique_lock<std::mutex> guard(fMutex);
	if (fOwner == self) {
		fCount++;
		return B_OK;
	}
	auto isFree = [this] { return fOwner < 0; };
	fWaiting++;
	if (timeout == B_INFINITE_TIMEOUT) {
		fReleased.wait(guard, isFree);
	} else if (!fReleased.wait_for(guard, std::chrono::microseconds(timeout > 0 ? timeout : 0),
				   isFree)) {
		fWaiting--;
		return timeout <= 0 ? B_WOULD_BLOCK : B_TIMED_OUT;
	}
	fWaiting--;
	fOwner = self;
	fCount = 1;
	return B_OK;
}

void
BLocker::Unlock()
{
	std::lock_guard<std::mutex> guard(fMutex);
	if (fOwner != find_thread(NULL) || fCount <= 0)
		return;
	if (--fCount == 0) {
		fOwner = -1;
		fReleased.notify_one();
	}
}

thread_id
BLocker::LockingThread() const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return fOwner;
}

bool
BLocker::IsLocked() const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return fOwner >= 0 && fOwner == find_thread(NULL);
}

int32
BLocker::CountLocks() const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return fCount;
}

int32
BLocker::CountLockRequests() const
{
	std::lock_guard<std::mutex> guard(fMutex);
	return fCount + fWaiting;
}
