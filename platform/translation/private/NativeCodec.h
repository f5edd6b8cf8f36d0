#ifndef _NATIVE_CODEC_H
#define _NATIVE_CODEC_H

// Translators built on the image libraries themselves (libheif, libavif,
// libjxl, libraw) rather than on Qt's image plug-ins. Each recognises its
// format by content, decodes with the image's own orientation applied and
// refuses images over the bitmap limit before allocating their pixels. All
// functions may run on several threads at once, each with its own streams.

#include <vector>

#include <QByteArray>
#include <QImage>

#include <DataIO.h>

namespace BPrivate {

// A decoded image before it is shown: its pixels at their own depth (8 or
// 16 bits a channel) and the ICC profile they are in, empty when none.
struct DecodedImage {
	QImage image;
	QByteArray iccProfile;
};

struct NativeCodec {
	// True when source, read from its start, is this codec's format.
	bool (*identify)(BPositionIO* source);
	// B_NO_MEMORY over the bitmap limit, B_ILLEGAL_DATA for data that does
	// not decode, or the stream's own error.
	status_t (*decode)(BPositionIO* source, DecodedImage* _decoded);
	// False when the library cannot write the format on this machine (a
	// missing encoder plug-in); encode is then never called.
	bool (*canEncode)();
	// Writes an 8-bit sRGB image at destination's position; nothing is
	// written when encoding fails.
	status_t (*encode)(const QImage& image, BPositionIO* destination);
};

extern const NativeCodec kHeifCodec;
extern const NativeCodec kAvifCodec;
extern const NativeCodec kJxlCodec;
extern const NativeCodec kRawCodec;

// Encoded files larger than this are not read into memory.
const off_t kMaxEncodedSize = off_t(1) << 30;

// Up to size bytes from the start of source; fewer when it is shorter.
std::vector<uint8> read_head(BPositionIO* source, size_t size);
// The whole of source, up to kMaxEncodedSize (B_NO_MEMORY beyond it).
status_t read_all(BPositionIO* source, std::vector<uint8>* _data);
// True when pixels of width × height at bytesPerPixel fit the bitmap limit
// as they are decoded and as a 32-bit bitmap.
bool fits_limit(int64 width, int64 height, int64 bytesPerPixel);
// Applies an EXIF orientation (1 to 8) to image; other values leave it.
QImage apply_orientation(const QImage& image, int orientation);

} // namespace BPrivate

#endif
