#include "RadioButton.h"

#include <cmath>

#include "ControlDrawing.h"

namespace {

BRect
dot_frame(BView* view)
{
	font_height height;
	view->GetFontHeight(&height);
	float size = std::ceil(height.ascent);
	BRect bounds = view->Bounds();
	float top = bounds.top + std::floor((bounds.Height() - size) / 2);
	return BRect(bounds.left + 1, top, bounds.left + 1 + size, top + size);
}

} // namespace


BRadioButton::BRadioButton(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags) :
	BControl(frame, name, label, message, resizingMode, flags)
{
}


BRadioButton::~BRadioButton()
{
}


void
BRadioButton::Draw(BRect)
{
	BRect dot = dot_frame(this);
	SetHighColor(IsTracking() ? BPrivate::kControlPressedColor : BPrivate::kControlFillColor);
	FillEllipse(dot);
	SetHighColor(IsEnabled() ? BPrivate::kControlFrameColor : BPrivate::kDisabledTextColor);
	StrokeEllipse(dot);
	if (Value() == B_CONTROL_ON) {
		SetHighColor(IsEnabled() ? BPrivate::kControlMarkColor : BPrivate::kDisabledTextColor);
		FillEllipse(dot.InsetByCopy(3, 3));
	}
	BPoint where(dot.right + 6, BPrivate::centered_baseline(this, Bounds()));
	BPrivate::draw_text(this, Label(), where, IsEnabled());
	if (IsFocus()) {
		SetHighColor(BPrivate::kFocusColor);
		StrokeLine(BPoint(where.x, where.y + 2),
			BPoint(where.x + StringWidth(Label()), where.y + 2));
	}
}


void
BRadioButton::MouseDown(BPoint where)
{
	if (!IsEnabled())
		return;
	bool inside = BPrivate::track_press(this, where, [this](bool pressed) {
		SetTracking(pressed);
		Invalidate();
	});
	if (!inside)
		return;
	SetValue(B_CONTROL_ON);
	Invoke();
}


void
BRadioButton::KeyDown(const char* bytes, int32 numBytes)
{
	if (IsEnabled() && BPrivate::is_press_key(bytes, numBytes)) {
		SetValue(B_CONTROL_ON);
		Invoke();
		return;
	}
	BControl::KeyDown(bytes, numBytes);
}


void
BRadioButton::GetPreferredSize(float* _width, float* _height)
{
	font_height height;
	GetFontHeight(&height);
	if (_width != NULL)
		*_width = std::ceil(height.ascent) + 8 + std::ceil(StringWidth(Label()));
	if (_height != NULL)
		*_height = std::ceil(height.ascent + height.descent) + 4;
}


// Turning one on turns off every other radio button of the same parent.
void
BRadioButton::SetValue(int32 value)
{
	if (value != B_CONTROL_OFF)
		value = B_CONTROL_ON;
	BControl::SetValue(value);
	if (value != B_CONTROL_ON)
		return;
	for (BView* sibling = PreviousSibling(); sibling != NULL;
		 sibling = sibling->PreviousSibling()) {
		if (BRadioButton* radio = dynamic_cast<BRadioButton*>(sibling))
			radio->BControl::SetValue(B_CONTROL_OFF);
	}
	for (BView* sibling = NextSibling(); sibling != NULL; sibling = sibling->NextSibling()) {
		if (BRadioButton* radio = dynamic_cast<BRadioButton*>(sibling))
			radio->BControl::SetValue(B_CONTROL_OFF);
	}
}
