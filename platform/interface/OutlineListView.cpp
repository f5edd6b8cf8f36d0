#include "OutlineListView.h"

#include <algorithm>
#include <cmath>


namespace {

// Each outline level is indented by this much; the latch sits in the
// indentation just left of its item.
const float kLevelIndent = 14;
const float kLatchSize = 9;
const rgb_color kLatchColor = {80, 80, 80, 255};

typedef int (*ItemCompare)(const BListItem*, const BListItem*);


// The end of the block that starts at begin: the item and those under it.
int32
block_end(const std::vector<BListItem*>& items, int32 begin, int32 end)
{
	uint32 level = items[begin]->OutlineLevel();
	int32 next = begin + 1;
	while (next < end && items[next]->OutlineLevel() > level)
		next++;
	return next;
}


// Sorts the items of level in items[begin, end), each with the items under
// it, and, when recursive, the levels below them too. Items deeper than
// level before the first item of level stay in front.
void
sort_level(std::vector<BListItem*>& items, int32 begin, int32 end, uint32 level,
	ItemCompare compare, bool recursive)
{
	int32 lead = begin;
	while (lead < end && items[lead]->OutlineLevel() != level)
		lead++;
	std::vector<std::pair<int32, int32>> blocks;
	for (int32 start = lead; start < end; start = blocks.back().second)
		blocks.emplace_back(start, block_end(items, start, end));
	std::stable_sort(blocks.begin(), blocks.end(),
		[&](const std::pair<int32, int32>& a, const std::pair<int32, int32>& b) {
			return compare(items[a.first], items[b.first]) < 0;
		});
	std::vector<BListItem*> sorted(items.begin() + begin, items.begin() + lead);
	for (const auto& block : blocks)
		sorted.insert(sorted.end(), items.begin() + block.first, items.begin() + block.second);
	std::copy(sorted.begin(), sorted.end(), items.begin() + begin);
	if (!recursive)
		return;
	for (int32 start = lead; start < end;) {
		int32 next = block_end(items, start, end);
		sort_level(items, start + 1, next, level + 1, compare, true);
		start = next;
	}
}

} // namespace


BOutlineListView::BOutlineListView(BRect frame, const char* name, list_view_type type,
	uint32 resizingMode, uint32 flags) :
	BListView(frame, name, type, resizingMode, flags)
{
}


BOutlineListView::~BOutlineListView()
{
}


// #pragma mark - hooks


void
BOutlineListView::MouseDown(BPoint where)
{
	if (_ToggleLatchAt(where))
		return;
	BListView::MouseDown(where);
}


void
BOutlineListView::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes != 1 || (bytes[0] != B_LEFT_ARROW && bytes[0] != B_RIGHT_ARROW)) {
		BListView::KeyDown(bytes, numBytes);
		return;
	}
	BListItem* item = ItemAt(CurrentSelection(0));
	if (item == NULL)
		return;
	if (bytes[0] == B_RIGHT_ARROW) {
		if (item->HasSubitems())
			Expand(item);
	} else if (item->HasSubitems() && item->IsExpanded())
		Collapse(item);
	else if (BListItem* superitem = Superitem(item)) {
		Select(IndexOf(superitem));
		ScrollToSelection();
	}
}


// #pragma mark - adding and removing


bool
BOutlineListView::AddUnder(BListItem* item, BListItem* superitem)
{
	if (superitem == NULL)
		return AddItem(item);
	int32 superIndex = FullListIndexOf(superitem);
	if (item == NULL || superIndex < 0 || FullListHasItem(item))
		return false;
	item->SetOutlineLevel(superitem->OutlineLevel() + 1);
	int32 end = block_end(fFullList, superIndex, FullListCountItems());
	fFullList.insert(fFullList.begin() + end, item);
	_UpdateItem(item);
	_TreeChanged();
	return true;
}


bool
BOutlineListView::AddItem(BListItem* item)
{
	return AddItem(item, FullListCountItems());
}


