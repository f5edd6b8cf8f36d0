#include <Locker.h>

#include <OS.h>

#include <gtest/gtest.h>

namespace {

struct Shared {
	BLocker locker{"shared"};
	int32 value = 0;
	status_t timedResult = B_OK;
};

status_t
add_many(void* data)
{
	Shared* shared = (Shared*)data;
	for (int i = 0; i < 5000; i++) {
		shared->locker.Lock();
		shared->locker.Lock();
		shared->value++;
		shared->locker.Unlock();
		shared->locker.Unlock();
	}
	return B_OK;
}

status_t
try_briefly(void* data)
{
	Shared* shared = (Shared*)data;
	shared->timedResult = shared->locker.LockWithTimeout(10000);
	if (shared->timedResult == B_OK)
		shared->locker.Unlock();
	return B_OK;
}

} // namespace

TEST(LockerTest, RecursiveLockExcludesOtherThreads)
{
	Shared shared;
	thread_id a = spawn_thread(add_many, "a", B_NORMAL_PRIORITY, &shared);
	thread_id b = spawn_thread(add_many, "b", B_NORMAL_PRIORITY, &shared);
	resume_thread(a);
	resume_thread(b);
	wait_for_thread(a, NULL);
	wait_for_thread(b, NULL);
	EXPECT_EQ(shared.value, 10000);
	EXPECT_FALSE(shared.locker.IsLocked());
}

TEST(LockerTest, TimedLockFailsWhileAnotherThreadHoldsIt)
{
	Shared shared;
	ASSERT_TRUE(shared.locker.Lock());
	EXPECT_EQ(shared.locker.CountLocks(), 1);
	EXPECT_EQ(shared.locker.LockingThread(), find_thread(NULL));

	thread_id other = spawn_thread(try_briefly, "other", B_NORMAL_PRIORITY, &shared);
	wait_for_thread(other, NULL);
	EXPECT_EQ(shared.timedResult, B_TIMED_OUT);

	shared.locker.Unlock();
	other = spawn_thread(try_briefly, "other", B_NORMAL_PRIORITY, &shared);
	wait_for_thread(other, NULL);
	EXPECT_EQ(shared.timedResult, B_OK);
}
