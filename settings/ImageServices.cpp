#include "settings/ImageServices.h"

#include <new>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <File.h>
#include <Message.h>
#include <MimeType.h>
#include <TranslatorRoster.h>
#include <View.h>

namespace glim {

static status_t
decode(BPositionIO* source, BMessage* extension, BBitmap** _bitmap)
{
	*_bitmap = NULL;
	BBitmapStream stream;
	status_t status = BTranslatorRoster::Default()->Translate(source, NULL, extension, &stream,
		B_TRANSLATOR_BITMAP);
	if (status != B_OK)
		return status;
	if (stream.DetachBitmap(_bitmap) != B_OK || *_bitmap == NULL) {
		*_bitmap = NULL;
		return B_NO_INIT;
	}
	return B_OK;
}

status_t
decode_image(BPositionIO* source, BBitmap** _bitmap)
{
	return decode(source, NULL, _bitmap);
}

status_t
decode_image_to_fit(BPositionIO* source, float boxWidth, float boxHeight, BBitmap** _bitmap,
	BPoint* _fullSize)
{
	BMessage extension;
	extension.AddPoint(B_TRANSLATOR_EXT_FIT_BOX, BPoint(boxWidth, boxHeight));
	status_t status = decode(source, &extension, _bitmap);
	if (status != B_OK)
		return status;
	if (extension.FindPoint(B_TRANSLATOR_EXT_FULL_SIZE, _fullSize) != B_OK) {
		BRect bounds = (*_bitmap)->Bounds();
		*_fullSize = BPoint(bounds.Width() + 1, bounds.Height() + 1);
	}
	return B_OK;
}

BBitmap*
decode_image(BPositionIO* source)
{
	BBitmap* bitmap;
	decode_image(source, &bitmap);
	return bitmap;
}

BBitmap*
decode_image(const void* data, size_t length)
{
	BMemoryIO source(data, length);
	return decode_image(&source);
}

BBitmap*
decode_image(const void* data, size_t length, uint32 type)
{
	BMemoryIO source(data, length);
	translator_info info;
	BTranslatorRoster* roster = BTranslatorRoster::Default();
	if (roster->Identify(&source, NULL, &info, 0, NULL, B_TRANSLATOR_BITMAP) != B_OK
		|| info.type != type)
		return NULL;
	BBitmapStream stream;
	BBitmap* bitmap = NULL;
	if (roster->Translate(&source, &info, NULL, &stream, B_TRANSLATOR_BITMAP) != B_OK
		|| stream.DetachBitmap(&bitmap) != B_OK)
		return NULL;
	return bitmap;
}

bool
is_image(BFile& file)
{
	translator_info info;
	return BTranslatorRoster::Default()->Identify(&file, NULL, &info, 0, NULL,
			   B_TRANSLATOR_BITMAP)
		== B_OK;
}

status_t
encode_image(BBitmap* bitmap, BPositionIO* destination, uint32 type)
{
	BBitmapStream stream(bitmap);
	status_t status = BTranslatorRoster::Default()->Translate(&stream, NULL, NULL, destination,
		type);
	// The stream would delete a bitmap still attached to it.
	BBitmap* detached = NULL;
	stream.DetachBitmap(&detached);
	return status;
}

// The first output format of the translator that writes bitmaps as the
// format named by mime or type, or 0 when none does.
static uint32
writable_type(const char* mime, uint32 type)
{
	BTranslatorRoster* roster = BTranslatorRoster::Default();
	translator_id* translators = NULL;
	int32 count = 0;
	if (roster->GetAllTranslators(&translators, &count) != B_OK)
		return 0;
	uint32 found = 0;
	for (int32 i = 0; i < count && found == 0; i++) {
		const translation_format* formats = NULL;
		int32 formatCount = 0;
		if (roster->GetOutputFormats(translators[i], &formats, &formatCount) != B_OK
			|| formatCount <= 0 || formats[0].type == B_TRANSLATOR_BITMAP
			|| formats[0].group != B_TRANSLATOR_BITMAP)
			continue;
		if ((mime != NULL && BMimeType(formats[0].MIME) == mime)
			|| (type != 0 && formats[0].type == type))
			found = formats[0].type;
	}
	delete[] translators;
	return found;
}

uint32
save_type_for(const char* name, BPositionIO* source)
{
	BMimeType guessed;
	if (name != NULL && BMimeType::GuessMimeType(name, &guessed) == B_OK) {
		uint32 type = writable_type(guessed.Type(), 0);
		if (type != 0)
			return type;
	}
	translator_info info;
	if (source != NULL && BTranslatorRoster::Default()->Identify(source, NULL, &info) == B_OK)
		return writable_type(NULL, info.type);
	return 0;
}

BBitmap*
draw_over_black(BBitmap* image, BRect source, BRect bounds)
{
	BBitmap* result = new (std::nothrow) BBitmap(bounds, B_RGB32, true);
	if (result == NULL || result->InitCheck() != B_OK) {
		delete result;
		return NULL;
	}
	BView* view = new BView(result->Bounds(), "DrawOverBlackView", 0, 0);
	result->AddChild(view);
	result->Lock();
	view->SetHighColor(0, 0, 0, 255);
	view->FillRect(result->Bounds(), B_SOLID_HIGH);
	view->DrawBitmap(image, source, result->Bounds());
	view->Sync();
	result->Unlock();
	return result;
}

} // namespace glim
