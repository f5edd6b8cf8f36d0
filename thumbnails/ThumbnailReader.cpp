// Reading stored thumbnails back, with every byte treated as untrusted.

#include "thumbnails/ThumbnailReader.h"

#include <cerrno>
#include <cmath>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Bitmap.h>
#include <File.h>
#include <TranslatorFormats.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include "settings/ImageServices.h"
#include "thumbnails/ThumbnailStore.h"

namespace {

const uint8 kMarker = 0xff;
const uint8 kStartOfImage = 0xd8;
const uint8 kEndOfImage = 0xd9;
const uint8 kStartOfScan = 0xda;

uint32
read16(const uint8* bytes)
{
	return ((uint32)bytes[0] << 8) | bytes[1];
}

// Markers that stand alone, without a length: TEM and the restart markers.
bool
standalone_marker(uint8 marker)
{
	return marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7);
}

// The frame headers SOF0 to SOF15; C4, C8 and CC are other segments.
bool
frame_marker(uint8 marker)
{
	return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8
		&& marker != 0xcc;
}

// Reads the side file at path without following a link, only when it is a
// regular file no longer than the limit; the read itself is bounded too, as
// the file may grow meanwhile.
bool
read_side_file(const char* path, std::vector<char>& data)
{
	int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return false;
	struct stat st;
	bool usable = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0
		&& (uint64)st.st_size <= glim::kMaxStoredThumbnailBytes;
	size_t length = 0;
	if (usable) {
		data.resize(glim::kMaxStoredThumbnailBytes + 1);
		while (length < data.size()) {
			ssize_t read = ::read(fd, data.data() + length, data.size() - length);
			if (read < 0 && errno == EINTR)
				continue;
			if (read <= 0)
				break;
			length += read;
		}
	}
	close(fd);
	if (!usable || length == 0 || length > glim::kMaxStoredThumbnailBytes)
		return false;
	data.resize(length);
	return true;
}

} // namespace

namespace glim {

bool
check_stored_thumbnail(const void* data, size_t length, int32* _width, int32* _height)
{
	const uint8* bytes = (const uint8*)data;
	if (bytes == NULL || length < 4 || length > kMaxStoredThumbnailBytes || bytes[0] != kMarker
		|| bytes[1] != kStartOfImage || bytes[length - 2] != kMarker
		|| bytes[length - 1] != kEndOfImage)
		return false;

	size_t position = 2;
	while (position < length) {
		if (bytes[position] != kMarker)
			return false;
		// Any number of fill bytes may precede a marker.
		while (position < length && bytes[position] == kMarker)
			position++;
		if (position >= length)
			return false;
		uint8 marker = bytes[position++];
		if (standalone_marker(marker))
			continue;
		// The image may not end, start again or start its scan before its
		// frame header.
		if (marker == kEndOfImage || marker == kStartOfImage || marker == kStartOfScan
			|| marker == 0)
			return false;
		if (length - position < 2)
			return false;
		uint32 segment = read16(bytes + position);
		if (segment < 2 || segment > length - position)
			return false;
		if (frame_marker(marker)) {
			if (segment < 8)
				return false;
			const uint8* frame = bytes + position;
			uint32 height = read16(frame + 3);
			uint32 width = read16(frame + 5);
			uint32 components = frame[7];
			if (width == 0 || height == 0 || width > (uint32)kMaxStoredThumbnailSide
				|| height > (uint32)kMaxStoredThumbnailSide || components == 0 || components > 4
				|| segment < 8 + 3 * components)
				return false;
			if (_width != NULL)
				*_width = width;
			if (_height != NULL)
				*_height = height;
			return true;
		}
		position += segment;
	}
	return false;
}

BBitmap*
decode_stored_thumbnail(const void* data, size_t length)
{
	if (!check_stored_thumbnail(data, length))
		return NULL;
	std::unique_ptr<BBitmap> bitmap(decode_image(data, length, B_JPEG_FORMAT));
	if (!bitmap)
		return NULL;
	// The header was checked; so is what the decoder made of it.
	BRect bounds = bitmap->Bounds();
	if (bounds.Width() + 1 > kMaxStoredThumbnailSide
		|| bounds.Height() + 1 > kMaxStoredThumbnailSide)
		return NULL;
	return bitmap.release();
}

bool
read_stored_thumbnail(const char* path, std::vector<char>& data)
{
	if (path == NULL)
		return false;
	BFile file(path, B_READ_ONLY);
	if (file.InitCheck() != B_OK)
		return false;

	attr_info info;
	if (file.GetAttrInfo(kThumbnailAttr, &info) == B_OK) {
		if (info.size <= 0 || (uint64)info.size > kMaxStoredThumbnailBytes)
			return false;
		data.resize(info.size);
		ssize_t read = file.ReadAttr(kThumbnailAttr, B_RAW_TYPE, 0, data.data(), info.size);
		if (read <= 0)
			return false;
		data.resize(read);
		return true;
	}
	int32 storedSize;
	if (node_knows_attributes(file)
		&& file.ReadAttr(kFilesizeAttr, 0, 0, &storedSize, sizeof(storedSize))
			!= (ssize_t)sizeof(storedSize))
		return false;
	return read_side_file(side_file_path(path).c_str(), data);
}

BBitmap*
read_thumbnail_bitmap(const char* path)
{
	std::vector<char> data;
	if (!read_stored_thumbnail(path, data))
		return NULL;
	return decode_stored_thumbnail(data.data(), data.size());
}

bool
thumbnail_is_current(const char* path, BNode& file, off_t fileSize, float tw)
{
	int32 storedSize = 0;
	if (file.ReadAttr(kFilesizeAttr, 0, 0, &storedSize, sizeof(storedSize))
			!= (ssize_t)sizeof(storedSize)
		|| (int64)storedSize != (int64)fileSize)
		return false;
	int32 storedWidth = 0;
	if (file.ReadAttr(kThumbsizeAttr, 0, 0, &storedWidth, sizeof(storedWidth))
			!= (ssize_t)sizeof(storedWidth)
		|| storedWidth != (int32)std::trunc(tw))
		return false;
	std::vector<char> data;
	return read_stored_thumbnail(path, data)
		&& check_stored_thumbnail(data.data(), data.size());
}

} // namespace glim
