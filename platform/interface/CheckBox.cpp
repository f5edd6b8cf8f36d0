#include "CheckBox.h"

#include <cmath>

#include "ControlDrawing.h"

namespace {

// The square of the box and where the label starts, in the view's bounds.
BRect
box_frame(BView* view)
{
	font_height height;
	view->GetFontHeight(&height);
	float size = std::ceil(height.ascent);
	BRect bounds = view->Bounds();
	float top = bounds.top + std::floor((bounds.Height() - size) / 2);
	return BRect(bounds.left + 1, top, bounds.left + 1 + size, top + size);
}

} // namespace


BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags) :
	BControl(frame, name, label, message, resizingMode, flags)
{
}


BCheckBox::~BCheckBox()
{
}


void
BCheckBox::Draw(BRect)
{
	BRect box = box_frame(this);
	SetHighColor(IsTracking() ? BPrivate::kControlPressedColor : BPrivate::kControlFillColor);
	FillRect(box);
	SetHighColor(IsEnabled() ? BPrivate::kControlFrameColor : BPrivate::kDisabledTextColor);
	StrokeRect(box);
	if (Value() == B_CONTROL_ON) {
		SetHighColor(IsEnabled() ? BPrivate::kControlMarkColor : BPrivate::kDisabledTextColor);
		SetPenSize(2);
		BRect mark = box.InsetByCopy(3, 3);
		StrokeLine(BPoint(mark.left, mark.top + mark.Height() / 2),
			BPoint(mark.left + mark.Width() / 3, mark.bottom));
		StrokeLine(BPoint(mark.right, mark.top));
		SetPenSize(1);
	}
	BPoint where(box.right + 6, BPrivate::centered_baseline(this, Bounds()));
	BPrivate::draw_text(this, Label(), where, IsEnabled());
	if (IsFocus()) {
		SetHighColor(BPrivate::kFocusColor);
		StrokeLine(BPoint(where.x, where.y + 2),
			BPoint(where.x + StringWidth(Label()), where.y + 2));
	}
}


void
BCheckBox::MouseDown(BPoint where)
{
	if (!IsEnabled())
		return;
	bool inside = BPrivate::track_press(this, where, [this](bool pressed) {
		SetTracking(pressed);
		Invalidate();
	});
	if (!inside)
		return;
	SetValue(Value() == B_CONTROL_ON ? B_CONTROL_OFF : B_CONTROL_ON);
	Invoke();
}


void
BCheckBox::KeyDown(const char* bytes, int32 numBytes)
{
	if (IsEnabled() && BPrivate::is_press_key(bytes, numBytes)) {
		SetValue(Value() == B_CONTROL_ON ? B_CONTROL_OFF : B_CONTROL_ON);
		Invoke();
		return;
	}
	BControl::KeyDown(bytes, numBytes);
}


void
BCheckBox::GetPreferredSize(float* _width, float* _height)
{
	font_height height;
	GetFontHeight(&height);
	if (_width != NULL)
		*_width = std::ceil(height.ascent) + 8 + std::ceil(StringWidth(Label()));
	if (_height != NULL)
		*_height = std::ceil(height.ascent + height.descent) + 4;
}
