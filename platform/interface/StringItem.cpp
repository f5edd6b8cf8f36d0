#include "StringItem.h"

#include <cmath>

#include <Font.h>
#include <View.h>

namespace {

const rgb_color kSelectedBackground = {184, 202, 230, 255};
const rgb_color kTextColor = {0, 0, 0, 255};
const rgb_color kDisabledTextColor = {144, 144, 144, 255};
// Space left of the text.
const float kTextInset = 4;

} // namespace


BStringItem::BStringItem(const char* text, uint32 outlineLevel, bool expanded) :
	BListItem(outlineLevel, expanded),
	fText(text != NULL ? text : ""),
	fBaselineOffset(0)
{
}


BStringItem::~BStringItem()
{
}


void
BStringItem::SetText(const char* text)
{
	fText = text != NULL ? text : "";
}


// Two pixels of air above and below the line of text.
void
BStringItem::Update(BView*, const BFont* font)
{
	if (font == NULL)
		return;
	font_height height;
	font->GetHeight(&height);
	fBaselineOffset = 2 + std::ceil(height.ascent + height.leading / 2);
	SetHeight(
		std::ceil(height.ascent) + std::ceil(height.descent) + std::ceil(height.leading) + 4);
	SetWidth(std::ceil(font->StringWidth(fText.c_str())) + 2 * kTextInset);
}


void
BStringItem::DrawItem(BView* owner, BRect frame, bool complete)
{
	if (owner == NULL)
		return;
	rgb_color high = owner->HighColor();
	rgb_color low = owner->LowColor();
	if (IsSelected() || complete) {
		owner->SetLowColor(IsSelected() ? kSelectedBackground : owner->ViewColor());
		owner->FillRect(frame, B_SOLID_LOW);
	}
	owner->SetHighColor(IsEnabled() ? kTextColor : kDisabledTextColor);
	owner->DrawString(fText.c_str(),
		BPoint(frame.left + kTextInset, frame.top + fBaselineOffset));
	owner->SetHighColor(high);
	owner->SetLowColor(low);
}
