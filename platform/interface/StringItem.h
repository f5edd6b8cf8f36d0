#ifndef _STRING_ITEM_H
#define _STRING_ITEM_H

#include <string>

#include <ListItem.h>

// A list item that shows one line of text. The text is copied.
class BStringItem : public BListItem {
public:
	BStringItem(const char* text, uint32 outlineLevel = 0, bool expanded = true);
	virtual ~BStringItem();

	virtual void DrawItem(BView* owner, BRect frame, bool complete = false);
	virtual void Update(BView* owner, const BFont* font);

	// The list does not notice a new text by itself: call its
	// InvalidateItem() (and the item's Update() when the width matters).
	virtual void SetText(const char* text);
	const char* Text() const { return fText.c_str(); }

private:
	std::string fText;
	float fBaselineOffset;
};

#endif
