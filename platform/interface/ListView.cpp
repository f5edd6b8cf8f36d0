// BListView: the items, their layout, selection and notification. Input
// (mouse and keys) is in ListViewInput.cpp.
#include "ListView.h"

#include <algorithm>
#include <cmath>

#include <Message.h>
#include <ScrollBar.h>
#include <Window.h>

BListView::BListView(BRect frame, const char* name, list_view_type type, uint32 resizingMode,
	uint32 flags) :
	BView(frame, name, resizingMode, flags),
	fTops(1, 0.0f),
	fListType(type),
	fSelectionMessage(NULL),
	fAnchor(-1)
{
}


BListView::~BListView()
{
	delete fSelectionMessage;
}


// #pragma mark - hooks


void
BListView::AttachedToWindow()
{
	if (!Messenger().IsValid())
		SetTarget(Window());
	_FixupScrollBars();
}


void
BListView::Draw(BRect updateRect)
{
	int32 count = CountItems();
	auto first = std::upper_bound(fTops.begin(), fTops.begin() + count, updateRect.top);
	int32 index = std::max((int32)(first - fTops.begin()) - 1, (int32)0);
	for (; index < count && fTops[index] <= updateRect.bottom; index++) {
		BRect frame = ItemFrame(index);
		if (frame.IsValid() && frame.bottom >= updateRect.top)
			_DrawItem(fList[index], frame);
	}
}


void
BListView::FrameResized(float, float)
{
	_FixupScrollBars();
}


void
BListView::SetFont(const BFont* font, uint32 mask)
{
	BView::SetFont(font, mask);
	for (BListItem* item : fList)
		_UpdateItem(item);
	_ItemsChanged();
}


void
BListView::SelectionChanged()
{
}


status_t
BListView::Invoke(BMessage* message)
{
	if (message == NULL)
		message = Message();
	if (message == NULL)
		return B_BAD_VALUE;
	BMessage copy(*message);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	copy.AddMessenger("be:sender", BMessenger(this));
	if (fListType == B_SINGLE_SELECTION_LIST)
		copy.AddInt32("index", CurrentSelection(0));
	else {
		for (int32 i = 0; i < CountItems(); i++) {
			if (fList[i]->IsSelected())
				copy.AddInt32("index", i);
		}
	}
	return BInvoker::Invoke(&copy);
}


// #pragma mark - items


bool
BListView::AddItem(BListItem* item)
{
	return AddItem(item, CountItems());
}


bool
BListView::AddItem(BListItem* item, int32 index)
{
	if (item == NULL || index < 0 || index > CountItems() || HasItem(item))
		return false;
	fList.insert(fList.begin() + index, item);
	if (fAnchor >= index)
		fAnchor++;
	_UpdateItem(item);
	_ItemsChanged();
	return true;
}


bool
BListView::RemoveItem(BListItem* item)
{
	return BListView::RemoveItem(IndexOf(item)) != NULL;
}


BListItem*
BListView::RemoveItem(int32 index)
{
	BListItem* item = ItemAt(index);
	if (item == NULL)
		return NULL;
	bool wasSelected = item->IsSelected();
	item->Deselect();
	fList.erase(fList.begin() + index);
	if (fAnchor == index)
		fAnchor = -1;
	else if (fAnchor > index)
		fAnchor--;
	_ItemsChanged();
	if (wasSelected)
		_SelectionChanged();
	return item;
}


void
BListView::MakeEmpty()
{
	for (BListItem* item : fList)
		item->Deselect();
	fList.clear();
	fAnchor = -1;
	_ItemsChanged();
	ScrollTo(Bounds().left, 0);
}


BListItem*
BListView::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return NULL;
	return fList[index];
}


int32
BListView::IndexOf(BListItem* item) const
{
	if (item == NULL)
		return -1;
	auto found = std::find(fList.begin(), fList.end(), item);
	return found == fList.end() ? -1 : (int32)(found - fList.begin());
}


int32
BListView::IndexOf(BPoint point) const
{
	int32 count = CountItems();
	auto after = std::upper_bound(fTops.begin(), fTops.begin() + count, point.y);
	int32 index = (int32)(after - fTops.begin()) - 1;
	if (index < 0 || point.y > fTops[index + 1] - 1)
		return -1;
	return index;
}


BRect
BListView::ItemFrame(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return BRect();
	BRect bounds = Bounds();
	return BRect(bounds.left, fTops[index], bounds.right, fTops[index + 1] - 1);
}


void
BListView::InvalidateItem(int32 index)
{
	BRect frame = ItemFrame(index);
	if (frame.IsValid())
		Invalidate(frame);
}


// #pragma mark - selection


void
BListView::Select(int32 index, bool extend)
{
	Select(index, index, extend);
}


