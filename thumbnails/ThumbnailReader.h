#ifndef GLIM_THUMBNAIL_READER_H
#define GLIM_THUMBNAIL_READER_H

#include <vector>

#include <SupportDefs.h>

class BBitmap;
class BNode;

// Reading stored thumbnails back. Attributes and side files come with the
// images, from any volume and any hand, so their bytes are hostile until
// proven otherwise: only a JPEG stream, as the worker writes, is accepted,
// its dimensions read from its header before anything is decoded, and
// anything else counts as no thumbnail, so the worker makes it again.
namespace glim {

// Stored streams longer than this are refused unread.
const size_t kMaxStoredThumbnailBytes = 1 << 20;
// No side of an accepted thumbnail is longer: twice the largest box the
// preferences offer, so a thumbnail made for a hand-edited size still counts.
const int32 kMaxStoredThumbnailSide = 480;

// True when data is a whole JPEG stream (start and end markers) whose frame
// header gives sides from 1 to kMaxStoredThumbnailSide; the sides are set
// then. Reads nothing outside data.
bool check_stored_thumbnail(const void* data, size_t length, int32* _width = NULL,
	int32* _height = NULL);

// Decodes stored thumbnail bytes into a new bitmap the caller owns, or NULL
// when check_stored_thumbnail refuses them or they do not decode as JPEG.
BBitmap* decode_stored_thumbnail(const void* data, size_t length);

// Reads the stored thumbnail bytes of the image at path, from its
// "GLIM:Thumbnail" attribute or its side file; false when it has none. The
// side file counts on volumes without attributes, and on others for images
// that carry the size attributes without the stream (no room for it). It is
// opened without following a link, and refused unless it is a regular file
// of at most kMaxStoredThumbnailBytes.
bool read_stored_thumbnail(const char* path, std::vector<char>& data);

// The decoded stored thumbnail of the image at path, a new bitmap the caller
// owns; NULL when it has none that passes the checks above.
BBitmap* read_thumbnail_bitmap(const char* path);

// True when the stored thumbnail of the image at path (open as file) was
// made for its current size and for the width setting tw, and its bytes pass
// check_stored_thumbnail: a missing or refused stream must be made again.
bool thumbnail_is_current(const char* path, BNode& file, off_t fileSize, float tw);

} // namespace glim

#endif
