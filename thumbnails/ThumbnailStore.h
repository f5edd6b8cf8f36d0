#ifndef GLIM_THUMBNAIL_STORE_H
#define GLIM_THUMBNAIL_STORE_H

#include <string>

#include <SupportDefs.h>

class BBitmap;
class BFile;
class BNode;

// The stored form of thumbnails. On volumes with attributes an image carries
// "GLIM:Thumbnail" (the JPEG stream, raw type), "GLIM:Filesize" (the low 32
// bits of the file size it was made for) and "GLIM:Thumbsize" (the thumbnail
// width setting it was made for, truncated), both int32 in host byte order.
// Elsewhere the JPEG stream is the whole content of a side file named after
// the image with ".gth" appended. An image whose attributes have no room for
// its thumbnail (ext4 keeps about 4 KB per file) keeps the stream in its side
// file and still gets the two size attributes.
namespace glim {

extern const char* const kThumbnailAttr;
extern const char* const kFilesizeAttr;
extern const char* const kThumbsizeAttr;

// The side file of an image: its path with ".gth" appended.
std::string side_file_path(const char* imagePath);
// True for a side file's name or path: longer than four characters, the last
// three "gth" in any case. Such files are never listed as images, and their
// creation does not count as a change of the folder.
bool is_side_file(const char* nameOrPath);

// The scale of a source with inclusive extents w by h into a tw by th box:
// 1 when it fits strictly inside, else the smaller of the two ratios.
float thumbnail_scale(float w, float h, float tw, float th);

// Stores the thumbnail bytes made for width tw. With useAttributes they go
// into file's attributes (into the side file of path when the attributes have
// no room, the two size attributes still on file); otherwise they are the
// whole content of file, which is then the side file.
bool store_thumbnail(BFile* file, const void* data, size_t length, bool useAttributes,
	const char* path, float tw);

// True when the volume holding node supports attributes.
bool node_knows_attributes(const BNode& node);

} // namespace glim

#endif
