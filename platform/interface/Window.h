#ifndef _WINDOW_H
#define _WINDOW_H

#include <string>

#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>

class BMenuBar;
class BMenuItem;
class BMessage;
class BView;
class QWidget;

namespace BPrivate {
class WindowWidget;
class WindowAccess;
} // namespace BPrivate

enum window_type {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21
};

// Window flags; bits the layer does not know are ignored.
enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_AVOID_FRONT = 0x00000080,
	B_NO_WORKSPACE_ACTIVATION = 0x00000100,
	B_OUTLINE_RESIZE = 0x00001000,
	B_AVOID_FOCUS = 0x00002000,
	B_NOT_MINIMIZABLE = 0x00004000,
	B_NOT_ANCHORED_ON_ACTIVATE = 0x00020000,
	B_ASYNCHRONOUS_CONTROLS = 0x00080000,
	B_QUIT_ON_WINDOW_CLOSE = 0x00100000
};

#define B_CURRENT_WORKSPACE 0
#define B_ALL_WORKSPACES 0xffffffff

// A top-level window: a looper whose messages, input and painting are
// dispatched on the GUI thread with the window locked.
//
// frame is the content area in screen coordinates, inclusive, so the window
// is frame.Width() + 1 pixels wide. A window is created hidden; the first
// Show() also starts its looper. The close box posts B_QUIT_REQUESTED to the
// window; when QuitRequested() agrees, the window quits. Quit() hides the
// window and deletes it (with its views) on the GUI thread; call it from the
// window's own dispatch or with its lock held, and do not touch the window
// afterwards.
//
// The window counts in BApplication::CountWindows() from construction until
// it is deleted.
class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	virtual ~BWindow();

	// Hooks.
	virtual void Quit();
	virtual bool QuitRequested();
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void WindowActivated(bool active);
	// Called with the window locked just before its menu bar opens, so the
	// window can enable and relabel items, and after it closes.
	virtual void MenusBeginning();
	virtual void MenusEnded();
	virtual void Minimize(bool minimize);
	virtual void Zoom(BPoint origin, float width, float height);
	virtual void Show();
	virtual void Hide();

	// Views.
	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;
	BView* CurrentFocus() const { return fFocus; }
	BMenuBar* KeyMenuBar() const;
	void SetKeyMenuBar(BMenuBar* bar);

	// Geometry and state.
	BRect Frame() const { return fFrame; }
	BRect Bounds() const;
	void MoveBy(float dx, float dy);
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void ResizeBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;
	void ConvertFromScreen(BRect* rect) const;
	BRect ConvertFromScreen(BRect rect) const;
	void SetTitle(const char* title);
	const char* Title() const { return fTitle.c_str(); }
	bool IsHidden() const { return fShowLevel > 0; }
	void Activate(bool active = true);
	window_type Type() const { return fType; }
	uint32 Flags() const { return fFlags; }

	// Pulse() is called on every view with B_PULSE_NEEDED, every rate
	// microseconds; 0 stops it.
	void SetPulseRate(bigtime_t rate);
	bigtime_t PulseRate() const { return fPulseRate; }

private:
	friend class BView;
	friend class BMenuBar;
	friend class BPrivate::WindowWidget;
	friend class BPrivate::WindowAccess;

	BWindow(const BWindow&) = delete;
	BWindow& operator=(const BWindow&) = delete;

	// Views (Window.cpp).
	BView* _TopView() const { return fTopView; }
	void _ViewAttached(BView* view);
	void _ViewDetached(BView* view);
	void _SetFocus(BView* view);
	void _UnhandledKeyDown(const char* bytes, int32 numBytes);
	void _PulseViews(BView* view);
	void _ViewsActivated(BView* view, bool active);

	// Dispatch (Window.cpp).
	void _DispatchInput(BMessage* message, BHandler* handler);
	void _DispatchKeyDown(BMessage* message);
	bool _HandleShortcut(BMessage* message);
	void _InvokeMenuItem(BMessage* message);
	void _ResizeState(float width, float height);
	void _FrameResizedByUser(BMessage* message);
	void _FrameMovedByUser(BMessage* message);
	void _Activated(bool active);

	// Widgets (WindowWidget.cpp); GUI thread, window locked.
	bool _HasWidgets() const { return fWidget != NULL; }
	void _CreateWidgets();
	void _DestroyWidgets();
	void _SyncWindowWidget();
	void _SyncWindowWidgetNow();
	void _SyncPulse();

	BRect fFrame;
	std::string fTitle;
	window_type fType;
	uint32 fFlags;
	BView* fTopView;
	BView* fFocus;
	BMenuBar* fKeyMenuBar;
	int32 fShowLevel;
	bool fMinimized;
	bool fActive;
	bool fRunning;
	bigtime_t fPulseRate;

	// GUI thread only.
	BPrivate::WindowWidget* fWidget;
};

#endif
