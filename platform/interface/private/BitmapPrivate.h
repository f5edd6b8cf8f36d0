#ifndef _BITMAP_PRIVATE_H
#define _BITMAP_PRIVATE_H

#include <memory>

#include <QImage>

#include <Bitmap.h>

namespace BPrivate {

// Pixel data over this size is refused, by bitmaps and by decoding.
const int64 kMaxBitmapBytes = int64(1) << 30;

// The rounding rule of bitmap bounds: each edge to the nearest whole number,
// halves upward. Drawing into a fractional destination uses it too, so a
// bitmap made with fractional bounds is filled exactly.
BRect round_bitmap_bounds(BRect bounds);

// The bitmap's pixels as a QImage of Format_RGB32 (B_RGB32) or Format_ARGB32
// (B_RGBA32) that holds the bitmap's pixels; a null image for an invalid bitmap.
// Drawing into it changes the bitmap. Keep its size and format.
QImage& bitmap_image(BBitmap* bitmap);
const QImage& bitmap_image(const BBitmap* bitmap);

// A bitmap that takes over image's pixels: B_RGBA32 when the image has an
// alpha channel, B_RGB32 otherwise, converting them if needed. Bounds are
// (0, 0, width - 1, height - 1). NULL for a null image, for pixel data over
// kMaxBitmapBytes or when the conversion runs out of memory.
std::unique_ptr<BBitmap> bitmap_from_image(QImage image);

} // namespace BPrivate

#endif
