#include "Box.h"

#include <cmath>

#include "ControlDrawing.h"

namespace {

const rgb_color kShadowColor = {152, 152, 152, 255};
const rgb_color kLightColor = {255, 255, 255, 255};
const rgb_color kPlainColor = {120, 120, 120, 255};

} // namespace


BBox::BBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags,
	border_style border) :
	BView(frame, name, resizingMode, flags),
	fHasLabel(false),
	fBorder(border)
{
	SetViewColor(216, 216, 216);
	SetLowColor(216, 216, 216);
}


BBox::~BBox()
{
}


void
BBox::AttachedToWindow()
{
	BView* parent = Parent();
	if (parent != NULL && parent->ViewColor() != B_TRANSPARENT_COLOR) {
		SetViewColor(parent->ViewColor());
		SetLowColor(parent->ViewColor());
	}
}


// The border runs through the middle of the label's line.
float
BBox::_TopInset() const
{
	if (!fHasLabel)
		return 0;
	font_height height;
	GetFontHeight(&height);
	return std::floor((height.ascent + height.descent) / 2);
}


void
BBox::Draw(BRect)
{
	BRect frame = Bounds();
	frame.top += _TopInset();
	if (fBorder == B_FANCY_BORDER) {
		// An etched line: a shadow with a light line inside it.
		SetHighColor(kLightColor);
		StrokeRect(BRect(frame.left + 1, frame.top + 1, frame.right, frame.bottom));
		SetHighColor(kShadowColor);
		StrokeRect(BRect(frame.left, frame.top, frame.right - 1, frame.bottom - 1));
	} else if (fBorder == B_PLAIN_BORDER) {
		SetHighColor(kPlainColor);
		StrokeRect(frame);
	}
	if (!fHasLabel)
		return;
	BRect bounds = Bounds();
	float width = StringWidth(fLabel.c_str());
	font_height height;
	GetFontHeight(&height);
	SetHighColor(ViewColor());
	FillRect(BRect(bounds.left + 6, bounds.top, bounds.left + 10 + width,
		bounds.top + std::ceil(height.ascent + height.descent)));
	BPrivate::draw_text(this, fLabel.c_str(),
		BPoint(bounds.left + 8, bounds.top + std::ceil(height.ascent)), true);
}


void
BBox::SetLabel(const char* label)
{
	fHasLabel = label != NULL;
	fLabel = label != NULL ? label : "";
	Invalidate();
}


const char*
BBox::Label() const
{
	return fHasLabel ? fLabel.c_str() : NULL;
}
