// The main window's command dispatch: every command that reaches a main
// window passes through MessageReceived.

#include "mainwindow/ViewerWin.h"

#include <cstring>
#include <string>

#include <Message.h>
#include <Application.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Roster.h>

#include "app/Commands.h"
#include "foldertree/DirectoryView.h"
#include "app/ErrorAlert.h"
#include "foldertree/FileListItem.h"
#include "imageview/ImageView.h"
#include "mainwindow/HelpPage.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"
#include "thumbnails/ThumbnailContainerView.h"

void
BViewerWin::MessageReceived(BMessage* message)
{
	int32 index = -1;
	switch (message->what) {
		case MSG_OPEN_FOLDER:
			OpenFolder(message->GetString("Folder", NULL), message->GetString("Image", NULL),
				NULL);
			break;
		case MSG_FOLDER_SELECTED:
			_FolderSelected(message);
			break;
		case B_NODE_MONITOR:
			OpenFolder(NULL, NULL, NULL);
			break;
		case MSG_FIRST_IMAGE:
			_StepTo(0, -1);
			break;
		case MSG_PREV_IMAGE:
			_StepTo(fCurrentIndex - 1, CountImages() - 1);
			break;
		case MSG_NEXT_IMAGE:
			_StepTo(fCurrentIndex + 1, 0);
			break;
		case MSG_LAST_IMAGE:
			_StepTo(CountImages() - 1, -1);
			break;
		case MSG_THUMBNAIL_OPEN:
			if (message->FindInt32("index", &index) == B_OK && index >= 0)
				_StepTo(index, -1);
			break;
		case MSG_THUMBNAIL_MENU:
			if (message->FindInt32("index", &index) == B_OK && index >= 0)
				DisplayThumbnailMenu(index);
			break;
		case MSG_TOGGLE_VIEW:
			SwitchToThumbnail(!fThumbnailMode);
			break;
		case MSG_ZOOM_IN:
			_ZoomBy(true);
			break;
		case MSG_ZOOM_OUT:
			_ZoomBy(false);
			break;
		case MSG_CLEAR_SELECTION:
			fImageView->ClearSelection();
			break;
		case MSG_MOUSE_MENU:
			ShowMouseMenu();
			break;
		case MSG_ZOOM_MENU:
			ShowZoomMenu();
			break;
		case MSG_TOGGLE_SLIDESHOW:
			_ToggleSlideShow();
			break;
		case MSG_REFRESH_THUMBNAILS:
			RefreshThumbnails(true);
			break;
		case MSG_PREFS_CHANGED:
			fImageView->PrefsUpdate();
			fImageView->MouseActionUpdate();
			fThumbnailView->PrefsUpdate();
			RefreshThumbnails(false);
			break;
		case MSG_SAVE_AS:
			SaveAs(false);
			break;
		case MSG_SAVE_SELECTION:
			SaveAs(true);
			break;
		case MSG_SAVE_TYPE:
			message->FindInt32("glim:filetype", (int32*)&fSaveType);
			break;
		case B_SAVE_REQUESTED:
			_SaveRequested(message);
			break;
		case MSG_HELP:
			_OpenHelp();
			break;
		case MSG_CLOSE_WINDOW:
			PostMessage(B_QUIT_REQUESTED);
			break;
		default:
			BWindow::MessageReceived(message);
			break;
	}
}

void
BViewerWin::_FolderSelected(BMessage* message)
{
	int32 index;
	if (message->FindInt32("index", &index) != B_OK)
		return;
	BFileListItem* item = dynamic_cast<BFileListItem*>(fDirectoryView->ItemAt(index));
	if (item == NULL)
		return;
	char* path = NULL;
	item->GetPath(&path);
	if (path == NULL)
		return;
	OpenFolder(path, NULL, item);
	delete[] path;
}

// Shows the image at index, or at fallback when that fails (the wrap of next
// and previous); a shown image always ends in the image layout.
void
BViewerWin::_StepTo(int32 index, int32 fallback)
{
	bool moved = MoveToImage(index);
	if (!moved && fallback >= 0)
		moved = MoveToImage(fallback);
	if (moved)
		SwitchToThumbnail(false);
}

void
BViewerWin::_ZoomBy(bool in)
{
	float zoom = 1.0f;
	fImageView->GetZoom(zoom);
	double next;
	if (in)
		next = zoom >= 1.0f ? (double)zoom + 0.5 : (double)zoom + 0.05;
	else
		next = zoom > 1.0f ? (double)zoom - 0.5 : (double)zoom - 0.05;
	fImageView->SetZoom((float)next);
}

void
BViewerWin::_ToggleSlideShow()
{
	if (fSlideShow) {
		SetPulseRate(0);
		fSlideShow = false;
		return;
	}
	fSlideShow = true;
	int32 seconds = glim::kDefaultSlideShowTimer;
	if (fPrefs != NULL)
		fPrefs->GetInteger(glim::kKeySlideShowTimer, seconds);
	SetPulseRate((bigtime_t)seconds * 1000000);
}

void
BViewerWin::_OpenHelp()
{
	app_info info;
	entry_ref ref;
	status_t status = be_app->GetAppInfo(&info);
	if (status == B_OK)
		status = find_help_page(&info.ref, &ref);
	if (status == B_OK)
		status = be_roster->Launch(&ref);
	if (status != B_OK)
		show_error("Can't find help file");
}

void
BViewerWin::_SaveRequested(BMessage* message)
{
	entry_ref folderRef;
	if (message->FindRef("directory", &folderRef) != B_OK)
		return;
	const char* name = NULL;
	message->FindString("name", &name);
	BDirectory folder(&folderRef);
	if (folder.InitCheck() != B_OK)
		return;
	// The file is written under a new name and put in place only once the
	// conversion succeeded, so a failed save never destroys a file.
	SaveTo(&folder, name);
}
