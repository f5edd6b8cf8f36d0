#ifndef GLIM_THUMBNAIL_CACHE_H
#define GLIM_THUMBNAIL_CACHE_H

#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include <SupportDefs.h>

class BBitmap;

// The decoded thumbnails of the grid's cells on show, so a repaint draws
// them without reading and decoding the stored streams again. It holds at
// most Capacity() entries, the least recently used going first; the grid
// sets the capacity to what its visible area shows, which bounds the memory
// (each thumbnail is at most kMaxStoredThumbnailSide square). An image
// without a usable thumbnail is remembered too, so it is not read on every
// paint either. An entry is read again when its image file's size or change
// time moved (attribute writes change the latter), so thumbnails remade by
// another window show as well. Used on the window thread only; no lock.
class BThumbnailCache {
public:
	BThumbnailCache(int32 capacity);
	~BThumbnailCache();

	// The thumbnail of the image at path, NULL when it has none. The bitmap
	// stays the cache's, valid until the next call that changes the cache.
	const BBitmap* Get(const char* path);

	// Forgets the thumbnail of one image (remade) or of all.
	void Forget(const char* path);
	void Clear();

	// At least one entry; extra entries go at once.
	void SetCapacity(int32 capacity);
	int32 Capacity() const { return fCapacity; }
	int32 CountItems() const { return (int32)fEntries.size(); }
	bool Holds(const char* path) const { return path != NULL && fIndex.count(path) > 0; }

private:
	struct Entry;

	void _Trim();

	int32 fCapacity;
	std::list<Entry> fEntries;
	std::unordered_map<std::string, std::list<Entry>::iterator> fIndex;
};

#endif
