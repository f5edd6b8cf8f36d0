#ifndef _TRANSLATION_DEFS_H
#define _TRANSLATION_DEFS_H

#include <SupportDefs.h>
#include <TranslatorFormats.h>

typedef uint32 translator_id;

#define B_TRANSLATION_MAKE_VERSION(major, minor, revision) \
	((((major)&0xff) << 8) | (((minor)&0xf) << 4) | ((revision)&0xf))
#define B_TRANSLATION_MAJOR_VERSION(version) (((version) >> 8) & 0xff)
#define B_TRANSLATION_MINOR_VERSION(version) (((version) >> 4) & 0xf)
#define B_TRANSLATION_REVISION_VERSION(version) ((version)&0xf)

// What a translator reads or writes.
struct translation_format {
	uint32 type;
	uint32 group;
	float quality;
	float capability;
	char MIME[251];
	char name[251];
};

// What Identify found: the format of the data and the translator for it.
struct translator_info {
	uint32 type;
	translator_id translator;
	uint32 group;
	float quality;
	float capability;
	char name[251];
	char MIME[251];
};

// Keys of a Translate() call's ioExtension message when decoding an image
// into a bitmap. B_TRANSLATOR_EXT_FIT_BOX (point: width, height): the image
// will be shown fitted into this box, so the translator may hand it over
// reduced, never smaller than its fit into the box. The translator then sets
// B_TRANSLATOR_EXT_FULL_SIZE (point: width, height in pixels) to the size of
// the whole image as shown, after its orientation is applied.
#define B_TRANSLATOR_EXT_FIT_BOX "/fitBox"
#define B_TRANSLATOR_EXT_FULL_SIZE "/fullSize"

#endif
