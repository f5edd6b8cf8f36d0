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

#endif
