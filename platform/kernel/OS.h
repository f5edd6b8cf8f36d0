#ifndef _OS_H
#define _OS_H

#include <SupportDefs.h>

typedef int32 thread_id;
typedef int32 sem_id;
typedef int32 team_id;
typedef int32 area_id;
typedef int32 port_id;

typedef status_t (*thread_func)(void* data);

#define B_OS_NAME_LENGTH 32
#define B_INFINITE_TIMEOUT (9223372036854775807LL)

enum {
	B_LOW_PRIORITY = 5,
	B_NORMAL_PRIORITY = 10,
	B_DISPLAY_PRIORITY = 15,
	B_URGENT_DISPLAY_PRIORITY = 20,
	B_REAL_TIME_DISPLAY_PRIORITY = 100,
	B_URGENT_PRIORITY = 110,
	B_REAL_TIME_PRIORITY = 120
};

// Flags of acquire_sem_etc.
enum {
	B_CAN_INTERRUPT = 0x01,
	B_CHECK_PERMISSION = 0x04,
	B_KILL_CAN_INTERRUPT = 0x20,
	B_DO_NOT_RESCHEDULE = 0x02,
	B_RELATIVE_TIMEOUT = 0x8,
	B_ABSOLUTE_TIMEOUT = 0x10,
	B_TIMEOUT = B_RELATIVE_TIMEOUT
};

// Threads. A spawned thread starts suspended until resume_thread; a thread
// that is waited for while still suspended is started first.
thread_id spawn_thread(thread_func function, const char* name, int32 priority, void* data);
status_t resume_thread(thread_id thread);
status_t wait_for_thread(thread_id thread, status_t* returnValue);
thread_id find_thread(const char* name);

// Counting semaphores. Deleting one wakes its waiters with B_BAD_SEM_ID.
sem_id create_sem(int32 count, const char* name);
status_t delete_sem(sem_id id);
status_t acquire_sem(sem_id id);
status_t acquire_sem_etc(sem_id id, int32 count, uint32 flags, bigtime_t timeout);
status_t release_sem(sem_id id);
status_t release_sem_etc(sem_id id, int32 count, uint32 flags);
status_t get_sem_count(sem_id id, int32* threadCount);

// Time. system_time() is monotonic microseconds since an arbitrary start;
// real_time_clock() is seconds and real_time_clock_usecs() microseconds
// since 1970.
bigtime_t system_time();
uint32 real_time_clock();
bigtime_t real_time_clock_usecs();
status_t snooze(bigtime_t microseconds);

#define B_SYSTEM_TIMEBASE 0

namespace BPrivate {

// Test hook: moves every clock of the kernel kit forward by delta
// microseconds (negative values move them back). Sleeping is not affected.
void advance_clocks(bigtime_t delta);
bigtime_t clock_offset();

} // namespace BPrivate

#endif
