#include <Locker.h>

#include <OS.h>

#include <gtest/gtest.h>

TEST(LockerTest, RecursiveLockExcludesOtherThreads)
{
	struct Shared {
		BLocker locker{"shared"};
		int32 value = 0;
	};
	thread_func addMany = [](void* data) -> status_t {
		Shared* shared = (Shared*)data;
		for (int i = 0; i < 5000; i++) {
			shared->locker.Lock();
			shared->locker.Lock();
			shared->value++;
			shared->locker.Unlock();
			shared->locker.Unlock();
		}
		return B_OK;
	};
	Shared shared;
	thread_id a = spawn_thread(addMany, "a", B_NORMAL_PRIORITY, &shared);
	thread_id b = spawn_thread(addMany, "b", B_NORMAL_PRIORITY, &shared);
	resume_thread(a);
	resume_thread(b);
	wait_for_thread(a, NULL);
	wait_for_thread(b, NULL);
	EXPECT_EQ(shared.value, 10000);
	EXPECT_FALSE(shared.locker.IsLocked());
}
