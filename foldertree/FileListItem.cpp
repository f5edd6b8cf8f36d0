#include "foldertree/FileListItem.h"

#include <cstring>
#include <new>

namespace {

char*
copy_path(const char* path)
{
	if (path == NULL)
		throw "Invalid pointer";
	char* copy = new (std::nothrow) char[strlen(path) + 1];
	if (copy == NULL)
		throw "Out of memory";
	strcpy(copy, path);
	return copy;
}

} // namespace

BFileListItem::BFileListItem(const char* path, const char* text, uint32 outlineLevel,
	bool expanded) :
	BStringItem(text, outlineLevel, expanded),
	fItemPath(copy_path(path))
{
}

BFileListItem::~BFileListItem()
{
	delete[] fItemPath;
}

void
BFileListItem::GetPath(char** path) const
{
	if (path == NULL)
		throw "Invalid pointer";
	*path = NULL;
	*path = copy_path(fItemPath);
}

int
SortDirectoryItems(const BListItem* a, const BListItem* b)
{
	const BStringItem* first = dynamic_cast<const BStringItem*>(a);
	const BStringItem* second = dynamic_cast<const BStringItem*>(b);
	const char* firstText = first != NULL && first->Text() != NULL ? first->Text() : "";
	const char* secondText = second != NULL && second->Text() != NULL ? second->Text() : "";
	return strcmp(firstText, secondText);
}
