#include "StatusBar.h"

#include <algorithm>
#include <cmath>

namespace {

std::string
text_or_empty(const char* text)
{
	return text != NULL ? text : "";
}

} // namespace


BStatusBar::BStatusBar(BRect frame, const char* name, const char* label,
	const char* trailingLabel) :
	BView(frame, name, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW),
	fLabel(text_or_empty(label)),
	fTrailingLabel(text_or_empty(trailingLabel)),
	fMax(100),
	fCurrent(0),
	fBarHeight(16),
	fBarColor(make_color(50, 150, 255))
{
	SetViewColor(216, 216, 216);
}


BStatusBar::~BStatusBar()
{
}


void
BStatusBar::AttachedToWindow()
{
	BView* parent = Parent();
	if (parent != NULL && parent->ViewColor() != B_TRANSPARENT_COLOR) {
		SetViewColor(parent->ViewColor());
		SetLowColor(parent->ViewColor());
	}
}


BRect
BStatusBar::_BarFrame() const
{
	font_height height;
	GetFontHeight(&height);
	float top = std::ceil(height.ascent + height.descent);
	BRect bounds = Bounds();
	return BRect(bounds.left, bounds.top + top, bounds.right, bounds.top + top + fBarHeight);
}


void
BStatusBar::Draw(BRect)
{
	font_height height;
	GetFontHeight(&height);
	BRect bounds = Bounds();
	float baseline = bounds.top + std::ceil(height.ascent);
	SetHighColor(0, 0, 0);
	SetDrawingMode(B_OP_OVER);
	std::string left = fLabel + fText;
	std::string right = fTrailingText + fTrailingLabel;
	if (!left.empty())
		DrawString(left.c_str(), BPoint(bounds.left, baseline));
	if (!right.empty())
		DrawString(right.c_str(), BPoint(bounds.right - StringWidth(right.c_str()), baseline));
	SetDrawingMode(B_OP_COPY);

	BRect bar = _BarFrame();
	SetHighColor(255, 255, 255);
	FillRect(bar);
	if (fMax > 0 && fCurrent > 0) {
		BRect filled = bar;
		filled.right = bar.left + std::round((bar.Width()) * std::min(fCurrent / fMax, 1.0f));
		SetHighColor(fBarColor);
		FillRect(filled);
	}
	SetHighColor(96, 96, 96);
	StrokeRect(bar);
}


void
BStatusBar::Reset(const char* label, const char* trailingLabel)
{
	fLabel = text_or_empty(label);
	fTrailingLabel = text_or_empty(trailingLabel);
	fText.clear();
	fTrailingText.clear();
	fCurrent = 0;
	fMax = 100;
	Invalidate();
}


void
BStatusBar::Update(float delta, const char* text, const char* trailingText)
{
	SetTo(fCurrent + delta, text, trailingText);
}


void
BStatusBar::SetTo(float value, const char* text, const char* trailingText)
{
	fCurrent = std::clamp(value, 0.0f, fMax);
	if (text != NULL)
		fText = text;
	if (trailingText != NULL)
		fTrailingText = trailingText;
	Invalidate();
}


void
BStatusBar::SetMaxValue(float max)
{
	fMax = std::max(max, 0.0f);
	fCurrent = std::min(fCurrent, fMax);
	Invalidate();
}


void
BStatusBar::SetBarHeight(float height)
{
	fBarHeight = std::max(height, 1.0f);
	Invalidate();
}


void
BStatusBar::SetText(const char* text)
{
	fText = text_or_empty(text);
	Invalidate();
}
