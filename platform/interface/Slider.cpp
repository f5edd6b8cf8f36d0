#include "Slider.h"

#include <algorithm>
#include <cmath>

#include <Message.h>

#include "ControlDrawing.h"

namespace {

const float kThumbHalfWidth = 5;
const float kThumbHeight = 16;
const float kBarThickness = 6;
const float kHashLength = 5;
const float kGap = 2;

const rgb_color kBarColor = {160, 160, 160, 255};
const rgb_color kThumbColor = {236, 236, 236, 255};

} // namespace


// Where the parts go for the current bounds and font, top to bottom.
struct BSlider::Layout {
	float labelBaseline = 0;
	BRect hashTop;
	float thumbTop = 0;
	BRect bar;
	BRect hashBottom;
	float limitBaseline = 0;
	float height = 0;
};


BSlider::BSlider(BRect frame, const char* name, const char* label, BMessage* message,
	int32 minValue, int32 maxValue, thumb_style thumbType, uint32 resizingMode, uint32 flags) :
	BControl(frame, name, label, message, resizingMode, flags),
	fMinValue(minValue),
	fMaxValue(std::max(minValue, maxValue)),
	fStyle(thumbType),
	fHashMarks(B_HASH_MARKS_NONE),
	fHashMarkCount(0),
	fHasMinLimitLabel(false),
	fHasMaxLimitLabel(false)
{
	SetValueNoUpdate(fMinValue);
}


BSlider::~BSlider()
{
}


void
BSlider::AttachedToWindow()
{
	BControl::AttachedToWindow();
	float height;
	GetPreferredSize(NULL, &height);
	ResizeTo(Bounds().Width(), height);
}


BSlider::Layout
BSlider::_Layout() const
{
	font_height font;
	GetFontHeight(&font);
	float line = std::ceil(font.ascent + font.descent);
	BRect bounds = Bounds();
	Layout layout;
	float left = bounds.left + kThumbHalfWidth;
	float right = std::max(left, bounds.right - kThumbHalfWidth);
	float y = bounds.top;
	if (Label()[0] != '\0') {
		layout.labelBaseline = y + std::ceil(font.ascent);
		y += line + kGap;
	}
	if ((fHashMarks & B_HASH_MARKS_TOP) != 0) {
		layout.hashTop = BRect(left, y, right, y + kHashLength - 1);
		y += kHashLength + 1;
	}
	layout.thumbTop = y;
	float barTop = y + std::floor((kThumbHeight - kBarThickness) / 2);
	layout.bar = BRect(left, barTop, right, barTop + kBarThickness - 1);
	y += kThumbHeight;
	if ((fHashMarks & B_HASH_MARKS_BOTTOM) != 0) {
		layout.hashBottom = BRect(left, y + 1, right, y + kHashLength);
		y += kHashLength + 1;
	}
	if (fHasMinLimitLabel || fHasMaxLimitLabel) {
		y += kGap;
		layout.limitBaseline = y + std::ceil(font.ascent);
		y += line;
	}
	layout.height = y - bounds.top;
	return layout;
}


void
BSlider::GetPreferredSize(float* _width, float* _height)
{
	float labels = StringWidth(fMinLimitLabel.c_str()) + StringWidth(fMaxLimitLabel.c_str());
	if (_width != NULL)
		*_width = std::ceil(std::max({StringWidth(Label()), labels + 10, 60.0f}));
	if (_height != NULL)
		*_height = _Layout().height - 1;
}


// #pragma mark - drawing


void
BSlider::Draw(BRect)
{
	Layout layout = _Layout();
	_DrawLabels(layout);
	_DrawHashMarks(layout);
	_DrawBar(layout);
	_DrawThumb();
}


void
BSlider::_DrawLabels(const Layout& layout)
{
	BRect bounds = Bounds();
	bool enabled = IsEnabled();
	if (Label()[0] != '\0')
		BPrivate::draw_text(this, Label(), BPoint(bounds.left, layout.labelBaseline), enabled);
	if (fHasMinLimitLabel) {
		BPrivate::draw_text(this, fMinLimitLabel.c_str(),
			BPoint(bounds.left, layout.limitBaseline), enabled);
	}
	if (fHasMaxLimitLabel) {
		float width = StringWidth(fMaxLimitLabel.c_str());
		BPrivate::draw_text(this, fMaxLimitLabel.c_str(),
			BPoint(bounds.right - width, layout.limitBaseline), enabled);
	}
}


void
BSlider::_DrawHashMarks(const Layout& layout)
{
	if (fHashMarkCount <= 0)
		return;
	SetHighColor(IsEnabled() ? BPrivate::kControlFrameColor : BPrivate::kDisabledTextColor);
	BRect frames[2] = {layout.hashTop, layout.hashBottom};
	for (const BRect& frame : frames) {
		if (!frame.IsValid())
			continue;
		for (int32 i = 0; i < fHashMarkCount; i++) {
			float x = frame.left;
			if (fHashMarkCount > 1)
				x = std::floor(frame.left + frame.Width() * i / (fHashMarkCount - 1) + 0.5f);
			StrokeLine(BPoint(x, frame.top), BPoint(x, frame.bottom));
		}
	}
}


