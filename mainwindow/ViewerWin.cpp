#include "mainwindow/ViewerWin.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <Message.h>
#include <Application.h>
#include <FilePanel.h>
#include <NodeMonitor.h>
#include <Directory.h>
#include <FindDirectory.h>
#include <List.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Path.h>
#include <ScrollView.h>

#include "app/Commands.h"
#include "foldertree/DirectoryView.h"
#include "widgets/GlimStatusView.h"
#include "imageview/ImageView.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"
#include "thumbnails/ThumbnailContainerView.h"
#include "widgets/Toolbar.h"
#include "app/ViewerApp.h"

namespace {

// The main window's flags carry the bit that the platform also uses as the
// view flag B_FRAME_EVENTS.
const uint32 kWindowFlags = 0x04000000;
const float kScrollBarWidth = 14;
const float kTreeWidth = 150;
const float kGridLeft = kTreeWidth + kScrollBarWidth + 4;

} // namespace

BViewerWin::BViewerWin(BRect frame) :
	BWindow(frame, "GlIm", B_DOCUMENT_WINDOW, kWindowFlags, B_CURRENT_WORKSPACE)
{
	_InitFields(true);
	BuildWindowStructure();
	SetPulseRate(0);

	if (fImageScroll != NULL)
		fImageScroll->Hide();

	bool posted = false;
	if (fPrefs != NULL) {
		int32 useLastFolder = glim::kDefaultUseLastFolder;
		fPrefs->GetInteger(glim::kKeyUseLastFolder, useLastFolder);
		const char* key = useLastFolder != 0 ? glim::kKeyLastFolder : glim::kKeyDefaultFolder;
		char* folder = NULL;
		if (fPrefs->GetString(key, &folder)) {
			_PostOpenFolder(glim::stored_folder(folder).c_str(), NULL);
			posted = true;
			delete[] folder;
		}
		fPrefs->Register(this);
	}
	if (!posted)
		_PostOpenFolder(glim::home_folder().c_str(), NULL);
}

BViewerWin::BViewerWin(BRect frame, const char* path, bool isFolder) :
	BWindow(frame, "GlIm", B_DOCUMENT_WINDOW, kWindowFlags, B_CURRENT_WORKSPACE)
{
	_InitFields(isFolder);
	BuildWindowStructure();
	SetPulseRate(0);

	if (isFolder) {
		if (fImageScroll != NULL)
			fImageScroll->Hide();
		_PostOpenFolder(path, NULL);
	} else {
		if (fThumbnailScroll != NULL)
			fThumbnailScroll->Hide();
		if (fDirectoryScroll != NULL)
			fDirectoryScroll->Hide();
		// The status line belongs to the browsing layout; in the image layout
		// it would cover the image's horizontal scroll bar.
		if (fStatusView != NULL)
			fStatusView->Hide();
		const char* slash = path != NULL ? strrchr(path, '/') : NULL;
		if (slash != NULL) {
			// A file directly in the root folder lies in "/".
			std::string folder(path, slash == path ? 1 : slash - path);
			_PostOpenFolder(folder.c_str(), path);
		}
	}
	if (fPrefs != NULL)
		fPrefs->Register(this);
}

BViewerWin::~BViewerWin()
{
	// A window deleted without asking first (the application quitting) must
	// not leave its worker running on it, nor its folder watched.
	_StopWorker();
	if (fFolderPath != NULL)
		MonitorFolder(fFolderPath, B_STOP_WATCHING);
	if (fSlideShow)
		SetPulseRate(0);
	delete fSavePanel;
	for (int32 i = 0; i < fImageList->CountItems(); i++)
		free(fImageList->ItemAt(i));
	delete fImageList;
	delete fFolder;
	free(fFolderPath);
	delete[] fSavePath;
	if (fListLock != (sem_id)B_NO_MEMORY)
		delete_sem(fListLock);
}

void
BViewerWin::_InitFields(bool thumbnailMode)
{
	fThumbnailThread = B_NO_MEMORY;
	fStopThumbnails = false;
	fWorkerToJoin = B_NO_MEMORY;
	fListLock = create_sem(1, "ListLockSem");
	if (fListLock < B_OK)
		fListLock = B_NO_MEMORY;
	fMenuBar = NULL;
	fToolbar = NULL;
	fDirectoryView = NULL;
	fDirectoryScroll = NULL;
	fThumbnailView = NULL;
	fThumbnailScroll = NULL;
	fImageView = NULL;
	fImageScroll = NULL;
	fStatusView = NULL;
	fSavePanel = NULL;
	fImageList = new BList(10);
	fFolder = NULL;
	fFolderPath = NULL;
	fCurrentIndex = -1;
	fImageCount = 0;
	fEntryCount = 0;
	fPrefs = viewer_prefs();
	fSavePath = NULL;
	fSaveType = 0;
	fSaveSelection = false;
	fThumbnailMode = thumbnailMode;
	fSlideShow = false;
	fClosing = false;
	fWatchingFolder = false;
}

void
BViewerWin::_PostOpenFolder(const char* folder, const char* image)
{
	BMessage message(MSG_OPEN_FOLDER);
	message.AddString("Folder", folder);
	if (image != NULL)
		message.AddString("Image", image);
	PostMessage(&message);
}