bool
BOutlineListView::AddItem(BListItem* item, int32 fullListIndex)
{
	if (item == NULL || fullListIndex < 0 || fullListIndex > FullListCountItems()
		|| FullListHasItem(item))
		return false;
	fFullList.insert(fFullList.begin() + fullListIndex, item);
	_UpdateItem(item);
	_TreeChanged();
	return true;
}


bool
BOutlineListView::RemoveItem(BListItem* item)
{
	return RemoveItem(FullListIndexOf(item)) != NULL;
}


BListItem*
BOutlineListView::RemoveItem(int32 fullListIndex)
{
	BListItem* item = FullListItemAt(fullListIndex);
	if (item == NULL)
		return NULL;
	int32 end = block_end(fFullList, fullListIndex, FullListCountItems());
	bool wasSelected = false;
	for (int32 i = fullListIndex; i < end; i++) {
		wasSelected |= fFullList[i]->IsSelected();
		fFullList[i]->Deselect();
		fFullList[i]->fVisible = true;
	}
	fFullList.erase(fFullList.begin() + fullListIndex, fFullList.begin() + end);
	_TreeChanged();
	if (wasSelected)
		_SelectionChanged();
	return item;
}


void
BOutlineListView::MakeEmpty()
{
	for (BListItem* item : fFullList) {
		item->Deselect();
		item->fVisible = true;
	}
	fFullList.clear();
	BListView::MakeEmpty();
}


// #pragma mark - the full list


BListItem*
BOutlineListView::FullListItemAt(int32 fullListIndex) const
{
	if (fullListIndex < 0 || fullListIndex >= FullListCountItems())
		return NULL;
	return fFullList[fullListIndex];
}


int32
BOutlineListView::FullListIndexOf(BListItem* item) const
{
	if (item == NULL)
		return -1;
	auto found = std::find(fFullList.begin(), fFullList.end(), item);
	return found == fFullList.end() ? -1 : (int32)(found - fFullList.begin());
}


int32
BOutlineListView::FullListIndexOf(BPoint point) const
{
	return FullListIndexOf(ItemAt(IndexOf(point)));
}


// #pragma mark - the tree


BListItem*
BOutlineListView::Superitem(const BListItem* item)
{
	int32 index = FullListIndexOf(const_cast<BListItem*>(item));
	if (index < 0)
		return NULL;
	for (int32 i = index - 1; i >= 0; i--) {
		if (fFullList[i]->OutlineLevel() < item->OutlineLevel())
			return fFullList[i];
	}
	return NULL;
}


void
BOutlineListView::Expand(BListItem* item)
{
	if (!FullListHasItem(item) || item->IsExpanded())
		return;
	item->SetExpanded(true);
	_TreeChanged();
}


void
BOutlineListView::Collapse(BListItem* item)
{
	if (!FullListHasItem(item) || !item->IsExpanded())
		return;
	item->SetExpanded(false);
	_TreeChanged();
}


bool
BOutlineListView::IsExpanded(int32 fullListIndex)
{
	BListItem* item = FullListItemAt(fullListIndex);
	return item != NULL && item->IsExpanded();
}


int32
BOutlineListView::CountItemsUnder(BListItem* superitem, bool oneLevelOnly) const
{
	int32 begin;
	int32 end;
	uint32 level;
	if (!_SubtreeRange(superitem, &begin, &end, &level))
		return 0;
	if (!oneLevelOnly)
		return end - begin;
	return (int32)std::count_if(fFullList.begin() + begin, fFullList.begin() + end,
		[level](const BListItem* item) { return item->OutlineLevel() == level; });
}


BListItem*
BOutlineListView::ItemUnderAt(BListItem* superitem, bool oneLevelOnly, int32 index) const
{
	int32 begin;
	int32 end;
	uint32 level;
	if (index < 0 || !_SubtreeRange(superitem, &begin, &end, &level))
		return NULL;
	for (int32 i = begin; i < end; i++) {
		if (oneLevelOnly && fFullList[i]->OutlineLevel() != level)
			continue;
		if (index-- == 0)
			return fFullList[i];
	}
	return NULL;
}


