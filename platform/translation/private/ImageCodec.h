#ifndef _IMAGE_CODEC_H
#define _IMAGE_CODEC_H

// The layer's translators: Qt's image readers and writers over BPositionIO
// streams, and the bitmap format B_TRANSLATOR_BITMAP. Every function may run
// on several threads at once, each with its own streams.

#include <memory>

#include <QByteArray>
#include <QImage>

#include <DataIO.h>
#include <TranslatorFormats.h>

class BBitmap;
class BBitmapStream;

namespace BPrivate {

const size_t kBitmapHeaderSize = 32;

// The big-endian header of a bitmap's stream.
void pack_bitmap_header(const BBitmap* bitmap, uint8* header);
// B_OK when the packed header describes a bitmap this layer makes: 32-bit
// colour space, rows of four bytes per pixel, no more than 1 GiB of pixels.
status_t unpack_bitmap_header(const uint8* header, TranslatorBitmap* _header);

// Recognises an image by the content of source, read from its start:
// _format receives Qt's name of the format ("jpeg", "png", "pgm"...).
// B_NO_TRANSLATOR when no reader recognises it or its header does not read.
// With onlyFormat, the data is given to that format's reader alone.
status_t identify_image(BPositionIO* source, QByteArray* _format,
	const char* onlyFormat = NULL);
// Decodes the image of source, read from its start, in the format that
// identify_image found, with its EXIF orientation applied. B_NO_MEMORY when
// the pixels would exceed 1 GiB, B_ILLEGAL_DATA when nothing could be
// decoded, or the stream's own error.
status_t decode_image(BPositionIO* source, const QByteArray& format, QImage* _image);
// The same for an image to be shown fitted into fitBox: where the codec
// decodes at a reduced size cheaply (JPEG's DCT scaling, WebP's scaled
// decoding) the image comes reduced, never below its fit into the box.
// _fullSize, when not NULL, receives the size of the whole image as shown.
status_t decode_image(BPositionIO* source, const QByteArray& format, QSize fitBox,
	QImage* _image, QSize* _fullSize);
// Writes image in Qt's format at destination's position. Nothing is written
// when encoding fails.
status_t encode_image(const QImage& image, const char* format, BPositionIO* destination);

// Reads a stream in the bitmap format from its start into a new bitmap.
status_t read_bitmap_stream(BPositionIO* source, std::unique_ptr<BBitmap>* _bitmap);
// Writes a bitmap in the bitmap format at destination's position.
status_t write_bitmap_stream(const BBitmap* bitmap, BPositionIO* destination);

// The roster's way into a BBitmapStream without copying pixels.
class BitmapStreamAccess {
public:
	// The stream's bitmap when the stream reads as all of it, else NULL.
	static const BBitmap* Bitmap(const BBitmapStream* stream);
	// Gives an empty stream, positioned at its start, a bitmap to hold,
	// leaving the position after it. False when the stream is not empty.
	static bool Adopt(BBitmapStream* stream, std::unique_ptr<BBitmap>& bitmap);
};

} // namespace BPrivate

#endif
