// Reading the current folder into the image list, stepping through it, the
// two layouts, and watching the folder for changes.

#include "mainwindow/ViewerWin.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <Application.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <List.h>
#include <NodeMonitor.h>
#include <Path.h>
#include <SafeFile.h>
#include <ScrollView.h>
#include <StopWatch.h>

#include "foldertree/FileListItem.h"
#include "widgets/GlimStatusView.h"
#include "imageview/ImageView.h"
#include "settings/ImageServices.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"
#include "thumbnails/ThumbnailContainerView.h"
#include "thumbnails/ThumbnailStore.h"

// Comparison for BList::SortItems: each argument points at a list slot.
int
SortListItems(const void* a, const void* b)
{
	return strcmp(*(const char* const*)a, *(const char* const*)b);
}

int32
BViewerWin::CountImages() const
{
	return fImageList->CountItems();
}

void
BViewerWin::OpenFolder(const char* folderPath, const char* imagePath, BFileListItem* treeItem)
{
	BStopWatch* watch = new BStopWatch("OF:Init");
	_StopWorker();
	fStatusView->CompleteProgress();
	if (acquire_sem(fListLock) != B_OK) {
		delete watch;
		return;
	}

	// The image to look for in the new list: the one asked for, else the one
	// on show now.
	std::string lookFor;
	bool hasName = false;
	if (imagePath != NULL) {
		lookFor = imagePath;
		hasName = true;
	} else if (fCurrentIndex >= 0 && fCurrentIndex < CountImages()) {
		lookFor = (const char*)fImageList->ItemAt(fCurrentIndex);
		hasName = true;
	}

	if (folderPath != NULL) {
		char* newPath = strdup(folderPath);
		MonitorFolder(fFolderPath, B_STOP_WATCHING);
		free(fFolderPath);
		fFolderPath = newPath;
		delete fFolder;
		fFolder = new BDirectory(fFolderPath);
	}
	delete watch;

	watch = new BStopWatch("OF:Read");
	_ReadFolder();
	delete watch;

	watch = new BStopWatch("OF:Sort");
	fImageList->SortItems(SortListItems);
	_ChooseCurrent(hasName ? lookFor.c_str() : NULL);
	release_sem(fListLock);
	delete watch;

	if (folderPath != NULL)
		SwitchToThumbnail(imagePath == NULL);

	watch = new BStopWatch("OF:Update");
	fThumbnailView->FolderChanged();
	fThumbnailView->Update();
	if (fThumbnailMode && fFolderPath != NULL)
		SetTitle(fFolderPath);
	if (folderPath != NULL)
		MonitorFolder(fFolderPath, B_WATCH_DIRECTORY);
	delete watch;

	watch = new BStopWatch("OF:ShowImage");
	if (folderPath != NULL)
		MoveToImage(fCurrentIndex);
	delete watch;

	if (folderPath != NULL) {
		if (treeItem != NULL) {
			char* itemPath = NULL;
			treeItem->GetPath(&itemPath);
			BDirectory directory(itemPath);
			if (directory.InitCheck() == B_OK)
				ProcessDirectory(&directory, treeItem, true);
			delete[] itemPath;
		} else
			InitDirectoryView();
		if (fPrefs != NULL)
			fPrefs->SetString(glim::kKeyLastFolder, folderPath, false);
	}

	_StartWorker();
}

// Rebuilds the image list from the current folder: every entry that a
// translator recognises as an image, as a full path.
void
BViewerWin::_ReadFolder()
{
	for (int32 i = 0; i < fImageList->CountItems(); i++)
		free(fImageList->ItemAt(i));
	fImageList->MakeEmpty();
	fImageCount = 0;
	fEntryCount = 0;
	if (fFolder != NULL && fFolder->InitCheck() == B_OK)
		fEntryCount = std::max(fFolder->CountEntries(), (int32)0);
	fStatusView->SetFileCount(0, fEntryCount);
	fStatusView->SetMaxValue(fEntryCount);

	fCurrentIndex = 0;
	// A save or move that a crash cut short leaves a hidden temporary file;
	// one older than a minute is no longer being written.
	if (fFolderPath != NULL)
		remove_stale_temporaries(fFolderPath);
	if (fFolder != NULL && fFolder->InitCheck() == B_OK)
		_ReadEntries();
	fStatusView->CompleteProgress();
	fStatusView->SetFileCount(fImageCount, fEntryCount);
}

