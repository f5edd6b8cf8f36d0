#ifndef GLIM_THUMBNAIL_MAKER_H
#define GLIM_THUMBNAIL_MAKER_H

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <OS.h>

namespace glim {

// What was found for one image of the list: whether its stored thumbnail
// was out of date, and the JPEG stream of a new one when it could be made.
struct MadeThumbnail {
	std::string path;
	bool needed = false;
	bool made = false;
	bool onAttributes = false;
	std::vector<char> jpeg;
};

// Makes the thumbnails of a list on helper threads, one per processor the
// process may run on, a few images ahead of the one thread that stores them,
// which takes them strictly in list order. Stops promptly when stop is set:
// helpers finish only the image they are decoding.
class BThumbnailMaker {
public:
	// pathAt gives the path of an index of the list, false past its end;
	// make fills in a result for a path. Both are called on helper threads.
	// helpers <= 0 means one per processor.
	BThumbnailMaker(std::function<bool(int32, std::string*)> pathAt,
		std::function<void(MadeThumbnail*)> make, const std::atomic<bool>& stop,
		int32 helpers = 0);
	~BThumbnailMaker();

	// The result for index, which must follow the previous call's index.
	// False past the end of the list, or when asked to stop.
	bool Take(int32 index, MadeThumbnail* result);

	// The processors this process may run on.
	static int32 CountProcessors();

private:
	static status_t _HelperThread(void* data);
	void _Help();

	std::function<bool(int32, std::string*)> fPathAt;
	std::function<void(MadeThumbnail*)> fMake;
	const std::atomic<bool>& fStop;

	std::mutex fLock;
	std::condition_variable fChanged;
	// Finished results by index, from the one taken next to those claimed
	// ahead.
	std::map<int32, MadeThumbnail> fResults;
	// The index the storing thread waits for, the next one a helper claims,
	// and the end of the list once a helper found it (-1 before).
	int32 fWanted;
	int32 fNext;
	int32 fEnd;
	int32 fAhead;
	bool fQuit;
	std::vector<thread_id> fHelpers;
};

} // namespace glim

#endif
