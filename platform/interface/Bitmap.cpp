#include <Bitmap.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include <QtEndian>

#include "BitmapPrivate.h"

// B_RGB32 is B, G, R, A in memory, which is how Qt's 0xAARRGGBB pixels lie
// on a little-endian machine.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "bitmaps assume a little-endian host");

static const int32 kBytesPerPixel = 4;

namespace BPrivate {

class BitmapAccess {
public:
	static QImage& Image(const BBitmap* bitmap) { return *bitmap->fImage; }

	static std::unique_ptr<BBitmap> Adopt(QImage&& image, color_space colorSpace)
	{
		std::unique_ptr<BBitmap> bitmap(new (std::nothrow) BBitmap);
		if (bitmap == NULL)
			return NULL;
		*bitmap->fImage = std::move(image);
		bitmap->fBounds.Set(0, 0, bitmap->fImage->width() - 1, bitmap->fImage->height() - 1);
		bitmap->fColorSpace = colorSpace;
		bitmap->fInitStatus = B_OK;
		return bitmap;
	}
};

BRect
round_bitmap_bounds(BRect bounds)
{
	return BRect(std::floor(bounds.left + 0.5f), std::floor(bounds.top + 0.5f),
		std::floor(bounds.right + 0.5f), std::floor(bounds.bottom + 0.5f));
}

QImage&
bitmap_image(BBitmap* bitmap)
{
	return BitmapAccess::Image(bitmap);
}

const QImage&
bitmap_image(const BBitmap* bitmap)
{
	return BitmapAccess::Image(bitmap);
}

std::unique_ptr<BBitmap>
bitmap_from_image(QImage image)
{
	if (image.isNull()
		|| (int64)image.width() * image.height() * kBytesPerPixel > kMaxBitmapBytes)
		return NULL;
	bool alpha = image.hasAlphaChannel();
	QImage::Format format = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
	if (image.format() != format)
		image.convertTo(format);
	if (image.isNull() || image.format() != format)
		return NULL;
	return BitmapAccess::Adopt(std::move(image), alpha ? B_RGBA32 : B_RGB32);
}

} // namespace BPrivate

// Sizes of a bitmap whose bounds are already rounded; false when the pixel
// data would be larger than the limit.
static bool
pixel_size(BRect bounds, int32* _width, int32* _height)
{
	double width = (double)bounds.right - bounds.left + 1;
	double height = (double)bounds.bottom - bounds.top + 1;
	if (width * height * kBytesPerPixel > (double)BPrivate::kMaxBitmapBytes)
		return false;
	*_width = (int32)width;
	*_height = (int32)height;
	return true;
}

BBitmap::BBitmap() :
	fImage(new QImage),
	fColorSpace(B_NO_COLOR_SPACE),
	fFlags(0),
	fInitStatus(B_NO_INIT)
{
}

BBitmap::BBitmap(BRect bounds, uint32 flags, color_space colorSpace, int32 bytesPerRow) :
	BBitmap()
{
	_Init(bounds, flags, colorSpace, bytesPerRow);
}

BBitmap::BBitmap(BRect bounds, color_space colorSpace, bool acceptsViews,
	bool needsContiguous) :
	BBitmap()
{
	uint32 flags = (acceptsViews ? B_BITMAP_ACCEPTS_VIEWS : 0)
		| (needsContiguous ? B_BITMAP_IS_CONTIGUOUS : 0);
	_Init(bounds, flags, colorSpace, B_ANY_BYTES_PER_ROW);
}

