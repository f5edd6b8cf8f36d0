// Image files for the translation tests, made by Qt, by the image libraries
// themselves and by hand, and the roster calls the tests make on them.
#ifndef TRANSLATION_TEST_SUPPORT_H
#define TRANSLATION_TEST_SUPPORT_H

#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include <Bitmap.h>
#include <Message.h>
#include <TranslatorFormats.h>

namespace translation_test {

typedef std::vector<char> Bytes;

// kRed on the left half, kBlue on the right: orientation shows in the
// pixels. With alpha, the bottom row is half transparent.
const QRgb kRed = qRgb(220, 20, 20), kBlue = qRgb(20, 20, 220);
QImage Halves(int width, int height, bool alpha = false);
// The image written by Qt's writer for format; empty when Qt cannot.
Bytes Encode(const QImage& image, const char* format);
// A GIF of a colour ramp; Qt cannot write GIF, so it is made by hand.
Bytes MakeGif(int width, int height);
// A linear DNG of pixels (16-bit RGB from the 8-bit image) with the given
// TIFF orientation; with a preview, that is in IFD 0 and the raw data in a
// sub-IFD, as cameras write them.
Bytes MakeDng(const QImage& pixels, int orientation, const QImage& preview = QImage());
// An HEIC written by libheif, its orientation (a heif_orientation) stored as
// rotation and mirror properties; empty without an HEVC encoder.
Bytes MakeHeic(const QImage& image, int orientation);
bool CanWriteHeic();
// A JPEG XL written by libjxl with the given EXIF orientation.
Bytes MakeJxl(const QImage& image, int orientation);

// The image as a library's own tool writes it: command reads the PNG %1 and
// writes %2, a file with the given extension. Empty when the tool is missing.
Bytes ToolFile(const std::string& command, const QImage& image, const char* extension);

// Decodes through the roster as the viewer does, with the extension message
// if one is given; NULL and the status on failure.
std::unique_ptr<BBitmap> Decode(const Bytes& data, status_t* _status = NULL,
	BMessage* ioExtension = NULL);
// The type the roster identifies, 0 for none.
uint32 Identify(const Bytes& data, uint32 wantType = B_TRANSLATOR_BITMAP,
	status_t* _status = NULL);
// Each of whole's cut and corrupted copies decodes to bounds, or fails with
// an error.
void ExpectWholeOrError(const Bytes& whole, BRect bounds, unsigned seed);
// A pixel of a 32-bit bitmap; opaque unless the bitmap has alpha.
QRgb Pixel(const BBitmap* bitmap, int x, int y);
// True when each channel of color is within tolerance of wanted's.
bool Near(QRgb color, QRgb wanted, int tolerance);

} // namespace translation_test

#endif // TRANSLATION_TEST_SUPPORT_H
