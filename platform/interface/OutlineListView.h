#ifndef _OUTLINE_LIST_VIEW_H
#define _OUTLINE_LIST_VIEW_H

#include <ListView.h>

// A list view that shows a tree. The full list holds every item in tree
// order: each item is followed by the items under it, which have a deeper
// outline level. An item is shown when all its superitems are expanded;
// BListView's calls (ItemAt, IndexOf, CountItems, Select, CurrentSelection,
// the "index" of the selection message) count shown items only, the
// FullList calls count every item. Items with subitems get a latch that a
// click expands or collapses; each level is indented further.
//
// Removing an item removes the items under it too. As in BListView nothing
// is deleted: the caller owns every item it added. Collapsing deselects the
// items it hides (with the usual notification). A NULL superitem in the
// Under calls stands for the top of the tree.
class BOutlineListView : public BListView {
public:
	BOutlineListView(BRect frame, const char* name,
		list_view_type type = B_SINGLE_SELECTION_LIST,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	virtual ~BOutlineListView();

	// Hooks. Left collapses the selected item (or selects its superitem),
	// right expands it.
	virtual void MouseDown(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);

	// Adds item as the last item under superitem, one level deeper.
	virtual bool AddUnder(BListItem* item, BListItem* superitem);
	// Adds item at the end of the full list (or at a full-list index) with
	// the outline level it has.
	virtual bool AddItem(BListItem* item);
	virtual bool AddItem(BListItem* item, int32 fullListIndex);
	virtual bool RemoveItem(BListItem* item);
	virtual BListItem* RemoveItem(int32 fullListIndex);
	virtual void MakeEmpty();

	int32 FullListCountItems() const { return (int32)fFullList.size(); }
	BListItem* FullListItemAt(int32 fullListIndex) const;
	int32 FullListIndexOf(BListItem* item) const;
	int32 FullListIndexOf(BPoint point) const;
	bool FullListHasItem(BListItem* item) const { return FullListIndexOf(item) >= 0; }

	// The item that item lies under; NULL at the top level.
	BListItem* Superitem(const BListItem* item);
	void Expand(BListItem* item);
	void Collapse(BListItem* item);
	bool IsExpanded(int32 fullListIndex);

	// Items under superitem: only its direct subitems with oneLevelOnly,
	// else all its descendants, in tree order.
	int32 CountItemsUnder(BListItem* superitem, bool oneLevelOnly) const;
	BListItem* ItemUnderAt(BListItem* superitem, bool oneLevelOnly, int32 index) const;
	// Sorts the subitems of superitem by compare (ascending, stable); each
	// keeps its own subitems with it. With oneLevelOnly the order below them
	// is left alone, else every level under superitem is sorted.
	void SortItemsUnder(BListItem* superitem, bool oneLevelOnly,
		int (*compare)(const BListItem*, const BListItem*));

private:
	virtual void _DrawItem(BListItem* item, BRect frame);
	virtual float _ItemWidth(const BListItem* item) const;

	bool _SubtreeRange(const BListItem* superitem, int32* _begin, int32* _end,
		uint32* _childLevel) const;
	void _TreeChanged();
	BRect _LatchFrame(BRect itemFrame, uint32 level) const;
	bool _ToggleLatchAt(BPoint where);

	std::vector<BListItem*> fFullList;
};

#endif
