#ifndef _TRANSLATOR_FORMATS_H
#define _TRANSLATOR_FORMATS_H

#include <GraphicsDefs.h>
#include <Rect.h>

// Groups of formats, and the platform's own interchange formats.
enum TranslatorGroups {
	B_TRANSLATOR_BITMAP = 'bits',
	B_TRANSLATOR_PICTURE = 'pict',
	B_TRANSLATOR_TEXT = 'TEXT',
	B_TRANSLATOR_SOUND = 'nois',
	B_TRANSLATOR_MIDI = 'midi',
	B_TRANSLATOR_MEDIA = 'mhi!',
	B_TRANSLATOR_NONE = 'none',
	B_TRANSLATOR_ANY_TYPE = 0
};

// Type codes of the image formats.
enum {
	B_JPEG_FORMAT = 'JPEG',
	B_PNG_FORMAT = 'PNG ',
	B_GIF_FORMAT = 'GIF ',
	B_BMP_FORMAT = 'BMP ',
	B_TIFF_FORMAT = 'TIFF',
	B_WEBP_FORMAT = 'WEBP',
	B_TGA_FORMAT = 'TGA ',
	B_ICO_FORMAT = 'ICO ',
	B_PPM_FORMAT = 'PPM ',
	B_WBMP_FORMAT = 'WBMP',
	B_XBM_FORMAT = 'XBM ',
	B_XPM_FORMAT = 'XPM ',
	B_ICNS_FORMAT = 'ICNS',
	B_MNG_FORMAT = 'MNG ',
	B_HEIF_FORMAT = 'HEIF',
	B_AVIF_FORMAT = 'AVIF',
	B_JXL_FORMAT = 'JXL ',
	B_RAW_FORMAT = 'RAW '
};

// The header of the bitmap format B_TRANSLATOR_BITMAP. In a stream every
// field is big-endian (the floats of bounds too) and the header is 32 bytes;
// dataSize bytes of pixel rows, rowBytes each, follow it.
struct TranslatorBitmap {
	uint32 magic;
	BRect bounds;
	uint32 rowBytes;
	color_space colors;
	uint32 dataSize;
};

#endif