void
BListView::Select(int32 from, int32 to, bool extend)
{
	if (_Select(from, to, extend)) {
		fAnchor = from;
		_SelectionChanged();
	}
}


void
BListView::Deselect(int32 index)
{
	BListItem* item = ItemAt(index);
	if (item == NULL || !item->IsSelected())
		return;
	item->Deselect();
	InvalidateItem(index);
	_SelectionChanged();
}


bool
BListView::IsItemSelected(int32 index) const
{
	BListItem* item = ItemAt(index);
	return item != NULL && item->IsSelected();
}


int32
BListView::CurrentSelection(int32 index) const
{
	if (index < 0)
		return -1;
	for (int32 i = 0; i < CountItems(); i++) {
		if (fList[i]->IsSelected() && index-- == 0)
			return i;
	}
	return -1;
}


void
BListView::ScrollToSelection()
{
	BRect frame = ItemFrame(CurrentSelection(0));
	if (!frame.IsValid())
		return;
	BRect bounds = Bounds();
	if (frame.top < bounds.top)
		ScrollTo(bounds.left, frame.top);
	else if (frame.bottom > bounds.bottom)
		ScrollTo(bounds.left, std::max(0.0f, frame.bottom - bounds.Height()));
}


void
BListView::SetSelectionMessage(BMessage* message)
{
	if (message == fSelectionMessage)
		return;
	delete fSelectionMessage;
	fSelectionMessage = message;
}


// #pragma mark - private


void
BListView::_DrawItem(BListItem* item, BRect frame)
{
	item->DrawItem(this, frame, false);
}


float
BListView::_ItemWidth(const BListItem* item) const
{
	return item->Width();
}


void
BListView::_UpdateItem(BListItem* item)
{
	BFont font;
	GetFont(&font);
	item->Update(this, &font);
}


void
BListView::_ItemsChanged()
{
	_RecalcTops();
	_FixupScrollBars();
	Invalidate();
}


void
BListView::_RecalcTops()
{
	fTops.resize(fList.size() + 1);
	float top = 0;
	for (size_t i = 0; i < fList.size(); i++) {
		fTops[i] = top;
		top += std::ceil(std::max(fList[i]->Height(), 0.0f));
	}
	fTops[fList.size()] = top;
}


// The bars scroll over everything the items cover; a large step is a page
// less one line, so a line stays in view.
void
BListView::_FixupScrollBars()
{
	BRect bounds = Bounds();
	if (BScrollBar* vertical = ScrollBar(B_VERTICAL)) {
		float dataHeight = fTops.back();
		float visible = bounds.Height() + 1;
		float line = fList.empty() ? 20 : std::max(1.0f, std::ceil(fList[0]->Height()));
		vertical->SetRange(0, std::max(0.0f, dataHeight - visible));
		vertical->SetProportion(dataHeight > 0 ? std::min(1.0f, visible / dataHeight) : 1);
		vertical->SetSteps(line, std::max(line, visible - line));
	}
	if (BScrollBar* horizontal = ScrollBar(B_HORIZONTAL)) {
		float dataWidth = 0;
		for (const BListItem* item : fList)
			dataWidth = std::max(dataWidth, _ItemWidth(item));
		float visible = bounds.Width() + 1;
		horizontal->SetRange(0, std::max(0.0f, dataWidth - visible));
		horizontal->SetProportion(dataWidth > 0 ? std::min(1.0f, visible / dataWidth) : 1);
		horizontal->SetSteps(10, std::max(10.0f, visible / 2));
	}
}


// Selects from..to (only from in a single-selection list); without extend
// everything else is deselected. Returns whether anything changed.
bool
BListView::_Select(int32 from, int32 to, bool extend)
{
	if (from < 0 || to >= CountItems() || from > to)
		return false;
	if (fListType == B_SINGLE_SELECTION_LIST) {
		to = from;
		extend = false;
		if (!fList[from]->IsEnabled())
			return false;
	}
	bool changed = !extend && _DeselectAll(from, to);
	for (int32 i = from; i <= to; i++) {
		if (fList[i]->IsSelected() || !fList[i]->IsEnabled())
			continue;
		fList[i]->Select();
		InvalidateItem(i);
		changed = true;
	}
	return changed;
}


bool
BListView::_DeselectAll(int32 exceptFrom, int32 exceptTo)
{
	bool changed = false;
	for (int32 i = 0; i < CountItems(); i++) {
		if (!fList[i]->IsSelected() || (i >= exceptFrom && i <= exceptTo))
			continue;
		fList[i]->Deselect();
		InvalidateItem(i);
		changed = true;
	}
	return changed;
}


void
BListView::_SelectionChanged()
{
	SelectionChanged();
	if (fSelectionMessage != NULL)
		Invoke(fSelectionMessage);
}
