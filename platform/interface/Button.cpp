#include "Button.h"

#include <cmath>

#include <OS.h>

BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags) :
	BControl(frame, name, label, message, resizingMode, flags),
	fIsDefault(false)
{
}


BButton::~BButton()
{
}


void
BButton::Draw(BRect)
{
	BRect bounds = Bounds();
	bool pressed = Value() == B_CONTROL_ON;
	SetHighColor(pressed ? make_color(168, 168, 168) : make_color(232, 232, 232));
	FillRoundRect(bounds, 3, 3);
	SetHighColor(IsDefault() || IsFocus() ? make_color(40, 40, 40) : make_color(120, 120, 120));
	StrokeRoundRect(bounds, 3, 3);

	font_height height;
	GetFontHeight(&height);
	float width = StringWidth(Label());
	BPoint where(bounds.left + std::floor((bounds.Width() - width) / 2),
		bounds.top + std::floor((bounds.Height() + 1 + height.ascent - height.descent) / 2));
	SetHighColor(IsEnabled() ? make_color(0, 0, 0) : make_color(140, 140, 140));
	SetDrawingMode(B_OP_OVER);
	DrawString(Label(), where);
	SetDrawingMode(B_OP_COPY);
}


// Tracks the pointer until the button is released: the button shows pressed
// while the pointer is over it, and is invoked when released there.
void
BButton::MouseDown(BPoint where)
{
	if (!IsEnabled())
		return;
	SetTracking(true);
	SetValue(B_CONTROL_ON);
	uint32 buttons = B_PRIMARY_MOUSE_BUTTON;
	BPoint point = where;
	while (buttons != 0) {
		snooze(20000);
		GetMouse(&point, &buttons, true);
		SetValue(Bounds().Contains(point) ? B_CONTROL_ON : B_CONTROL_OFF);
	}
	SetTracking(false);
	bool inside = Bounds().Contains(point);
	SetValue(B_CONTROL_OFF);
	if (inside)
		Invoke();
}


void
BButton::GetPreferredSize(float* _width, float* _height)
{
	font_height height;
	GetFontHeight(&height);
	if (_width != NULL)
		*_width = std::ceil(StringWidth(Label())) + 24;
	if (_height != NULL)
		*_height = std::ceil(height.ascent + height.descent) + 12;
}


void
BButton::MakeDefault(bool isDefault)
{
	fIsDefault = isDefault;
	Invalidate();
}
