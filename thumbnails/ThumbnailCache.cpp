#include "thumbnails/ThumbnailCache.h"

#include <algorithm>

#include <sys/stat.h>

#include <Bitmap.h>

#include "thumbnails/ThumbnailReader.h"

struct BThumbnailCache::Entry {
	std::string path;
	std::unique_ptr<BBitmap> bitmap;
	off_t size;
	struct timespec changed;
};

namespace {

// What identifies the stored thumbnail's version: the image's size and the
// change time, which every attribute write moves on. false when the image
// cannot be examined.
bool
image_version(const char* path, off_t* _size, struct timespec* _changed)
{
	struct stat st;
	if (stat(path, &st) != 0)
		return false;
	*_size = st.st_size;
	*_changed = st.st_ctim;
	return true;
}

} // namespace

BThumbnailCache::BThumbnailCache(int32 capacity) :
	fCapacity(std::max(capacity, (int32)1))
{
}

BThumbnailCache::~BThumbnailCache()
{
}

const BBitmap*
BThumbnailCache::Get(const char* path)
{
	if (path == NULL)
		return NULL;
	off_t size = 0;
	struct timespec changed = {};
	bool examined = image_version(path, &size, &changed);

	auto found = fIndex.find(path);
	if (found != fIndex.end()) {
		Entry& entry = *found->second;
		if (examined && entry.size == size && entry.changed.tv_sec == changed.tv_sec
			&& entry.changed.tv_nsec == changed.tv_nsec) {
			fEntries.splice(fEntries.begin(), fEntries, found->second);
			return entry.bitmap.get();
		}
		fEntries.erase(found->second);
		fIndex.erase(found);
	}
	if (!examined)
		return NULL;

	fEntries.push_front(Entry{path, std::unique_ptr<BBitmap>(glim::read_thumbnail_bitmap(path)),
		size, changed});
	fIndex[path] = fEntries.begin();
	_Trim();
	return fEntries.front().bitmap.get();
}

void
BThumbnailCache::Forget(const char* path)
{
	if (path == NULL)
		return;
	auto found = fIndex.find(path);
	if (found == fIndex.end())
		return;
	fEntries.erase(found->second);
	fIndex.erase(found);
}

void
BThumbnailCache::Clear()
{
	fIndex.clear();
	fEntries.clear();
}

void
BThumbnailCache::SetCapacity(int32 capacity)
{
	fCapacity = std::max(capacity, (int32)1);
	_Trim();
}

void
BThumbnailCache::_Trim()
{
	while ((int32)fEntries.size() > fCapacity) {
		fIndex.erase(fEntries.back().path);
		fEntries.pop_back();
	}
}
