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
