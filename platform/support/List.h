#ifndef _BE_LIST_H
#define _BE_LIST_H

#include <vector>

#include <SupportDefs.h>

// An ordered list of untyped pointers. The list never owns what its items
// point to.
class BList {
public:
	BList(int32 blockSize = 20);
	BList(const BList& other);
	virtual ~BList();

	BList& operator=(const BList& other);

	bool AddItem(void* item);
	bool AddItem(void* item, int32 index);
	bool AddList(const BList* list);
	bool RemoveItem(void* item);
	void* RemoveItem(int32 index);
	void MakeEmpty();

	// Sorts with a comparison that receives pointers to two list slots.
	void SortItems(int (*compare)(const void*, const void*));

	void* ItemAt(int32 index) const;
	void* FirstItem() const;
	void* LastItem() const;
	void* Items() const { return (void*)fItems.data(); }

	bool HasItem(void* item) const { return IndexOf(item) >= 0; }
	int32 IndexOf(void* item) const;
	int32 CountItems() const { return (int32)fItems.size(); }
	bool IsEmpty() const { return fItems.empty(); }


private:
	std::vector<void*> fItems;
	int32 fBlockSize;
};

#endif
