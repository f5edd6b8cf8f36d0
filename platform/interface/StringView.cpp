#include "StringView.h"

#include <cmath>

BStringView::BStringView(BRect frame, const char* name, const char* text, uint32 resizingMode,
	uint32 flags) :
	BView(frame, name, resizingMode, flags),
	fText(text != NULL ? text : "")
{
}


BStringView::~BStringView()
{
}


void
BStringView::AttachedToWindow()
{
	BView* parent = Parent();
	if (parent != NULL) {
		SetViewColor(parent->ViewColor());
		SetLowColor(parent->ViewColor());
	}
}


void
BStringView::Draw(BRect)
{
	if (fText.empty())
		return;
	BRect bounds = Bounds();
	font_height height;
	GetFontHeight(&height);
	float x = bounds.left;
	float y = bounds.top
		+ std::floor(
			(bounds.Height() + 1 - (height.ascent + height.descent)) / 2 + height.ascent);
	SetDrawingMode(B_OP_OVER);
	DrawString(fText.c_str(), BPoint(x, y));
	SetDrawingMode(B_OP_COPY);
}


void
BStringView::GetPreferredSize(float* _width, float* _height)
{
	font_height height;
	GetFontHeight(&height);
	if (_width != NULL)
		*_width = std::ceil(StringWidth(fText.c_str()));
	if (_height != NULL)
		*_height = std::ceil(height.ascent + height.descent + height.leading);
}


void
BStringView::SetText(const char* text)
{
	std::string newText = text != NULL ? text : "";
	if (newText == fText)
		return;
	fText = newText;
	Invalidate();
}
