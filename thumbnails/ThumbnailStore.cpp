// The stored form of thumbnails: where they are kept and how they are
// written (ThumbnailReader reads them back).

#include "thumbnails/ThumbnailStore.h"

#include <cmath>
#include <cstring>
#include <strings.h>

#include <File.h>
#include <SafeFile.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include "app/ViewerApp.h"

namespace glim {

const char* const kThumbnailAttr = "GLIM:Thumbnail";
const char* const kFilesizeAttr = "GLIM:Filesize";
const char* const kThumbsizeAttr = "GLIM:Thumbsize";

std::string
side_file_path(const char* imagePath)
{
	return std::string(imagePath) + ".gth";
}

bool
is_side_file(const char* nameOrPath)
{
	size_t length = strlen(nameOrPath);
	return length > 4 && strcasecmp(nameOrPath + length - 3, "gth") == 0;
}

float
thumbnail_scale(float w, float h, float tw, float th)
{
	if (w < tw && h < th)
		return 1.0f;
	// A one-pixel-wide (or high) source has an extent of 0: its ratio on that
	// axis is unbounded and the other one decides.
	if (w <= 0)
		return th / h;
	if (h <= 0)
		return tw / w;
	return std::min(tw / w, th / h);
}

bool
node_knows_attributes(const BNode& node)
{
	return BViewerApp::NodeOnBeVolume(node);
}

} // namespace glim

using namespace glim;

namespace {

// Written whole or not at all, and never through a link at the side file's
// name: a ".gth" that links to another file is replaced, not written into.
bool
write_side_file(const char* imagePath, const void* data, size_t length)
{
	return BSafeFile::WriteFile(side_file_path(imagePath).c_str(), data, length) == B_OK;
}

bool
no_room_for_attribute(ssize_t result)
{
	return result == B_DEVICE_FULL || result == B_TOO_MANY_ARGS || result == B_BUFFER_OVERFLOW
		|| result == B_FILE_TOO_LARGE;
}

} // namespace

bool
glim::store_thumbnail(BFile* file, const void* data, size_t length, bool useAttributes,
	const char* path, float tw)
{
	if (!useAttributes)
		return file->Write(data, length) == (ssize_t)length;

	ssize_t written = file->WriteAttr(kThumbnailAttr, B_RAW_TYPE, 0, data, length);
	if (written != (ssize_t)length) {
		// Attributes without room for the stream: the side file keeps it,
		// and an older, smaller stream left in the attribute must go, since
		// the attribute is read first.
		if (!no_room_for_attribute(written) || path == NULL
			|| !write_side_file(path, data, length))
			return false;
		status_t removed = file->RemoveAttr(kThumbnailAttr);
		if (removed != B_OK && removed != B_NO_SUCH_ATTRIBUTE)
			return false;
	}
	off_t size = 0;
	if (file->GetSize(&size) != B_OK)
		size = 0;
	int32 lowSize = (int32)(uint32)(uint64)size;
	file->WriteAttr(kFilesizeAttr, B_INT32_TYPE, 0, &lowSize, sizeof(lowSize));
	int32 width = (int32)std::trunc(tw);
	file->WriteAttr(kThumbsizeAttr, B_INT32_TYPE, 0, &width, sizeof(width));
	return true;
}
