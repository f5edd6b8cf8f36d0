#ifndef _LIST_ITEM_H
#define _LIST_ITEM_H

#include <Rect.h>

class BFont;
class BOutlineListView;
class BView;

// One row of a BListView or BOutlineListView. The item keeps its own state
// (selected, enabled, outline level, expanded) and its size; the list view
// lays items out one under the other and asks each to draw itself.
//
// Ownership: a list never deletes its items, not even in its destructor or
// in MakeEmpty(); whoever added them deletes them once they are removed.
class BListItem {
public:
	BListItem(uint32 outlineLevel = 0, bool expanded = true);
	virtual ~BListItem();

	// Draws the item into owner inside frame. With complete false the list
	// has already cleared the background to its view colour.
	virtual void DrawItem(BView* owner, BRect frame, bool complete = false) = 0;
	// Called by the list when the item is added and when the list's font
	// changes: the item takes its width and height from the font.
	virtual void Update(BView* owner, const BFont* font);

	float Height() const { return fHeight; }
	float Width() const { return fWidth; }
	void SetHeight(float height) { fHeight = height; }
	void SetWidth(float width) { fWidth = width; }

	// Only the flags: the list's Select() and Deselect() also redraw and
	// notify.
	bool IsSelected() const { return fSelected; }
	void Select() { fSelected = true; }
	void Deselect() { fSelected = false; }
	virtual void SetEnabled(bool enabled) { fEnabled = enabled; }
	bool IsEnabled() const { return fEnabled; }

	// Outline state. A BOutlineListView sets the level of the items it adds
	// under others; SetExpanded alone does not change what a list shows (use
	// BOutlineListView::Expand and Collapse).
	uint32 OutlineLevel() const { return fLevel; }
	void SetOutlineLevel(uint32 level) { fLevel = level; }
	bool IsExpanded() const { return fExpanded; }
	void SetExpanded(bool expanded) { fExpanded = expanded; }
	// Whether the item has items under it in the outline list it is in.
	bool HasSubitems() const { return fHasSubitems; }
	// False while an ancestor in an outline list is collapsed.
	bool IsItemVisible() const { return fVisible; }

private:
	friend class BOutlineListView;

	float fHeight;
	float fWidth;
	uint32 fLevel;
	bool fSelected;
	bool fEnabled;
	bool fExpanded;
	bool fHasSubitems;
	bool fVisible;
};

// The platform declares BStringItem beside BListItem.
#include <StringItem.h>

#endif
