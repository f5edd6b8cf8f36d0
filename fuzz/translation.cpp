// Image files from anywhere (the web, a USB stick): the translators must
// recognise and decode them, or refuse them, without reading outside them,
// crashing or hanging. The bytes go through the roster exactly as the
// viewer's own: Identify, then Translate into a bitmap.
#include <cstdlib>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <Message.h>
#include <TranslationDefs.h>
#include <TranslatorRoster.h>

extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
	// The codecs complain about every broken file; the fuzzer's output is
	// what matters.
	setenv("QT_LOGGING_RULES", "*=false", 1);
	return 0;
}

static void
translate_and_check(BTranslatorRoster* roster, BPositionIO* source, translator_info* info,
	BMessage* extension)
{
	BBitmapStream stream;
	if (roster->Translate(source, info, extension, &stream, B_TRANSLATOR_BITMAP) != B_OK)
		return;
	BBitmap* bitmap = NULL;
	if (stream.DetachBitmap(&bitmap) != B_OK || bitmap == NULL || bitmap->InitCheck() != B_OK
		|| !bitmap->Bounds().IsValid())
		abort();
	// Every pixel must be there: touch the first and the last byte.
	const uint8* bits = static_cast<const uint8*>(bitmap->Bits());
	volatile uint8 sum = bits[0] + bits[bitmap->BitsLength() - 1];
	(void)sum;
	delete bitmap;
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BTranslatorRoster* roster = BTranslatorRoster::Default();
	BMemoryIO source(data, size);
	translator_info info;
	if (roster->Identify(&source, NULL, &info) != B_OK)
		return 0;
	if (source.Position() != 0)
		abort();

	// Whole, as the image view decodes, then reduced to a box as thumbnails
	// are made (the codecs' own scaled decoding).
	translate_and_check(roster, &source, &info, NULL);
	BMessage fit;
	fit.AddPoint(B_TRANSLATOR_EXT_FIT_BOX, BPoint(96 + data[0] % 97, 96 + data[size - 1] % 97));
	source.Seek(0, SEEK_SET);
	translate_and_check(roster, &source, &info, &fit);
	return 0;
}