void
BOutlineListView::SortItemsUnder(BListItem* superitem, bool oneLevelOnly, ItemCompare compare)
{
	int32 begin;
	int32 end;
	uint32 level;
	if (compare == NULL || !_SubtreeRange(superitem, &begin, &end, &level))
		return;
	sort_level(fFullList, begin, end, level, compare, !oneLevelOnly);
	_TreeChanged();
}


// #pragma mark - private


// The full-list range of the items under superitem (the whole list for
// NULL) and the level of its direct subitems.
bool
BOutlineListView::_SubtreeRange(const BListItem* superitem, int32* _begin, int32* _end,
	uint32* _childLevel) const
{
	if (superitem == NULL) {
		*_begin = 0;
		*_end = FullListCountItems();
		*_childLevel = 0;
		return true;
	}
	int32 index = FullListIndexOf(const_cast<BListItem*>(superitem));
	if (index < 0)
		return false;
	*_begin = index + 1;
	*_end = block_end(fFullList, index, FullListCountItems());
	*_childLevel = superitem->OutlineLevel() + 1;
	return true;
}


// Shows the items whose superitems are all expanded. Items that become
// hidden lose their selection, which is then reported.
void
BOutlineListView::_TreeChanged()
{
	BListItem* anchor = ItemAt(fAnchor);
	std::vector<BListItem*> visible;
	visible.reserve(fFullList.size());
	bool deselected = false;
	bool hiding = false;
	uint32 hiddenBelow = 0;
	for (size_t i = 0; i < fFullList.size(); i++) {
		BListItem* item = fFullList[i];
		if (hiding && item->OutlineLevel() <= hiddenBelow)
			hiding = false;
		item->fHasSubitems = i + 1 < fFullList.size()
			&& fFullList[i + 1]->OutlineLevel() > item->OutlineLevel();
		item->fVisible = !hiding;
		if (hiding) {
			deselected |= item->IsSelected();
			item->Deselect();
			continue;
		}
		visible.push_back(item);
		if (!item->IsExpanded()) {
			hiding = true;
			hiddenBelow = item->OutlineLevel();
		}
	}
	fList.swap(visible);
	fAnchor = IndexOf(anchor);
	_ItemsChanged();
	if (deselected)
		_SelectionChanged();
}


BRect
BOutlineListView::_LatchFrame(BRect itemFrame, uint32 level) const
{
	float left = itemFrame.left + level * kLevelIndent + (kLevelIndent - kLatchSize) / 2;
	float top = itemFrame.top + std::floor((itemFrame.Height() - kLatchSize) / 2);
	return BRect(left, top, left + kLatchSize - 1, top + kLatchSize - 1);
}


// A click in the indentation column just left of an item with subitems
// expands or collapses it.
bool
BOutlineListView::_ToggleLatchAt(BPoint where)
{
	BListItem* item = ItemAt(IndexOf(where));
	if (item == NULL || !item->HasSubitems())
		return false;
	float left = Bounds().left + item->OutlineLevel() * kLevelIndent;
	if (where.x < left || where.x >= left + kLevelIndent)
		return false;
	if (item->IsExpanded())
		Collapse(item);
	else
		Expand(item);
	return true;
}


void
BOutlineListView::_DrawItem(BListItem* item, BRect frame)
{
	uint32 level = item->OutlineLevel();
	if (item->HasSubitems()) {
		BRect latch = _LatchFrame(frame, level);
		rgb_color high = HighColor();
		SetHighColor(kLatchColor);
		// A triangle pointing right when collapsed, down when expanded.
		for (int32 i = 0; i <= (int32)(kLatchSize / 2); i++) {
			if (item->IsExpanded()) {
				float y = latch.top + 2 + i;
				StrokeLine(BPoint(latch.left + i, y), BPoint(latch.right - i, y));
			} else {
				float x = latch.left + 2 + i;
				StrokeLine(BPoint(x, latch.top + i), BPoint(x, latch.bottom - i));
			}
		}
		SetHighColor(high);
	}
	frame.left += (level + 1) * kLevelIndent;
	item->DrawItem(this, frame, false);
}


float
BOutlineListView::_ItemWidth(const BListItem* item) const
{
	return item->Width() + (item->OutlineLevel() + 1) * kLevelIndent;
}
