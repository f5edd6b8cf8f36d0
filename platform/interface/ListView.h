#ifndef _LIST_VIEW_H
#define _LIST_VIEW_H

#include <vector>

#include <Invoker.h>
#include <ListItem.h>
#include <View.h>


enum list_view_type {
	B_SINGLE_SELECTION_LIST,
	B_MULTIPLE_SELECTION_LIST
};

// A scrolling list of items, one under the other, with a selection.
//
// Items are not owned: the list never deletes them (MakeEmpty and the
// destructor only forget them), as on the platform. Each added item gets
// Update() with the list's font, which sets its height; item i's frame
// runs from the sum of the (rounded up) heights before it, across the
// view's width, and frames touch without a gap.
//
// Selecting (by Select, Deselect, DeselectAll, RemoveItem of a selected
// item, the mouse or the keyboard) calls SelectionChanged() and, when a
// selection message is set, sends a copy of it to the target through
// Invoke(). Invoke() adds "when" (int64), "source" (pointer to the list),
// "be:sender" (messenger) and "index": the selected index (-1 for none) in
// a single-selection list, every selected index in a multiple-selection
// list. The target is the window unless SetTarget chose another. A double
// click on a selected item and the Return key invoke with the invocation
// message. MakeEmpty clears the selection without notifying.
//
// Vertical and horizontal scroll bars targeting the list (as a BScrollView
// makes them) get ranges that follow the items and the view's size.
//
// Threads: call it with the window locked, like any view.
class BListView : public BView, public BInvoker {
public:
	BListView(BRect frame, const char* name, list_view_type type = B_SINGLE_SELECTION_LIST,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	virtual ~BListView();

	// Hooks.
	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	virtual void SelectionChanged();
	virtual status_t Invoke(BMessage* message = NULL);

	// Items. Adding an item that is NULL or already in the list, or at an
	// index past the end, fails.
	virtual bool AddItem(BListItem* item);
	virtual bool AddItem(BListItem* item, int32 index);
	// The BListItem pointers of list, in order.
	virtual bool RemoveItem(BListItem* item);
	virtual BListItem* RemoveItem(int32 index);
	virtual void MakeEmpty();

	int32 CountItems() const { return (int32)fList.size(); }
	bool IsEmpty() const { return fList.empty(); }
	BListItem* ItemAt(int32 index) const;
	bool HasItem(BListItem* item) const { return IndexOf(item) >= 0; }
	int32 IndexOf(BListItem* item) const;
	// The item whose frame holds point (view coordinates); -1 above, below
	// and between items.
	int32 IndexOf(BPoint point) const;
	// An invalid rectangle for an index out of range.
	BRect ItemFrame(int32 index) const;
	void InvalidateItem(int32 index);

	// Selection.
	// extend keeps the other selected items (multiple-selection lists only).
	// Disabled items and indices out of range are not selected.
	void Select(int32 index, bool extend = false);
	void Select(int32 from, int32 to, bool extend = false);
	void Deselect(int32 index);
	bool IsItemSelected(int32 index) const;
	// The index-th selected item's index, in list order; -1 past the last.
	int32 CurrentSelection(int32 index = 0) const;
	// Scrolls the first selected item into view.
	void ScrollToSelection();

	// The list owns both messages; the invocation message is the
	// BInvoker's.
	virtual void SetSelectionMessage(BMessage* message);

private:
	friend class BOutlineListView;

	// Drawing of one item; an outline list adds its latch and indentation.
	virtual void _DrawItem(BListItem* item, BRect frame);
	// The width an item needs, for the horizontal scroll bar.
	virtual float _ItemWidth(const BListItem* item) const;

	void _UpdateItem(BListItem* item);
	void _ItemsChanged();
	void _RecalcTops();
	void _FixupScrollBars();
	bool _Select(int32 from, int32 to, bool extend);
	bool _DeselectAll(int32 exceptFrom, int32 exceptTo);
	void _SelectionChanged();
	void _SelectByKey(int32 index, bool extend);
	int32 _PageStep(int32 from, bool down) const;

	std::vector<BListItem*> fList;
	// fTops[i] is item i's top; the last entry is the height of all items.
	std::vector<float> fTops;
	list_view_type fListType;
	BMessage* fSelectionMessage;
	int32 fAnchor;
};

#endif
