#include "app/ViewerApp.h"

#include <cstring>
#include <string>

#include <Alert.h>
#include <FilePanel.h>
#include <Messenger.h>
#include <NodeMonitor.h>
#include <Window.h>
#include <Directory.h>
#include <Entry.h>
#include <Message.h>
#include <Node.h>
#include <Path.h>
#include <Volume.h>

#include "app/Commands.h"
#include "widgets/AboutWindow.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"
#include "widgets/PrefsWin.h"
#include "mainwindow/ViewerWin.h"
#include "thumbnails/ThumbnailStore.h"

namespace {

const float kCascadeStep = 80;
const BRect kAboutFrame(200, 200, 360, 400);
const bigtime_t kFolderChangeDelay = 1000000;

} // namespace

BViewerApp*
viewer_app()
{
	return dynamic_cast<BViewerApp*>(be_app);
}

BViewerApp::BViewerApp(const char* signature) :
	BApplication(signature),
	fPrefs(NULL),
	fOpenPanel(NULL),
	fPrefsWin(NULL),
	fNextFrame(glim::kDefaultMainRect)
{
	BMessage notice(MSG_PREFS_CHANGED);
	fPrefs = new BPrefsHandler("Glim", &notice);
	set_viewer_prefs(fPrefs);
	BMessage failure(MSG_PREFS_NOT_STORED);
	fPrefs->SetFailureNotice(&failure, this);

	// Read back and store at once, so that the settings file exists after the
	// first start and always holds the slide-show interval.
	int32 slideShowTimer = glim::kDefaultSlideShowTimer;
	fPrefs->GetInteger(glim::kKeySlideShowTimer, slideShowTimer);
	fPrefs->SetInteger(glim::kKeySlideShowTimer, slideShowTimer, true);
	fPrefs->GetRect(glim::kKeyMainRect, &fNextFrame);

	fOpenPanel = new BFilePanel(B_OPEN_PANEL, NULL, NULL, B_FILE_NODE | B_DIRECTORY_NODE, true,
		NULL, NULL, false, true);

	// The pulse carries only the folder-change signal, so it is idle until a
	// folder changes.
	SetPulseRate(0);
}

BViewerApp::~BViewerApp()
{
	if (viewer_prefs() == fPrefs)
		set_viewer_prefs(NULL);
	delete fPrefs;
	delete fOpenPanel;
}

void
BViewerApp::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case MSG_SHOW_PREFS:
			ShowPrefs();
			break;
		case MSG_OPEN_PANEL:
			_ShowOpenPanel();
			break;
		case B_NODE_MONITOR:
			_FolderChanged(message);
			break;
		case MSG_PREFS_NOT_STORED:
			_SettingsNotStored(message);
			break;
		default:
			BApplication::MessageReceived(message);
			break;
	}
}

void
BViewerApp::_ShowOpenPanel()
{
	if (fOpenPanel == NULL) {
		fOpenPanel = new BFilePanel(B_OPEN_PANEL, NULL, NULL, B_FILE_NODE | B_DIRECTORY_NODE,
			true, NULL, NULL, false, true);
	}
	fOpenPanel->Show();
}

// The settings store reports its first failure to store a setting here, so
// the user hears once that changes to the settings will not outlive the run.
void
BViewerApp::_SettingsNotStored(BMessage* notice)
{
	const char* path = NULL;
	int32 error = B_ERROR;
	notice->FindString("path", &path);
	notice->FindInt32("error", &error);
	if (path == NULL || path[0] == '\0') {
		ViewError("Settings cannot be stored: there is no settings folder. Changes to the "
				  "settings will be lost when Glim quits.");
		return;
	}
	const char* reason;
	switch (error) {
		case B_NOT_SUPPORTED:
		case B_UNSUPPORTED:
			reason = "its volume does not keep attributes";
			break;
		case B_READ_ONLY_DEVICE:
			reason = "its volume is read-only";
			break;
		case B_PERMISSION_DENIED:
		case B_NOT_ALLOWED:
			reason = "it may not be written";
			break;
		case B_DEVICE_FULL:
		case B_FILE_TOO_LARGE:
			reason = "its volume is full";
			break;
		default:
			reason = "it cannot be written";
			break;
	}
	std::string text = std::string("Settings cannot be stored in \"") + path + "\": " + reason
		+ ". Changes to the settings will be lost when Glim quits.";
	ViewError(text.c_str());
}

