// Stored thumbnail bytes, as an attribute or a side file brings them from
// any volume: the check must read nothing outside the bytes, and whatever it
// accepts must decode into a bitmap no larger than the sides it reported.
#include <cstdlib>
#include <memory>

#include <Bitmap.h>

#include "thumbnails/ThumbnailReader.h"

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	int32 width = 0;
	int32 height = 0;
	bool accepted = glim::check_stored_thumbnail(data, size, &width, &height);
	if (accepted
		&& (width < 1 || height < 1 || width > glim::kMaxStoredThumbnailSide
			|| height > glim::kMaxStoredThumbnailSide))
		abort();
	std::unique_ptr<BBitmap> bitmap(glim::decode_stored_thumbnail(data, size));
	if (bitmap && !accepted)
		abort();
	return 0;
}
