#ifndef GLIM_FILE_LIST_ITEM_H
#define GLIM_FILE_LIST_ITEM_H

#include <ListItem.h>

// An item of the folder tree: shows a volume or folder name and owns the full
// path of the folder it stands for. Failures (a NULL argument, no memory)
// are thrown as a const char* message.
class BFileListItem : public BStringItem {
public:
	BFileListItem(const char* path, const char* text, uint32 outlineLevel = 0,
		bool expanded = true);
	virtual ~BFileListItem();

	// Hands out a new copy of the path; the caller deletes it with delete[].
	void GetPath(char** path) const;
	const char* Path() const { return fItemPath; }

private:
	char* fItemPath;
};

// Orders tree items by their text, byte for byte.
int SortDirectoryItems(const BListItem* a, const BListItem* b);

#endif