void
BViewerWin::BuildWindowStructure()
{
	_BuildMenus();

	BRect bounds = Bounds();
	float menuBottom = fMenuBar->Bounds().bottom;
	fToolbar = new BToolbar(BRect(0, menuBottom + 1, bounds.right, menuBottom + 41));
	AddChild(fToolbar);

	bounds = Bounds();
	BRect content(0, menuBottom + fToolbar->Bounds().bottom + 3, bounds.right - kScrollBarWidth,
		bounds.bottom - kScrollBarWidth);

	fDirectoryView = new BDirectoryView(this, BRect(0, content.top, kTreeWidth, content.bottom),
		"GlimDirectoryView", B_SINGLE_SELECTION_LIST, B_FOLLOW_ALL,
		B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	fDirectoryView->SetSelectionMessage(new BMessage(MSG_FOLDER_SELECTED));
	fDirectoryView->SetTarget(this);
	fDirectoryScroll = new BScrollView("GlimDirectory", fDirectoryView,
		B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM, B_WILL_DRAW, false, true, B_FANCY_BORDER);
	AddChild(fDirectoryScroll);

	fThumbnailView = new BThumbnailContainerView(this,
		BRect(kGridLeft, content.top, content.right, content.bottom));
	fThumbnailScroll = new BScrollView("ThumbnailScroll", fThumbnailView, B_FOLLOW_ALL,
		B_WILL_DRAW, false, true, B_FANCY_BORDER);
	AddChild(fThumbnailScroll);

	fImageView = new BImageView(content);
	fImageScroll = new BScrollView("ImageScroll", fImageView, B_FOLLOW_ALL, B_WILL_DRAW, true,
		true, B_FANCY_BORDER);
	AddChild(fImageScroll);

	fStatusView = new BGlimStatusView(
		BRect(0, bounds.bottom - 12, bounds.right - kScrollBarWidth, bounds.bottom + 2));
	AddChild(fStatusView);
}

void
BViewerWin::_BuildMenus()
{
	fMenuBar = new BMenuBar(BRect(0, 0, 0, 0), "ViewerMenu", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		B_ITEMS_IN_ROW, true);
	AddChild(fMenuBar);

	struct Item {
		const char* label;
		uint32 command;
		char shortcut;
		bool toApplication;
	};
	struct Menu {
		const char* name;
		Item items[7];
	};
	// A NULL label is a separator; a zero command ends the menu.
	static const Menu kMenus[] = {
		{"File",
			{{"Open", MSG_OPEN_PANEL, 'O', true}, {"Save As", MSG_SAVE_AS, 'S', false},
				{"Save Selection", MSG_SAVE_SELECTION, 0, false},
				{"Preferences", MSG_SHOW_PREFS, 'P', true}, {NULL, 1, 0, false},
				{"Quit", MSG_CLOSE_WINDOW, 'Q', false}, {NULL, 0, 0, false}}},
		{"View", {{"Image", MSG_TOGGLE_VIEW, 'I', false}, {NULL, 0, 0, false}}},
		{"Image",
			{{"First Image", MSG_FIRST_IMAGE, 'F', false},
				{"Previous Image", MSG_PREV_IMAGE, 'P', false},
				{"Next Image", MSG_NEXT_IMAGE, 'N', false},
				{"Last Image", MSG_LAST_IMAGE, 'L', false},
				{"Toggle Slideshow", MSG_TOGGLE_SLIDESHOW, 'T', false}, {NULL, 0, 0, false}}},
		{"Tools",
			{{"Zoom In", MSG_ZOOM_IN, '=', false}, {"Zoom Out", MSG_ZOOM_OUT, '-', false},
				{NULL, 1, 0, false}, {"Clear Selection", MSG_CLEAR_SELECTION, 'C', false},
				{"Refresh Thumbnails", MSG_REFRESH_THUMBNAILS, 0, false}, {NULL, 0, 0, false}}},
		{"Help",
			{{"Help", MSG_HELP, 'H', false}, {"About", B_ABOUT_REQUESTED, 'A', true},
				{NULL, 0, 0, false}}},
	};

	for (const Menu& spec : kMenus) {
		BMenu* menu = new BMenu(spec.name, B_ITEMS_IN_COLUMN);
		for (const Item* item = spec.items; item->command != 0; item++) {
			if (item->label == NULL) {
				menu->AddSeparatorItem();
				continue;
			}
			BMenuItem* menuItem = new BMenuItem(item->label, new BMessage(item->command),
				item->shortcut);
			if (item->toApplication)
				menuItem->SetTarget(be_app);
			menu->AddItem(menuItem);
		}
		fMenuBar->AddItem(menu);
	}
}

bool
BViewerWin::QuitRequested()
{
	if (fPrefs != NULL) {
		BRect frame = Frame();
		fPrefs->SetRect(glim::kKeyMainRect, &frame, false);
	}

	_StopWorker();
	delete fSavePanel;
	fSavePanel = NULL;
	if (fFolderPath != NULL)
		MonitorFolder(fFolderPath, B_STOP_WATCHING);

	if (fPrefs != NULL)
		fPrefs->Unregister(this);
	fClosing = true;
	be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}
