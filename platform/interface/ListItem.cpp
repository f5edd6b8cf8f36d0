#include "ListItem.h"

#include <cmath>

#include <Font.h>
#include <View.h>

BListItem::BListItem(uint32 outlineLevel, bool expanded) :
	fHeight(0),
	fWidth(0),
	fLevel(outlineLevel),
	fSelected(false),
	fEnabled(true),
	fExpanded(expanded),
	fHasSubitems(false),
	fVisible(true)
{
}


BListItem::~BListItem()
{
}


void
BListItem::Update(BView* owner, const BFont* font)
{
	if (owner != NULL)
		SetWidth(owner->Bounds().Width());
	if (font == NULL)
		return;
	font_height height;
	font->GetHeight(&height);
	SetHeight(std::ceil(height.ascent + height.descent + height.leading));
}
