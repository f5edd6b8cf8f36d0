#include <OS.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <pthread.h>

namespace {

std::atomic<int32> sNextThreadID{1};
std::atomic<bigtime_t> sClockOffset{0};
thread_local thread_id tThreadID = 0;

struct ThreadRecord {
	thread_func function;
	void* data;
	std::string name;
	std::mutex lock;
	std::condition_variable finished;
	// Joined by the first wait_for_thread, so no thread that was waited for
	// is still ending when its waiter goes on (or the process exits).
	std::thread thread;
	bool started = false;
	bool done = false;
	status_t exitValue = B_OK;
};

struct ThreadTable {
	std::mutex lock;
	std::map<thread_id, std::shared_ptr<ThreadRecord>> threads;
};

ThreadTable&
threads()
{
	// Never destroyed: threads may still be ending while the process exits.
	static ThreadTable* table = new ThreadTable;
	return *table;
}

std::shared_ptr<ThreadRecord>
find_record(thread_id id)
{
	ThreadTable& table = threads();
	std::lock_guard<std::mutex> guard(table.lock);
	auto found = table.threads.find(id);
	return found == table.threads.end() ? nullptr : found->second;
}

struct Semaphore {
	std::mutex lock;
	std::condition_variable changed;
	int32 count;
	int32 waiting = 0;
	bool deleted = false;
	std::string name;
};

struct SemTable {
	std::mutex lock;
	std::map<sem_id, std::shared_ptr<Semaphore>> sems;
	sem_id next = 1;
};

SemTable&
sems()
{
	static SemTable* table = new SemTable;
	return *table;
}

std::shared_ptr<Semaphore>
find_sem(sem_id id)
{
	SemTable& table = sems();
	std::lock_guard<std::mutex> guard(table.lock);
	auto found = table.sems.find(id);
	return found == table.sems.end() ? nullptr : found->second;
}

bigtime_t
clock_usecs(clockid_t clock)
{
	timespec now;
	clock_gettime(clock, &now);
	return (bigtime_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

} // namespace

// #pragma mark - threads

thread_id
spawn_thread(thread_func function, const char* name, int32, void* data)
{
	if (function == NULL)
		return B_BAD_VALUE;
	auto record = std::make_shared<ThreadRecord>();
	record->function = function;
	record->data = data;
	record->name = name != NULL ? name : "";
	thread_id id = sNextThreadID++;
	ThreadTable& table = threads();
	std::lock_guard<std::mutex> guard(table.lock);
	table.threads[id] = record;
	return id;
}

status_t
resume_thread(thread_id id)
{
	std::shared_ptr<ThreadRecord> record = find_record(id);
	if (!record)
		return B_BAD_THREAD_ID;
	// The new thread takes the record's lock only to report its end, so it
	// cannot end before its std::thread is stored.
	std::lock_guard<std::mutex> guard(record->lock);
	if (record->started)
		return B_BAD_THREAD_STATE;
	try {
		record->thread = std::thread([record, id] {
			tThreadID = id;
			pthread_setname_np(pthread_self(), record->name.substr(0, 15).c_str());
			status_t result = record->function(record->data);
			std::lock_guard<std::mutex> guard(record->lock);
			record->exitValue = result;
			record->done = true;
			record->finished.notify_all();
		});
	} catch (const std::system_error&) {
		return B_NO_MORE_THREADS;
	}
	record->started = true;
	return B_OK;
}

status_t
wait_for_thread(thread_id id, status_t* returnValue)
{
	if (id == find_thread(NULL))
		return B_DONT_DO_THAT;
	std::shared_ptr<ThreadRecord> record = find_record(id);
	if (!record)
		return B_BAD_THREAD_ID;
	status_t status = resume_thread(id);
	if (status != B_OK && status != B_BAD_THREAD_STATE)
		return status;

	std::unique_lock<std::mutex> guard(record->lock);
	record->finished.wait(guard, [&] { return record->done; });
	// The thread no longer needs the lock; joining under it keeps a second
	// waiter from returning before the thread is gone.
	if (record->thread.joinable())
		record->thread.join();
	if (returnValue != NULL)
		*returnValue = record->exitValue;
	guard.unlock();

	ThreadTable& table = threads();
	std::lock_guard<std::mutex> tableGuard(table.lock);
	table.threads.erase(id);
	return B_OK;
}

thread_id
find_thread(const char* name)
{
	if (name == NULL) {
		if (tThreadID == 0)
			tThreadID = sNextThreadID++;
		return tThreadID;
	}
	ThreadTable& table = threads();
	std::lock_guard<std::mutex> guard(table.lock);
	for (const auto& [id, record] : table.threads) {
		if (record->name == name)
			return id;
	}
	return B_NAME_NOT_FOUND;
}

// #pragma mark - semaphores

sem_id
create_sem(int32 count, const char* name)
{
	if (count < 0)
		return B_BAD_VALUE;
	auto sem = std::make_shared<Semaphore>();
	sem->count = count;
	sem->name = name != NULL ? name : "";
	SemTable& table = sems();
	std::lock_guard<std::mutex> guard(table.lock);
	sem_id id = table.next++;
	table.sems[id] = sem;
	return id;
}

status_t
delete_sem(sem_id id)
{
	std::shared_ptr<Semaphore> sem;
	{
		SemTable& table = sems();
		std::lock_guard<std::mutex> guard(table.lock);
		auto found = table.sems.find(id);
		if (found == table.sems.end())
			return B_BAD_SEM_ID;
		sem = found->second;
		table.sems.erase(found);
	}
	std::lock_guard<std::mutex> guard(sem->lock);
	sem->deleted = true;
	sem->changed.notify_all();
	return B_OK;
}

status_t
acquire_sem(sem_id id)
{
	return acquire_sem_etc(id, 1, 0, B_INFINITE_TIMEOUT);
}

status_t
acquire_sem_etc(sem_id id, int32 count, uint32 flags, bigtime_t timeout)
{
	if (count <= 0)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> sem = find_sem(id);
	if (!sem)
		return B_BAD_SEM_ID;

	bool timed = (flags & (B_RELATIVE_TIMEOUT | B_ABSOLUTE_TIMEOUT)) != 0
		&& timeout != B_INFINITE_TIMEOUT;
	bigtime_t deadline = 0;
	if (timed) {
		deadline = (flags & B_ABSOLUTE_TIMEOUT) != 0
			? timeout - BPrivate::clock_offset()
			: clock_usecs(CLOCK_MONOTONIC) + (timeout > 0 ? timeout : 0);
	}

	std::unique_lock<std::mutex> guard(sem->lock);
	auto ready = [&] { return sem->deleted || sem->count >= count; };
	if (!ready()) {
		if (timed && timeout <= 0 && (flags & B_RELATIVE_TIMEOUT) != 0)
			return B_WOULD_BLOCK;
		sem->waiting++;
		if (!timed) {
			sem->changed.wait(guard, ready);
		} else {
			bigtime_t left = deadline - clock_usecs(CLOCK_MONOTONIC);
			if (!sem->changed.wait_for(guard, std::chrono::microseconds(left > 0 ? left : 0),
					ready)) {
				sem->waiting--;
				return B_TIMED_OUT;
			}
		}
		sem->waiting--;
	}
	if (sem->deleted)
		return B_BAD_SEM_ID;
	sem->count -= count;
	return B_OK;
}

status_t
release_sem(sem_id id)
{
	return release_sem_etc(id, 1, 0);
}

status_t
release_sem_etc(sem_id id, int32 count, uint32)
{
	if (count <= 0)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> sem = find_sem(id);
	if (!sem)
		return B_BAD_SEM_ID;
	std::lock_guard<std::mutex> guard(sem->lock);
	if (sem->deleted)
		return B_BAD_SEM_ID;
	sem->count += count;
	sem->changed.notify_all();
	return B_OK;
}

status_t
get_sem_count(sem_id id, int32* threadCount)
{
	if (threadCount == NULL)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> sem = find_sem(id);
	if (!sem)
		return B_BAD_SEM_ID;
	std::lock_guard<std::mutex> guard(sem->lock);
	// A negative count tells how many threads wait, as on the platform.
	*threadCount = sem->count > 0 ? sem->count : -sem->waiting;
	return B_OK;
}

// #pragma mark - time

bigtime_t
system_time()
{
	return clock_usecs(CLOCK_MONOTONIC) + sClockOffset.load();
}

uint32
real_time_clock()
{
	return (uint32)(real_time_clock_usecs() / 1000000);
}

bigtime_t
real_time_clock_usecs()
{
	return clock_usecs(CLOCK_REALTIME) + sClockOffset.load();
}

status_t
snooze(bigtime_t microseconds)
{
	if (microseconds > 0)
		std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
	return B_OK;
}

namespace BPrivate {

void
advance_clocks(bigtime_t delta)
{
	sClockOffset += delta;
}

bigtime_t
clock_offset()
{
	return sClockOffset.load();
}

} // namespace BPrivate