// Lists every entry of fFolder that a translator recognises. One entry,
// one path buffer and one file serve the whole folder, each file opened
// beside the folder by its name: a large folder costs little more than the
// reads of the first bytes that tell its images apart.
void
BViewerWin::_ReadEntries()
{
	BEntry folderEntry;
	BPath folderPath;
	if (fFolder->GetEntry(&folderEntry) != B_OK || folderEntry.GetPath(&folderPath) != B_OK)
		return;
	std::string path = folderPath.Path();
	if (path.empty() || path.back() != '/')
		path += '/';
	size_t prefix = path.size();

	fFolder->Rewind();
	BEntry entry;
	BFile file;
	char name[B_FILE_NAME_LENGTH];
	while (fFolder->GetNextEntry(&entry, false) == B_OK) {
		if (entry.GetName(name) == B_OK) {
			path.replace(prefix, std::string::npos, name);
			if (!glim::is_side_file(path.c_str()) && !is_safe_file_temporary(name)
				&& file.SetTo(fFolder, name, B_READ_ONLY) == B_OK && glim::is_image(file)) {
				char* copy = strdup(path.c_str());
				if (copy != NULL && fImageList->AddItem(copy))
					fImageCount++;
				else
					free(copy);
			}
		}
		fStatusView->UpdateProgressBar(1.0);
	}
}

void
BViewerWin::_ChooseCurrent(const char* name)
{
	if (name == NULL) {
		fCurrentIndex = 0;
		return;
	}
	fCurrentIndex = -1;
	for (int32 i = CountImages() - 1; i >= 0; i--) {
		if (strcmp((const char*)fImageList->ItemAt(i), name) == 0) {
			fCurrentIndex = i;
			break;
		}
	}
}

bool
BViewerWin::GetNextFile(int32 index, char** path)
{
	if (path == NULL || acquire_sem(fListLock) != B_OK)
		return false;
	bool found = index >= 0 && index < fImageList->CountItems();
	if (found)
		*path = (char*)fImageList->ItemAt(index);
	release_sem(fListLock);
	return found;
}

bool
BViewerWin::MoveToImage(int32 index)
{
	char* path = NULL;
	if (!GetNextFile(index, &path))
		return false;
	fCurrentIndex = index;
	if (!Lock())
		return false;
	if (!fThumbnailMode)
		SetTitle(path);
	fImageView->SetImage(path);
	Unlock();
	return true;
}

// Every window watches through the application, so each ends exactly the
// one watch it started: a second stop would end another window's.
void
BViewerWin::MonitorFolder(const char* path, uint32 flags)
{
	if (fWatchingFolder) {
		watch_node(&fWatchedFolder, B_STOP_WATCHING, be_app_messenger);
		fWatchingFolder = false;
	}
	if (path == NULL || flags == B_STOP_WATCHING)
		return;
	BDirectory directory(path);
	node_ref nodeRef;
	if (directory.InitCheck() == B_OK && directory.GetNodeRef(&nodeRef) == B_OK
		&& watch_node(&nodeRef, flags, be_app_messenger) == B_OK) {
		fWatchedFolder = nodeRef;
		fWatchingFolder = true;
	}
}

void
BViewerWin::SwitchToThumbnail(bool thumbnails)
{
	if (fThumbnailMode == thumbnails)
		return;
	fThumbnailMode = thumbnails;
	if (thumbnails) {
		fImageScroll->Hide();
		fThumbnailScroll->Show();
		fStatusView->Show();
		fDirectoryScroll->MakeFocus(true);
		fDirectoryScroll->Show();
		if (fFolderPath != NULL)
			SetTitle(fFolderPath);
	} else {
		fThumbnailScroll->Hide();
		fDirectoryScroll->Hide();
		fStatusView->Hide();
		fImageScroll->Show();
		fImageView->MakeFocus(true);
		char* path = NULL;
		if (GetNextFile(fCurrentIndex, &path))
			SetTitle(path);
	}
}