// Folder changes are folded: every notice cancels a pending signal, and any
// notice but the creation of a side file starts a new one, sent a second
// after the last.
void
BViewerApp::_FolderChanged(BMessage* notice)
{
	SetPulseRate(0);
	int32 opcode = 0;
	const char* name = NULL;
	if (notice->FindInt32("opcode", &opcode) == B_OK && opcode == B_ENTRY_CREATED
		&& notice->FindString("name", &name) == B_OK && name != NULL
		&& glim::is_side_file(name))
		return;
	SetPulseRate(kFolderChangeDelay);
}

void
BViewerApp::Pulse()
{
	SetPulseRate(0);
	for (int32 i = 0; i < CountWindows(); i++) {
		BMessage change(B_NODE_MONITOR);
		BMessenger(WindowAt(i)).SendMessage(&change, (BHandler*)NULL, B_INFINITE_TIMEOUT);
	}
}

void
BViewerApp::AboutRequested()
{
	BAboutWindow* window = new BAboutWindow(kAboutFrame);
	window->Show();
}

bool
BViewerApp::ShowPrefs()
{
	BRect frame = glim::kDefaultPrefsRect;
	fPrefs->GetRect(glim::kKeyPrefsRect, &frame);
	if (fPrefsWin == NULL)
		fPrefsWin = new PrefsWin(this, fPrefs, frame);
	fPrefsWin->Show();
	return true;
}

void
BViewerApp::ClosePrefs()
{
	fPrefsWin = NULL;
}

// Windows other than main windows that the application always has: the open
// panel, once it exists. The window-count rules below are stated with it.
int32
BViewerApp::_CountOtherWindows() const
{
	return fOpenPanel != NULL ? 1 : 0;
}

bool
BViewerApp::QuitRequested()
{
	// A closing main window asks as it goes; the application ends when no
	// window is left besides the open panel and the main windows that are
	// closing, whether or not those are gone by the time it asks.
	int32 open = 0;
	for (int32 i = 0; i < CountWindows(); i++) {
		BViewerWin* window = dynamic_cast<BViewerWin*>(WindowAt(i));
		if (window == NULL || !window->IsClosing())
			open++;
	}
	return open <= _CountOtherWindows();
}

void
BViewerApp::ReadyToRun()
{
	if (CountWindows() != _CountOtherWindows())
		return;
	BViewerWin* window = new BViewerWin(fNextFrame);
	window->Show();
	fNextFrame.OffsetBy(kCascadeStep, kCascadeStep);
}

void
BViewerApp::ArgvReceived(int32 argc, char** argv)
{
	if (argc > 1 && argv[1] != NULL)
		ViewError(argv[1]);
	if (argc < 2)
		return;
	ViewError(argv[1]);

	// A missing name in an existing folder still gives a reference; only an
	// entry that exists opens a window of its own.
	entry_ref ref;
	if (get_ref_for_path(argv[1], &ref) != B_OK || !BEntry(&ref, false).Exists())
		return;
	_OpenWindow(ref);
}

void
BViewerApp::RefsReceived(BMessage* message)
{
	entry_ref ref;
	if (message->FindRef("refs", 0, &ref) == B_OK)
		_OpenWindow(ref);
}

// Opens a main window for a file or folder: a folder in the browsing layout,
// a file in the image layout on the folder that holds it.
void
BViewerApp::_OpenWindow(const entry_ref& ref)
{
	BEntry entry(&ref, false);
	BPath path;
	if (entry.GetPath(&path) != B_OK)
		return;

	BDirectory directory(path.Path());
	bool isFolder = directory.InitCheck() == B_OK;

	BViewerWin* window = new BViewerWin(fNextFrame, path.Path(), isFolder);
	window->Show();
	fNextFrame.OffsetBy(kCascadeStep, kCascadeStep);
}

void
BViewerApp::ViewError(const char* text)
{
	BAlert* alert = new BAlert("Viewer", text, "OK", NULL, NULL, B_WIDTH_AS_USUAL,
		B_INFO_ALERT);
	alert->Go();
}

bool
BViewerApp::NodeOnBeVolume(const BNode& node)
{
	node_ref nodeRef;
	if (node.GetNodeRef(&nodeRef) != B_OK)
		return false;
	BVolume volume(nodeRef.device);
	if (volume.InitCheck() != B_OK)
		return false;
	return volume.KnowsAttr();
}
