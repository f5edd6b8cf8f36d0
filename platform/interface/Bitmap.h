#ifndef _BITMAP_H
#define _BITMAP_H

#include <memory>

#include <GraphicsDefs.h>
#include <Rect.h>

class QImage;

class BView;

namespace BPrivate {
class BitmapAccess;
class BitmapViews;
} // namespace BPrivate

enum {
	B_BITMAP_CLEAR_TO_WHITE = 0x00000001,
	B_BITMAP_ACCEPTS_VIEWS = 0x00000002,
	B_BITMAP_IS_AREA = 0x00000004,
	B_BITMAP_IS_LOCKED = 0x00000008 | B_BITMAP_IS_AREA,
	B_BITMAP_IS_CONTIGUOUS = 0x00000010 | B_BITMAP_IS_LOCKED
};

#define B_ANY_BYTES_PER_ROW -1

// Pixels in memory, in B_RGB32 (bytes B, G, R, then 255) or B_RGBA32 (B, G,
// R, A with straight alpha). The fourth byte of B_RGB32 is unused but kept
// at 255, as the Qt painting behind the layer expects; code writing Bits()
// directly should do the same. Rows are BytesPerRow() apart and follow each
// other without gaps; BytesPerRow() is four bytes per pixel.
//
// Bounds: each edge of the rectangle handed to a constructor is rounded to
// the nearest whole number, halves upward (floor(edge + 0.5)), and Bounds()
// returns the rounded rectangle. The bitmap then has right - left + 1 by
// bottom - top + 1 pixels: bounds (0, 0, 96, 71.96) become (0, 0, 96, 72),
// 97 x 73 pixels. The layer's drawing code rounds fractional destinations
// by the same rule (BPrivate::round_bitmap_bounds).
//
// A bitmap that could not be made reports it through InitCheck(): B_BAD_VALUE
// for bounds that are not finite or whose right is left of its left (bottom
// above top) after rounding, for colour spaces other than B_RGB32 and
// B_RGBA32 and for a bytesPerRow other than B_ANY_BYTES_PER_ROW or the
// natural row length; B_NO_MEMORY for pixel data over 1 GiB or when memory
// runs out. Such a bitmap has no Bits() and a BitsLength() of 0.
//
// New pixels are zero (black, and transparent in B_RGBA32) unless
// B_BITMAP_CLEAR_TO_WHITE asks for white. A bitmap is not locked against
// other threads; one thread at a time may use it.
class BBitmap {
public:
	BBitmap(BRect bounds, uint32 flags, color_space colorSpace,
		int32 bytesPerRow = B_ANY_BYTES_PER_ROW);
	BBitmap(BRect bounds, color_space colorSpace, bool acceptsViews = false,
		bool needsContiguous = false);
	// A copy of source's pixels, bounds and colour space.
	BBitmap(const BBitmap* source, bool acceptsViews = false, bool needsContiguous = false);
	virtual ~BBitmap();

	status_t InitCheck() const;
	bool IsValid() const;

	uint32 Flags() const;
	BRect Bounds() const;
	void* Bits() const;
	int32 BitsLength() const;
	int32 BytesPerRow() const;
	color_space ColorSpace() const;

	// Copies pixel data in B_RGB32 or B_RGBA32 into the bitmap, converting
	// between the two (pixels that come without alpha become opaque).
	// bytesPerRow is the source's row length (B_ANY_BYTES_PER_ROW: four bytes
	// per pixel of this bitmap's width); offset is a byte offset into this
	// bitmap's data where the copy starts, and must fall on a pixel. Copying
	// stops at the end of the data or of the bitmap.
	status_t ImportBits(const void* data, int32 length, int32 bytesPerRow, int32 offset,
		color_space colorSpace);
	// Copies all pixels of a bitmap of the same size.
	status_t ImportBits(const BBitmap* bitmap);
	// ImportBits with the source rows as long as this bitmap's.

	// Views. A bitmap made with B_BITMAP_ACCEPTS_VIEWS takes child views;
	// while the bitmap is locked their drawing calls draw into its pixels,
	// and the drawing is complete after Sync() or the last Unlock(). The
	// bitmap owns its views and deletes them with itself. Lock() fails on a
	// bitmap that does not accept views.
	void AddChild(BView* view);
	bool RemoveChild(BView* view);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;
	BView* FindView(BPoint point) const;
	bool Lock();
	void Unlock();
	bool IsLocked() const;

	// Private to the layer.
	BPrivate::BitmapViews* _Views() const;

private:
	friend class BPrivate::BitmapAccess;

	BBitmap();
	BBitmap(const BBitmap&) = delete;
	BBitmap& operator=(const BBitmap&) = delete;

	void _Init(BRect bounds, uint32 flags, color_space colorSpace, int32 bytesPerRow);

	struct ViewsDeleter {
		void operator()(BPrivate::BitmapViews* views) const;
	};

	std::unique_ptr<QImage> fImage;
	mutable std::unique_ptr<BPrivate::BitmapViews, ViewsDeleter> fViews;
	BRect fBounds;
	color_space fColorSpace;
	uint32 fFlags;
	status_t fInitStatus;
};

#endif
