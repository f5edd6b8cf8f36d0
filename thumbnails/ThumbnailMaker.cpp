// Making thumbnails on several processors while one thread stores them in
// order.

#include "thumbnails/ThumbnailMaker.h"

#include <algorithm>
#include <chrono>

#include <sched.h>

namespace glim {

namespace {

// Waits are cut into slices this long, so that a stop asked for by setting
// the flag alone is seen without being notified.
const std::chrono::milliseconds kWaitSlice(20);

} // namespace

BThumbnailMaker::BThumbnailMaker(std::function<bool(int32, std::string*)> pathAt,
	std::function<void(MadeThumbnail*)> make, const std::atomic<bool>& stop, int32 helpers) :
	fPathAt(std::move(pathAt)),
	fMake(std::move(make)),
	fStop(stop),
	fWanted(0),
	fNext(0),
	fEnd(-1),
	fQuit(false)
{
	if (helpers <= 0)
		helpers = CountProcessors();
	// Enough claimed ahead to keep every helper busy while the storing
	// thread waits for the oldest; never more, so memory stays bounded.
	fAhead = 2 * helpers;
	for (int32 i = 0; i < helpers; i++) {
		thread_id thread = spawn_thread(_HelperThread, "thumbnailMake", B_LOW_PRIORITY, this);
		if (thread < 0)
			break;
		fHelpers.push_back(thread);
		resume_thread(thread);
	}
}

BThumbnailMaker::~BThumbnailMaker()
{
	{
		std::lock_guard<std::mutex> lock(fLock);
		fQuit = true;
	}
	fChanged.notify_all();
	for (thread_id thread : fHelpers)
		wait_for_thread(thread, NULL);
}

int32
BThumbnailMaker::CountProcessors()
{
	cpu_set_t set;
	if (sched_getaffinity(0, sizeof(set), &set) != 0)
		return 1;
	return std::max(1, CPU_COUNT(&set));
}

bool
BThumbnailMaker::Take(int32 index, MadeThumbnail* result)
{
	std::unique_lock<std::mutex> lock(fLock);
	fWanted = index;
	fChanged.notify_all();
	if (fHelpers.empty() && fNext <= index) {
		// Without helpers the image is made here.
		fNext = index + 1;
		lock.unlock();
		*result = MadeThumbnail();
		if (fStop || !fPathAt(index, &result->path))
			return false;
		fMake(result);
		return true;
	}
	while (true) {
		if (fStop)
			return false;
		auto done = fResults.find(index);
		if (done != fResults.end()) {
			*result = std::move(done->second);
			fResults.erase(done);
			fChanged.notify_all();
			return true;
		}
		if (fEnd >= 0 && index >= fEnd)
			return false;
		fChanged.wait_for(lock, kWaitSlice);
	}
}

status_t
BThumbnailMaker::_HelperThread(void* data)
{
	((BThumbnailMaker*)data)->_Help();
	return 0;
}

void
BThumbnailMaker::_Help()
{
	std::unique_lock<std::mutex> lock(fLock);
	while (!fQuit && !fStop) {
		if ((fEnd >= 0 && fNext >= fEnd) || fNext >= fWanted + fAhead) {
			fChanged.wait_for(lock, kWaitSlice);
			continue;
		}
		int32 index = fNext++;
		lock.unlock();
		MadeThumbnail made;
		bool exists = fPathAt(index, &made.path);
		if (exists && !fStop)
			fMake(&made);
		lock.lock();
		if (!exists) {
			if (fEnd < 0 || index < fEnd)
				fEnd = index;
		} else
			fResults[index] = std::move(made);
		fChanged.notify_all();
	}
}

} // namespace glim
