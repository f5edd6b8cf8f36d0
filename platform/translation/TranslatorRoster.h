#ifndef _TRANSLATOR_ROSTER_H
#define _TRANSLATOR_ROSTER_H

#include <memory>

#include <TranslationDefs.h>

class BMessage;
class BPositionIO;

namespace BPrivate {
struct TranslatorEntry;
}

// The installed translators: one per image format that Qt's image I/O
// reads, in a fixed order (JPEG, PNG, GIF, BMP, TIFF, WebP, then the rest),
// then HEIF (libheif), AVIF (libavif), JPEG XL (libjxl) and camera RAW
// (libraw). Each reads its format into the bitmap format
// B_TRANSLATOR_BITMAP; a translator whose format its library also writes
// turns bitmaps into that format (not RAW; HEIF when an HEVC encoder is
// installed).
// Input formats: its own type, then 'bits' when it writes. Output formats:
// its own type when it writes, then 'bits'.
//
// Data is recognised by its content only, read from the start of the source
// stream; the source's position is not moved. Output is written at the
// destination's position, which ends after it. Images are decoded with
// their orientation applied (EXIF, HEIF's rotation and mirror, RAW's flip)
// and converted to sRGB from their ICC profile, as B_RGBA32 bitmaps when
// they have alpha and B_RGB32 otherwise; an image of more than 1 GiB of pixels fails with
// B_NO_MEMORY. Bitmap data translated with no wanted type (0) becomes PNG.
// Data that no translator handles, or a wanted type that none writes, gives
// B_NO_TRANSLATOR; data a reader recognises but cannot decode gives
// B_ILLEGAL_DATA.
//
// Configuration messages and hints are accepted and not used, but for
// B_TRANSLATOR_EXT_FIT_BOX when decoding (see TranslationDefs.h). The roster
// is safe to use from several threads at once, each call with its own
// streams.
class BTranslatorRoster {
public:
	static BTranslatorRoster* Default();

	status_t Identify(BPositionIO* source, BMessage* ioExtension, translator_info* _info,
		uint32 hintType = 0, const char* hintMIME = NULL, uint32 wantType = 0);
	// Every translator that can translate source into wantType, in the
	// roster's order, as a new array that the caller deletes with delete[].
	status_t GetTranslators(BPositionIO* source, BMessage* ioExtension, translator_info** _info,
		int32* _numInfo, uint32 hintType = 0, const char* hintMIME = NULL, uint32 wantType = 0);
	// A new array of every translator's id that the caller deletes with
	// delete[].
	status_t GetAllTranslators(translator_id** _list, int32* _count);
	// Name, description and version; the strings belong to the roster.
	// Each output pointer may be NULL.
	status_t GetTranslatorInfo(translator_id id, const char** _name, const char** _info,
		int32* _version);
	// The formats belong to the roster.
	status_t GetInputFormats(translator_id id, const translation_format** _formats,
		int32* _numFormats);
	status_t GetOutputFormats(translator_id id, const translation_format** _formats,
		int32* _numFormats);

	// With info NULL the translator is chosen as Identify chooses it.
	status_t Translate(BPositionIO* source, const translator_info* info, BMessage* ioExtension,
		BPositionIO* destination, uint32 wantOutType, uint32 hintType = 0,
		const char* hintMIME = NULL);
	status_t Translate(translator_id id, BPositionIO* source, BMessage* ioExtension,
		BPositionIO* destination, uint32 wantOutType);

private:
	BTranslatorRoster();
	~BTranslatorRoster();
	BTranslatorRoster(const BTranslatorRoster&) = delete;
	BTranslatorRoster& operator=(const BTranslatorRoster&) = delete;

	const BPrivate::TranslatorEntry* _Find(translator_id id) const;

	struct Source;
	status_t _Examine(BPositionIO* source, Source* _source,
		const char* onlyFormat = NULL) const;
	status_t _ExamineWith(const char* onlyFormat, Source* _source) const;
	const BPrivate::TranslatorEntry* _Choose(const Source& source, uint32 wantType) const;
	bool _Accepts(const BPrivate::TranslatorEntry& entry, const Source& source,
		uint32 wantType) const;
	void _FillInfo(const BPrivate::TranslatorEntry& entry, const Source& source,
		translator_info* _info) const;
	status_t _Translate(const BPrivate::TranslatorEntry& entry, const Source& source,
		BPositionIO* destination, uint32 wantType, BMessage* ioExtension);

	struct Data;
	std::unique_ptr<Data> fData;
};

#endif
