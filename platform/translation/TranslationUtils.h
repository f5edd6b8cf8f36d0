#ifndef _TRANSLATION_UTILS_H
#define _TRANSLATION_UTILS_H

#include <SupportDefs.h>

class BBitmap;
class BPositionIO;

// Shortcuts through the default translator roster.
class BTranslationUtils {
public:
	// Decodes the image file at path (a byte path). A new bitmap that the
	// caller owns, or NULL when the file cannot be read or decoded.
	static BBitmap* GetBitmap(const char* path);
	// Decodes the image data of stream, from its start.
	static BBitmap* GetBitmap(BPositionIO* stream);

private:
	BTranslationUtils() = delete;
};

#endif
