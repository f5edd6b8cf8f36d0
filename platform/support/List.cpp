#include <List.h>

#include <algorithm>
#include <cstdlib>

BList::BList(int32 blockSize) :
	fBlockSize(blockSize > 0 ? blockSize : 1)
{
	fItems.reserve(fBlockSize);
}

BList::BList(const BList& other) = default;

BList::~BList() = default;

BList& BList::operator=(const BList& other) = default;

bool
BList::AddItem(void* item)
{
	fItems.push_back(item);
	return true;
}

bool
BList::AddItem(void* item, int32 index)
{
	if (index < 0 || index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	return true;
}

bool
BList::AddList(const BList* list)
{
	if (list == NULL)
		return false;
	fItems.insert(fItems.end(), list->fItems.begin(), list->fItems.end());
	return true;
}

bool
BList::RemoveItem(void* item)
{
	int32 index = IndexOf(item);
	if (index < 0)
		return false;
	fItems.erase(fItems.begin() + index);
	return true;
}

void*
BList::RemoveItem(int32 index)
{
	if (index < 0 || index >= CountItems())
		return NULL;
	void* item = fItems[index];
	fItems.erase(fItems.begin() + index);
	return item;
}

bool
BList::RemoveItems(int32 index, int32 count)
{
	if (index < 0 || count < 0 || index > CountItems())
		return false;
	count = std::min(count, CountItems() - index);
	fItems.erase(fItems.begin() + index, fItems.begin() + index + count);
	return true;
}

bool
BList::ReplaceItem(int32 index, void* item)
{
	if (index < 0 || index >= CountItems())
		return false;
	fItems[index] = item;
	return true;
}

void
BList::MakeEmpty()
{
	fItems.clear();
}

void
BList::SortItems(int (*compare)(const void*, const void*))
{
	if (compare == NULL || fItems.size() < 2)
		return;
	qsort(fItems.data(), fItems.size(), sizeof(void*), compare);
}

bool
BList::SwapItems(int32 indexA, int32 indexB)
{
	if (indexA < 0 || indexB < 0 || indexA >= CountItems() || indexB >= CountItems())
		return false;
	std::swap(fItems[indexA], fItems[indexB]);
	return true;
}

bool
BList::MoveItem(int32 from, int32 to)
{
	if (from < 0 || to < 0 || from >= CountItems() || to >= CountItems())
		return false;
	void* item = fItems[from];
	fItems.erase(fItems.begin() + from);
	fItems.insert(fItems.begin() + to, item);
	return true;
}

void*
BList::ItemAt(int32 index) const
{
	if (index < 0 || index >= CountItems())
		return NULL;
	return fItems[index];
}

void*
BList::FirstItem() const
{
	return fItems.empty() ? NULL : fItems.front();
}

void*
BList::LastItem() const
{
	return fItems.empty() ? NULL : fItems.back();
}

int32
BList::IndexOf(void* item) const
{
	auto found = std::find(fItems.begin(), fItems.end(), item);
	return found == fItems.end() ? -1 : (int32)(found - fItems.begin());
}

void
BList::DoForEach(bool (*func)(void* item))
{
	if (func == NULL)
		return;
	for (void* item : std::vector<void*>(fItems)) {
		if (func(item))
			break;
	}
}

void
BList::DoForEach(bool (*func)(void* item, void* arg), void* arg)
{
	if (func == NULL)
		return;
	for (void* item : std::vector<void*>(fItems)) {
		if (func(item, arg))
			break;
	}
}
