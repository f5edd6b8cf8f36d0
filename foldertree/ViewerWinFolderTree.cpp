// Filling the folder tree: one root item per writable volume, and under it
// the folders on the way to the current folder; a chosen folder gets its own
// subfolders.

#include "mainwindow/ViewerWin.h"

#include <cstring>
#include <vector>

#include <Directory.h>
#include <Entry.h>
#include <Path.h>
#include <Volume.h>
#include <VolumeRoster.h>

#include "foldertree/DirectoryView.h"
#include "foldertree/FileListItem.h"

void
BViewerWin::InitDirectoryView()
{
	// The tree does not own its items: they are collected and deleted here.
	if (Lock()) {
		int32 count = fDirectoryView->FullListCountItems();
		std::vector<BListItem*> items;
		for (int32 i = 0; i < count; i++)
			items.push_back(fDirectoryView->FullListItemAt(i));
		fDirectoryView->MakeEmpty();
		for (BListItem* item : items)
			delete item;
		Unlock();
	}

	BVolumeRoster roster;
	BVolume volume;
	while (roster.GetNextVolume(&volume) == B_OK) {
		if (volume.IsReadOnly())
			continue;
		char name[B_FILE_NAME_LENGTH];
		if (volume.GetName(name) != B_OK || name[0] == '\0')
			continue;
		BDirectory root;
		BEntry rootEntry;
		BPath rootPath;
		if (volume.GetRootDirectory(&root) != B_OK || root.GetEntry(&rootEntry) != B_OK
			|| rootEntry.GetPath(&rootPath) != B_OK)
			continue;
		BFileListItem* item = new BFileListItem(rootPath.Path(), name, 0, true);
		if (Lock()) {
			fDirectoryView->AddItem(item);
			Unlock();
		}
		ProcessDirectory(&root, item, false);
	}
}

void
BViewerWin::ProcessDirectory(BDirectory* directory, BFileListItem* parent, bool addAll)
{
	BEntry entry;
	directory->Rewind();
	while (directory->GetNextEntry(&entry, false) == B_OK) {
		if (entry.IsSymLink())
			continue;
		BDirectory subfolder;
		BPath path;
		if (subfolder.SetTo(&entry) != B_OK || entry.GetPath(&path) != B_OK)
			continue;
		const char* slash = strrchr(path.Path(), '/');
		BFileListItem* item = new BFileListItem(path.Path(),
			slash != NULL ? slash + 1 : path.Path(), 0, true);

		// On the way when the current folder's path begins with this one's,
		// compared as plain strings (so "pic" is on the way to "pics").
		size_t length = strlen(path.Path());
		bool onTheWay = fFolderPath != NULL && strncmp(fFolderPath, path.Path(), length) == 0;
		if ((onTheWay || addAll) && !ItemExistsUnder(parent, item)) {
			if (Lock()) {
				fDirectoryView->AddUnder(item, parent);
				Unlock();
			}
			if (onTheWay)
				ProcessDirectory(&subfolder, item, addAll);
		} else
			delete item;
	}
	fDirectoryView->SortItemsUnder(parent, true, SortDirectoryItems);
}

bool
BViewerWin::ItemExistsUnder(BFileListItem* parent, BFileListItem* item)
{
	const char* text = item->Text();
	int32 count = fDirectoryView->CountItemsUnder(parent, true);
	for (int32 i = 0; i < count; i++) {
		BStringItem* child = dynamic_cast<BStringItem*>(
			fDirectoryView->ItemUnderAt(parent, true, i));
		if (child != NULL && strcmp(child->Text(), text) == 0)
			return true;
	}
	return false;
}
