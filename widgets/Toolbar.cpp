#include "widgets/Toolbar.h"

#include <new>

#include <Message.h>
#include <Application.h>
#include <Bitmap.h>
#include <Picture.h>
#include <PictureButton.h>
#include <TranslationUtils.h>

#include "app/Commands.h"
#include "app/ErrorAlert.h"

namespace {

struct ButtonSpec {
	BRect frame;
	int32 normalId;
	int32 pressedId;
	uint32 command;
	bool toApplication;
	const char* name;
	const char* normalMissing;
	const char* pressedMissing;
	const char* notCreated;
};

const ButtonSpec kButtons[] = {
	{BRect(0, 0, 39, 39), 1, 2, MSG_OPEN_PANEL, true, "GOpenBtn",
		"01: Failed to get Open Up bitmap", "02: Failed to get Open Down bitmap",
		"03: Failed to create open button"},
	{BRect(40, 0, 79, 39), 3, 4, MSG_PREV_IMAGE, false, "GOpenBtn",
		"04: Failed to get Back Up bitmap", "05: Failed to get Back Down bitmap",
		"06: Failed to create back button"},
	{BRect(80, 0, 119, 39), 5, 6, MSG_NEXT_IMAGE, false, "GOpenBtn",
		"07: Failed to get Forward Up bitmap", "08: Failed to get Forward Down bitmap",
		"09: Failed to create forward button"},
	{BRect(120, 0, 159, 39), 7, 8, MSG_TOGGLE_SLIDESHOW, false, "GOpenBtn",
		"10: Failed to get Show Up button", "11: Failed to get Show Down button",
		"12: Failed to create Show button"},
	{BRect(165, 0, 204, 39), 16, 17, MSG_MOUSE_MENU, false, "GMouseBtn",
		"13: Failed to get Mouse Up button", "14: Failed to get Mouse Down button",
		"15: Failed to create Mouse button"},
	{BRect(210, 0, 249, 39), 14, 15, MSG_ZOOM_MENU, false, "GMagnifyBtn",
		"16: Failed to get Magnify Up button", "17: Failed to get Magnify Down button",
		"18: Failed to create magnify button"},
};

} // namespace

BToolbar::BToolbar(BRect frame) :
	BView(frame, "tbview", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_WILL_DRAW)
{
	SetViewColor(216, 216, 216);
}

BToolbar::~BToolbar()
{
}

// Records the picture resource id as a picture, or reports it missing.
BPicture*
BToolbar::_Picture(int32 id, const char* missingMessage)
{
	BBitmap* bitmap = BTranslationUtils::GetBitmap('PICT', id);
	if (bitmap == NULL) {
		show_error(missingMessage);
		return NULL;
	}
	BeginPicture(new BPicture);
	DrawBitmap(bitmap, BPoint(0, 0));
	BPicture* picture = EndPicture();
	delete bitmap;
	return picture;
}

void
BToolbar::AttachedToWindow()
{
	BView::AttachedToWindow();
	for (const ButtonSpec& spec : kButtons) {
		BPicture* normal = _Picture(spec.normalId, spec.normalMissing);
		BPicture* pressed = _Picture(spec.pressedId, spec.pressedMissing);
		if (normal == NULL || pressed == NULL) {
			delete normal;
			delete pressed;
			continue;
		}
		BPictureButton* button = new (std::nothrow)
			BPictureButton(spec.frame, spec.name, normal, pressed, new BMessage(spec.command),
				B_ONE_STATE_BUTTON, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
		delete normal;
		delete pressed;
		if (button == NULL) {
			show_error(spec.notCreated);
			continue;
		}
		if (spec.toApplication)
			button->SetTarget(be_app);
		AddChild(button);
	}
}

void
BToolbar::Draw(BRect)
{
	BRect bounds = Bounds();
	const rgb_color lines[] = {{0, 0, 0, 255}, {65, 66, 65, 255}, {148, 150, 148, 255}};
	for (int i = 0; i < 3; i++) {
		float y = bounds.bottom - 1 - i;
		SetHighColor(lines[i]);
		StrokeLine(BPoint(0, y), BPoint(bounds.right, y), B_SOLID_HIGH);
	}
}
