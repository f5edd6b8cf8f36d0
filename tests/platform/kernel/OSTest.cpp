#include <OS.h>

#include <atomic>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

// Marks, after a pause, that its thread has run its exit handlers: those run
// after the thread function returned, as the thread ends.
struct ExitMark {
	std::atomic<bool>* ended = NULL;
	~ExitMark()
	{
		snooze(50000);
		if (ended != NULL)
			*ended = true;
	}
};

} // namespace

TEST(OSTest, SemaphoreGuardsACounterUnderContention)
{
	struct Counter {
		sem_id sem = create_sem(1, "counter");
		int32 value = 0;
	} counter;
	thread_func increment = [](void* data) -> status_t {
		Counter* counter = (Counter*)data;
		for (int32 i = 0; i < 2000; i++) {
			if (acquire_sem(counter->sem) != B_OK)
				return B_ERROR;
			counter->value++;
			release_sem(counter->sem);
		}
		return 42;
	};
	ASSERT_GE(counter.sem, 0);

	std::vector<thread_id> threads;
	for (int i = 0; i < 4; i++) {
		thread_id thread = spawn_thread(increment, "incrementer", B_NORMAL_PRIORITY, &counter);
		ASSERT_GE(thread, 0);
		// The last one is started by waiting for it while it is suspended.
		if (i < 3) {
			EXPECT_EQ(resume_thread(thread), B_OK);
		}
		threads.push_back(thread);
	}
	for (thread_id thread : threads) {
		status_t result = 0;
		EXPECT_EQ(wait_for_thread(thread, &result), B_OK);
		EXPECT_EQ(result, 42);
	}
	EXPECT_EQ(counter.value, 8000);
	EXPECT_EQ(delete_sem(counter.sem), B_OK);
	EXPECT_EQ(release_sem(counter.sem), B_BAD_SEM_ID);
}

TEST(OSTest, ThreadLifecycle)
{
	// Waiting returns only once the thread has ended: one still ending after
	// its waiter went on can outlive the process and crash the leak
	// checker's stop of all threads at exit.
	std::atomic<bool> ended{false};
	thread_id thread = spawn_thread(
		[](void* data) -> status_t {
			thread_local ExitMark mark;
			mark.ended = (std::atomic<bool>*)data;
			return B_OK;
		},
		"slow end", B_NORMAL_PRIORITY, &ended);
	ASSERT_EQ(resume_thread(thread), B_OK);
	EXPECT_EQ(resume_thread(thread), B_BAD_THREAD_STATE);
	status_t result = 0;
	EXPECT_EQ(wait_for_thread(thread, &result), B_OK);
	EXPECT_EQ(result, B_OK);
	EXPECT_TRUE(ended);
}

TEST(OSTest, DeletingASemaphoreWakesWaitersWithAnError)
{
	sem_id sem = create_sem(0, "gate");
	std::vector<thread_id> waiters;
	for (int i = 0; i < 3; i++) {
		waiters.push_back(spawn_thread([](void* data) { return acquire_sem(*(sem_id*)data); },
			"waiter", B_NORMAL_PRIORITY, &sem));
		resume_thread(waiters.back());
	}
	// Give the waiters time to block before the semaphore goes.
	int32 count = 0;
	glim_test::WaitFor([&] { return get_sem_count(sem, &count) == B_OK && count == -3; },
		100000);
	EXPECT_EQ(delete_sem(sem), B_OK);
	for (thread_id waiter : waiters) {
		status_t result = B_OK;
		EXPECT_EQ(wait_for_thread(waiter, &result), B_OK);
		EXPECT_EQ(result, B_BAD_SEM_ID);
	}
}

TEST(OSTest, AcquireWithTimeouts)
{
	sem_id sem = create_sem(0, "empty");
	EXPECT_EQ(acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 0), B_WOULD_BLOCK);
	bigtime_t start = system_time();
	EXPECT_EQ(acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 20000), B_TIMED_OUT);
	EXPECT_GE(system_time() - start, 20000);

	EXPECT_EQ(release_sem_etc(sem, 2, 0), B_OK);
	EXPECT_EQ(acquire_sem_etc(sem, 2, B_RELATIVE_TIMEOUT, 0), B_OK);
	EXPECT_EQ(acquire_sem_etc(sem, 0, 0, 0), B_BAD_VALUE);
	EXPECT_EQ(acquire_sem(-5), B_BAD_SEM_ID);
	delete_sem(sem);
}
