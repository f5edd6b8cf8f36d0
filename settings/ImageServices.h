#ifndef GLIM_IMAGE_SERVICES_H
#define GLIM_IMAGE_SERVICES_H

#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

class BBitmap;
class BFile;
class BPositionIO;

// Everything the system asks of the Translation Kit, in one place: every
// image is decoded, recognised and encoded through the default roster, so
// any format with an installed translator works. Safe to call from several
// threads at once, each call with its own streams.
namespace glim {

// Decodes source into a new bitmap the caller owns. B_OK with *_bitmap set;
// the roster's error when no translator reads the data; B_NO_INIT when the
// translator gave no bitmap. *_bitmap is NULL on every failure.
status_t decode_image(BPositionIO* source, BBitmap** _bitmap);
// The same, returning the bitmap or NULL.
BBitmap* decode_image(BPositionIO* source);
BBitmap* decode_image(const void* data, size_t length);
// Decodes source for showing fitted into a box of boxWidth by boxHeight
// pixels: where the format allows it cheaply the bitmap comes reduced, never
// below the image's fit into the box. *_fullSize receives the width and
// height in pixels of the whole image. Fails as decode_image does.
status_t decode_image_to_fit(BPositionIO* source, float boxWidth, float boxHeight,
	BBitmap** _bitmap, BPoint* _fullSize);
// Decodes data only when the translator that recognises it reads the format
// type; NULL for any other data.
BBitmap* decode_image(const void* data, size_t length, uint32 type);

// True when a translator recognises the open file as an image.
bool is_image(BFile& file);

// Writes bitmap into destination in the format type (0 lets the roster
// choose). The bitmap stays the caller's.
status_t encode_image(BBitmap* bitmap, BPositionIO* destination, uint32 type);

// The format to write an image named name in: the format whose translator
// writes that name's extension, else source's own format if a translator
// writes it, else 0 (the roster's choice, PNG). source may be NULL.
uint32 save_type_for(const char* name, BPositionIO* source);

// A new B_RGB32 bitmap with the given bounds, black, with the area source
// of image drawn scaled over all of it; NULL when it cannot be made.
BBitmap* draw_over_black(BBitmap* image, BRect source, BRect bounds);

} // namespace glim

#endif