BBitmap::BBitmap(const BBitmap* source, bool acceptsViews, bool needsContiguous) :
	BBitmap()
{
	if (source == NULL || !source->IsValid()) {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	*fImage = source->fImage->copy();
	if (fImage->isNull()) {
		fInitStatus = B_NO_MEMORY;
		return;
	}
	fBounds = source->fBounds;
	fColorSpace = source->fColorSpace;
	fFlags = (acceptsViews ? B_BITMAP_ACCEPTS_VIEWS : 0)
		| (needsContiguous ? B_BITMAP_IS_CONTIGUOUS : 0);
	fInitStatus = B_OK;
}

BBitmap::~BBitmap() = default;

void
BBitmap::_Init(BRect bounds, uint32 flags, color_space colorSpace, int32 bytesPerRow)
{
	fFlags = flags;
	fColorSpace = colorSpace;
	if (!std::isfinite(bounds.left) || !std::isfinite(bounds.top)
		|| !std::isfinite(bounds.right) || !std::isfinite(bounds.bottom)
		|| (colorSpace != B_RGB32 && colorSpace != B_RGBA32)) {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	fBounds = BPrivate::round_bitmap_bounds(bounds);
	if (!fBounds.IsValid()) {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	int32 width, height;
	if (!pixel_size(fBounds, &width, &height)) {
		fInitStatus = B_NO_MEMORY;
		return;
	}
	if (bytesPerRow != B_ANY_BYTES_PER_ROW && bytesPerRow != width * kBytesPerPixel) {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	*fImage = QImage(width, height,
		colorSpace == B_RGBA32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
	if (fImage->isNull()) {
		fInitStatus = B_NO_MEMORY;
		return;
	}
	memset(fImage->bits(), (flags & B_BITMAP_CLEAR_TO_WHITE) != 0 ? 0xff : 0,
		fImage->sizeInBytes());
	fInitStatus = B_OK;
}

status_t
BBitmap::InitCheck() const
{
	return fInitStatus;
}

bool
BBitmap::IsValid() const
{
	return fInitStatus == B_OK;
}

uint32
BBitmap::Flags() const
{
	return fFlags;
}

BRect
BBitmap::Bounds() const
{
	return fBounds;
}

void*
BBitmap::Bits() const
{
	return IsValid() ? fImage->bits() : NULL;
}

int32
BBitmap::BitsLength() const
{
	return IsValid() ? (int32)fImage->sizeInBytes() : 0;
}

int32
BBitmap::BytesPerRow() const
{
	return IsValid() ? (int32)fImage->bytesPerLine() : 0;
}

color_space
BBitmap::ColorSpace() const
{
	return fColorSpace;
}

// Copies count pixels, making them opaque when the source has no alpha or
// the destination ignores it.
static void
copy_pixels(uint32* target, const uint8* source, int32 count, bool makeOpaque)
{
	memcpy(target, source, count * kBytesPerPixel);
	if (makeOpaque) {
		for (int32 i = 0; i < count; i++)
			target[i] |= 0xff000000;
	}
}

status_t
BBitmap::ImportBits(const void* data, int32 length, int32 bytesPerRow, int32 offset,
	color_space colorSpace)
{
	if (!IsValid())
		return B_NO_INIT;
	int32 rowPixels = fImage->width();
	if (bytesPerRow == B_ANY_BYTES_PER_ROW)
		bytesPerRow = rowPixels * kBytesPerPixel;
	if (data == NULL || length < 0 || offset < 0 || offset % kBytesPerPixel != 0
		|| bytesPerRow < kBytesPerPixel || offset > BitsLength()
		|| (colorSpace != B_RGB32 && colorSpace != B_RGBA32))
		return B_BAD_VALUE;

	bool makeOpaque = colorSpace == B_RGB32 || fColorSpace == B_RGB32;
	int32 pixel = offset / kBytesPerPixel;
	int32 total = fImage->width() * fImage->height();
	const uint8* source = (const uint8*)data;
	uint32* target = (uint32*)fImage->bits();
	// Each source row fills as much of the bitmap as it holds pixels, and
	// no more than the bitmap's row length.
	int32 sourcePixels = std::min(bytesPerRow / kBytesPerPixel, rowPixels);
	while (length >= kBytesPerPixel && pixel < total) {
		int32 count = std::min({sourcePixels, length / kBytesPerPixel, total - pixel});
		copy_pixels(target + pixel, source, count, makeOpaque);
		pixel += rowPixels;
		source += bytesPerRow;
		length -= bytesPerRow;
	}
	return B_OK;
}

status_t
BBitmap::ImportBits(const BBitmap* bitmap)
{
	if (!IsValid())
		return B_NO_INIT;
	if (bitmap == NULL || !bitmap->IsValid())
		return B_BAD_VALUE;
	if (bitmap->fImage->size() != fImage->size())
		return B_MISMATCHED_VALUES;
	if (bitmap == this)
		return B_OK;
	return ImportBits(bitmap->Bits(), bitmap->BitsLength(), bitmap->BytesPerRow(), 0,
		bitmap->ColorSpace());
}
