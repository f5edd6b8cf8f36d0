#ifndef _FILE_PANEL_H
#define _FILE_PANEL_H

#include <sys/stat.h>

#include <Messenger.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

class BDirectory;
class BEntry;
class BMessage;
class BNode;
class BWindow;
struct entry_ref;

namespace BPrivate {
class FilePanelWindow;
}

enum file_panel_mode {
	B_OPEN_PANEL,
	B_SAVE_PANEL
};

enum file_panel_button {
	B_CANCEL_BUTTON,
	B_DEFAULT_BUTTON
};

// Decides which entries a panel lists; entries it refuses are not shown.
// Called on the GUI thread with the panel's window locked.
class BRefFilter {
public:
	virtual ~BRefFilter() { }
	virtual bool Filter(const entry_ref* ref, BNode* node, struct stat* stat,
		const char* mimeType) = 0;
};

// The panel in which the user chooses entries to open, or a folder and a
// name to save under. It is a window of the application (it counts in
// BApplication::CountWindows from construction until the panel is deleted;
// deleting the panel deletes the window at once) and runs by itself; the
// user's choice arrives at the target (default: be_app_messenger) as a
// message:
//
// - open: a copy of the panel's message (default B_REFS_RECEIVED) with the
//   chosen entries as "refs". nodeFlavors (0 means B_FILE_NODE) say what may
//   be chosen; with B_DIRECTORY_NODE alone the panel chooses folders, and
//   with nothing selected it chooses the folder shown.
// - save: a copy of the panel's message (default B_SAVE_REQUESTED) with the
//   folder as entry_ref "directory" and the name as string "name".
// - cancel (the Cancel button, Escape or the close box): B_CANCEL with the
//   fields of the panel's message, "old_what" (its what) and "source" (the
//   panel); the panel hides.
// After open and save the panel hides when hideWhenDone is set.
//
// Its window's first child (ChildAt(0)) holds the panel's views. A save
// panel's name field is the view named "text view" and its Cancel button
// "cancel button"; a program may add a view of its own between them (and
// widen the window to make room). Lock Window() while changing its views.
//
// Paths are bytes: names that are not UTF-8 are chosen and saved as they
// are. Call the panel from one thread at a time.
class BFilePanel {
public:
	BFilePanel(file_panel_mode mode = B_OPEN_PANEL, BMessenger* target = NULL,
		const entry_ref* directory = NULL, uint32 nodeFlavors = 0,
		bool allowMultipleSelection = true, BMessage* message = NULL, BRefFilter* filter = NULL,
		bool modal = false, bool hideWhenDone = true);
	virtual ~BFilePanel();

	// Hooks, called with the panel's window locked. SendMessage delivers
	// every result and cancel.
	virtual void SendMessage(const BMessenger* target, BMessage* message);
	virtual void WasHidden();
	virtual void SelectionChanged();

	void Show();
	void Hide();
	bool IsShowing() const;

	// NULL once the application has closed it.
	BWindow* Window() const;
	BMessenger Messenger() const;
	file_panel_mode PanelMode() const { return fMode; }
	bool HidesWhenDone() const;

	void SetTarget(BMessenger target);
	// A copy is kept; NULL restores the default message.
	void SetMessage(BMessage* message);
	// The name a save panel suggests.
	void SetSaveText(const char* text);
	void SetButtonLabel(file_panel_button button, const char* label);
	void SetHideWhenDone(bool hideWhenDone);

	// A folder that does not exist shows the home folder instead; a file
	// shows the folder that holds it.
	void SetPanelDirectory(const BEntry* entry);
	void SetPanelDirectory(const BDirectory* directory);
	void SetPanelDirectory(const entry_ref* ref);
	void SetPanelDirectory(const char* path);
	void GetPanelDirectory(entry_ref* ref) const;

	// Reads the folder shown again.
	void Refresh();
	// The entries selected in the panel, one per call; B_ENTRY_NOT_FOUND
	// after the last.
	void Rewind();
	status_t GetNextSelectedRef(entry_ref* ref);

private:
	BFilePanel(const BFilePanel&) = delete;
	BFilePanel& operator=(const BFilePanel&) = delete;

	BPrivate::FilePanelWindow* _LockWindow() const;
	void _SetDirectory(const char* path);

	file_panel_mode fMode;
	BPrivate::FilePanelWindow* fWindow;
	BMessenger fWindowMessenger;
	int32 fNextSelected;
};

#endif