void
BSlider::_DrawBar(const Layout& layout)
{
	SetHighColor(kBarColor);
	FillRect(layout.bar);
	SetHighColor(IsEnabled() ? BPrivate::kControlFrameColor : BPrivate::kDisabledTextColor);
	StrokeRect(layout.bar);
}


void
BSlider::_DrawThumb()
{
	BRect thumb = ThumbFrame();
	rgb_color frame = IsFocus() ? BPrivate::kFocusColor
		: IsEnabled()			? BPrivate::kControlMarkColor
								: BPrivate::kDisabledTextColor;
	if (fStyle == B_BLOCK_THUMB) {
		SetHighColor(IsTracking() ? BPrivate::kControlPressedColor : kThumbColor);
		FillRect(thumb);
		SetHighColor(frame);
		StrokeRect(thumb);
		float middle = thumb.left + kThumbHalfWidth;
		StrokeLine(BPoint(middle, thumb.top + 3), BPoint(middle, thumb.bottom - 3));
		return;
	}
	// A triangle pointing up at the bar, row by row.
	SetHighColor(frame);
	float middle = thumb.left + kThumbHalfWidth;
	for (float y = thumb.top; y <= thumb.bottom; y++) {
		float half = std::min(kThumbHalfWidth, std::floor((y - thumb.top) / 2));
		StrokeLine(BPoint(middle - half, y), BPoint(middle + half, y));
	}
}


// #pragma mark - parts


BRect
BSlider::BarFrame() const
{
	return _Layout().bar;
}


BRect
BSlider::ThumbFrame() const
{
	Layout layout = _Layout();
	float x = std::floor(layout.bar.left + Position() * layout.bar.Width() + 0.5f);
	float top = fStyle == B_BLOCK_THUMB ? layout.thumbTop : layout.bar.bottom + 1;
	return BRect(x - kThumbHalfWidth, top, x + kThumbHalfWidth,
		layout.thumbTop + kThumbHeight - 1);
}


// #pragma mark - value


void
BSlider::SetValue(int32 value)
{
	BControl::SetValue(std::clamp(value, fMinValue, fMaxValue));
}


int32
BSlider::ValueForPoint(BPoint point) const
{
	BRect bar = BarFrame();
	float fraction = bar.Width() > 0 ? (point.x - bar.left) / bar.Width() : 0;
	fraction = std::clamp(fraction, 0.0f, 1.0f);
	return fMinValue + (int32)std::lround(fraction * ((double)fMaxValue - fMinValue));
}


float
BSlider::Position() const
{
	if (fMaxValue == fMinValue)
		return 0;
	return (float)(((double)Value() - fMinValue) / ((double)fMaxValue - fMinValue));
}


void
BSlider::SetLimitLabels(const char* minLabel, const char* maxLabel)
{
	fHasMinLimitLabel = minLabel != NULL;
	fMinLimitLabel = minLabel != NULL ? minLabel : "";
	fHasMaxLimitLabel = maxLabel != NULL;
	fMaxLimitLabel = maxLabel != NULL ? maxLabel : "";
	Invalidate();
}


void
BSlider::SetHashMarks(hash_mark_location where)
{
	fHashMarks = where;
	Invalidate();
}


void
BSlider::SetHashMarkCount(int32 count)
{
	fHashMarkCount = std::max(count, (int32)0);
	Invalidate();
}


// #pragma mark - input


// Clicking on the bar moves the thumb there; then the thumb follows the
// pointer until the button is released.
void
BSlider::MouseDown(BPoint where)
{
	if (!IsEnabled())
		return;
	BRect active = BarFrame() | ThumbFrame();
	active.left = Bounds().left;
	active.right = Bounds().right;
	if (!active.Contains(where))
		return;
	MakeFocus(true);
	int32 start = Value();
	SetTracking(true);
	_SetValueByUser(ValueForPoint(where), false);
	uint32 buttons = B_PRIMARY_MOUSE_BUTTON;
	BPoint point = where;
	while (buttons != 0) {
		snooze(20000);
		GetMouse(&point, &buttons, true);
		_SetValueByUser(ValueForPoint(point), false);
	}
	SetTracking(false);
	Invalidate();
	if (Value() != start)
		Invoke();
}


void
BSlider::KeyDown(const char* bytes, int32 numBytes)
{
	if (!IsEnabled() || numBytes != 1) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	switch (bytes[0]) {
		case B_LEFT_ARROW:
		case B_DOWN_ARROW:
			_SetValueByUser((int64)Value() - 1, true);
			break;
		case B_RIGHT_ARROW:
		case B_UP_ARROW:
			_SetValueByUser((int64)Value() + 1, true);
			break;
		case B_HOME:
			_SetValueByUser(fMinValue, true);
			break;
		case B_END:
			_SetValueByUser(fMaxValue, true);
			break;
		default:
			BView::KeyDown(bytes, numBytes);
			break;
	}
}


// Sets a value the user chose: the modification message goes out for every
// change, and the message itself when invoke is set.
void
BSlider::_SetValueByUser(int64 value, bool invoke)
{
	int32 old = Value();
	SetValue((int32)std::clamp(value, (int64)fMinValue, (int64)fMaxValue));
	if (Value() == old)
		return;
	if (invoke)
		Invoke();
}
