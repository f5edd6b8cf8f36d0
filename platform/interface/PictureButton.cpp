#include "PictureButton.h"

#include "ControlDrawing.h"


BPictureButton::BPictureButton(BRect frame, const char* name, BPicture* off, BPicture* on,
	BMessage* message, uint32 behavior, uint32 resizingMode, uint32 flags) :
	BControl(frame, name, NULL, message, resizingMode, flags),
	fBehavior(behavior)
{
	_SetPicture(fEnabledOff, off);
	_SetPicture(fEnabledOn, on);
}


BPictureButton::~BPictureButton()
{
}


void
BPictureButton::Draw(BRect)
{
	bool on = Value() == B_CONTROL_ON;
	DrawPicture(on ? fEnabledOn.get() : fEnabledOff.get(), Bounds().LeftTop());
	if (!IsEnabled()) {
		SetDrawingMode(B_OP_ALPHA);
		SetHighColor(ViewColor().red, ViewColor().green, ViewColor().blue, 128);
		FillRect(Bounds());
		SetDrawingMode(B_OP_COPY);
	}
}


void
BPictureButton::MouseDown(BPoint where)
{
	if (!IsEnabled())
		return;
	if (!_Track(where))
		return;
	if (fBehavior == B_TWO_STATE_BUTTON)
		SetValue(Value() == B_CONTROL_ON ? B_CONTROL_OFF : B_CONTROL_ON);
	Invoke();
}


// Shows the picture that a release at the pointer's place would leave;
// true when released inside.
bool
BPictureButton::_Track(BPoint where)
{
	int32 before = Value();
	int32 pressed = fBehavior == B_TWO_STATE_BUTTON && before == B_CONTROL_ON ? B_CONTROL_OFF
																			  : B_CONTROL_ON;
	SetTracking(true);
	bool inside = BPrivate::track_press(this, where,
		[&](bool in) { SetValue(in ? pressed : before); });
	SetTracking(false);
	return inside;
}


void
BPictureButton::KeyDown(const char* bytes, int32 numBytes)
{
	if (IsEnabled() && BPrivate::is_press_key(bytes, numBytes)
		&& fBehavior == B_TWO_STATE_BUTTON) {
		SetValue(Value() == B_CONTROL_ON ? B_CONTROL_OFF : B_CONTROL_ON);
		Invoke();
		return;
	}
	BControl::KeyDown(bytes, numBytes);
}


void
BPictureButton::_SetPicture(std::unique_ptr<BPicture>& slot, BPicture* picture)
{
	if (picture != NULL)
		slot = std::make_unique<BPicture>(*picture);
	else
		slot.reset();
	Invalidate();
}
