#ifndef GLIM_VIEWER_WIN_H
#define GLIM_VIEWER_WIN_H

#include <atomic>

#include <Node.h>
#include <OS.h>
#include <Window.h>

class BBitmap;
class BDirectory;
class BDirectoryView;
class BFile;
class BFileListItem;
class BFilePanel;
class BGlimStatusView;
class BImageView;
class BList;
class BMenu;
class BMenuBar;
class BPrefsHandler;
class BScrollView;
class BThumbnailContainerView;
class BToolbar;

// The main window: one folder, shown either in the browsing layout (folder
// tree, thumbnail grid, status line) or the image layout (one image filling
// the window), under a menu bar and a toolbar.
//
// Threads: the window's own thread handles its commands and draws its views;
// at most one thumbnail worker runs beside it, reading fImageList only
// through GetNextFile under fListLock and touching views only with the
// window locked. Closing stops the worker first.
class BViewerWin : public BWindow {
public:
	// mainwindow/ViewerWin.cpp: construction, layout and closing.
	// Opens the remembered (or default) folder in the browsing layout.
	BViewerWin(BRect frame);
	// Opens a folder in the browsing layout, or a file in the image layout on
	// the folder that holds it. The caller keeps path.
	BViewerWin(BRect frame, const char* path, bool isFolder);
	virtual ~BViewerWin();
	virtual bool QuitRequested();
	void BuildWindowStructure();

	// mainwindow/ViewerWinDispatch.cpp: command dispatch.
	virtual void MessageReceived(BMessage* message);

	// mainwindow/ViewerWinFolderLoading.cpp: folder loading and navigation.
	void OpenFolder(const char* folderPath, const char* imagePath, BFileListItem* treeItem);
	// Lends the list's own path at index; valid until the folder is read
	// again. Any thread may call it.
	bool GetNextFile(int32 index, char** path);
	bool MoveToImage(int32 index);
	void MonitorFolder(const char* path, uint32 flags);
	void SwitchToThumbnail(bool thumbnails);
	int32 CountImages() const;

	// mainwindow/ViewerWinPopUpMenus.cpp: pop-up menus.
	virtual void MenusBeginning();
	void ShowZoomMenu();
	void ShowMouseMenu();
	void DisplayThumbnailMenu(int32 index);

	// thumbnails/ViewerWinThumbnails.cpp: the thumbnail worker. CreateThumbnail
	// runs on the worker thread only; path is the image's, so a thumbnail the
	// image's attributes have no room for can go to its side file instead.
	bool CreateThumbnail(BFile* file, BBitmap* image, bool useAttributes,
		const char* path = NULL);
	void UpdateThumbnails();
	static status_t ThumbnailThread(void* data);
	void RefreshThumbnails(bool clearCache);

	// foldertree/ViewerWinFolderTree.cpp: building the folder tree.
	void InitDirectoryView();
	void ProcessDirectory(BDirectory* directory, BFileListItem* parent, bool addAll);
	bool ItemExistsUnder(BFileListItem* parent, BFileListItem* item);

	// save/ViewerWinSave.cpp: saving.
	void SaveAs(bool selection);
	bool WriteFile(BFile* file);
	// As WriteFile, in the given format rather than the one chosen.
	bool WriteFile(BFile* file, uint32 type);
	// Saves into folder under name: written to a new file first and put in
	// place only when the conversion succeeded.
	void SaveTo(BDirectory* folder, const char* name);

	// State, for the views of the window and for tests.
	bool ThumbnailMode() const { return fThumbnailMode; }
	// True from the moment the window agreed to close.
	bool IsClosing() const { return fClosing; }
	int32 CurrentIndex() const { return fCurrentIndex; }
	int32 ImageCount() const { return fImageCount; }
	int32 EntryCount() const { return fEntryCount; }
	const char* FolderPath() const { return fFolderPath; }
	bool SlideShowRunning() const { return fSlideShow; }
	bool WorkerRunning() const { return fThumbnailThread >= 0; }
	BImageView* ImageView() const { return fImageView; }
	BThumbnailContainerView* ThumbnailView() const { return fThumbnailView; }
	BDirectoryView* DirectoryView() const { return fDirectoryView; }
	BGlimStatusView* StatusView() const { return fStatusView; }

private:
	// mainwindow/ViewerWin.cpp
	void _InitFields(bool thumbnailMode);
	void _PostOpenFolder(const char* folder, const char* image);
	void _BuildMenus();

	// mainwindow/ViewerWinDispatch.cpp
	void _FolderSelected(BMessage* message);
	void _StepTo(int32 index, int32 fallback);
	void _ZoomBy(bool in);
	void _ToggleSlideShow();
	void _OpenHelp();
	void _SaveRequested(BMessage* message);

	// mainwindow/ViewerWinFolderLoading.cpp
	void _ReadFolder();
	void _ReadEntries();
	void _ChooseCurrent(const char* name);

	// mainwindow/ViewerWinPopUpMenus.cpp
	BPoint _MenuPoint();

	// thumbnails/ViewerWinThumbnails.cpp
	void _StopWorker();
	void _StartWorker();
	bool _LockForWorker();

	// save/ViewerWinSave.cpp
	void _CreateSavePanel();
	void _AddSaveTypes(BMenu* menu);

	// The worker stores the no-worker value itself when it ends, so the id
	// is shared with it; fWorkerToJoin keeps the id until the window has
	// waited for the thread.
	std::atomic<thread_id> fThumbnailThread;
	std::atomic<bool> fStopThumbnails;
	thread_id fWorkerToJoin;
	sem_id fListLock;
	BMenuBar* fMenuBar;
	BToolbar* fToolbar;
	BDirectoryView* fDirectoryView;
	BScrollView* fDirectoryScroll;
	BThumbnailContainerView* fThumbnailView;
	BScrollView* fThumbnailScroll;
	BImageView* fImageView;
	BScrollView* fImageScroll;
	BGlimStatusView* fStatusView;
	BFilePanel* fSavePanel;
	BList* fImageList;
	BDirectory* fFolder;
	char* fFolderPath;
	int32 fCurrentIndex;
	int32 fImageCount;
	int32 fEntryCount;
	BPrefsHandler* fPrefs;
	char* fSavePath;
	uint32 fSaveType;
	bool fSaveSelection;
	bool fThumbnailMode;
	bool fSlideShow;
	bool fClosing;
	// The folder this window watches, while it does: one watch at a time,
	// ended once, since other windows' watches share the application target.
	node_ref fWatchedFolder;
	bool fWatchingFolder;
};

#endif
