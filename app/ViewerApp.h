#ifndef GLIM_VIEWER_APP_H
#define GLIM_VIEWER_APP_H

#include <Application.h>
#include <Rect.h>

class BFilePanel;
class BNode;
class BPrefsHandler;
class PrefsWin;
struct entry_ref;

// The application object: owns the settings store and the open panel, opens
// a main window for every file or folder it is given, cascading each new one
// 80 units right and down, and quits with its last main window. It also holds
// the alert through which every failure reaches the user.
class BViewerApp : public BApplication {
public:
	BViewerApp(const char* signature);
	virtual ~BViewerApp();

	virtual void MessageReceived(BMessage* message);
	virtual bool QuitRequested();
	virtual void Pulse();
	virtual void ReadyToRun();
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void RefsReceived(BMessage* message);
	virtual void AboutRequested();

	// Shows text in a modal alert titled "Viewer" and waits until the user
	// closes it. Any thread may call it; the caller is blocked meanwhile.
	void ViewError(const char* text);

	// True when the volume that holds the node supports attributes.
	static bool NodeOnBeVolume(const BNode& node);

	bool ShowPrefs();
	void ClosePrefs();
	PrefsWin* PrefsWindow() const { return fPrefsWin; }

	// The one settings store; NULL only if it could not be made.
	BPrefsHandler* Prefs() const { return fPrefs; }

private:
	void _OpenWindow(const entry_ref& ref);
	void _FolderChanged(BMessage* notice);
	void _ShowOpenPanel();
	void _SettingsNotStored(BMessage* notice);
	int32 _CountOtherWindows() const;

	BPrefsHandler* fPrefs;
	BFilePanel* fOpenPanel;
	PrefsWin* fPrefsWin;
	BRect fNextFrame;
};

// The application object, for the windows and views of the viewer.
BViewerApp* viewer_app();

#endif
