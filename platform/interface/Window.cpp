// BWindow: the window's state, its views, and the dispatch of input,
// frame and pulse messages. The top-level widget is in WindowWidget.cpp.
#include "Window.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include <Application.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <View.h>

#include "AppPrivate.h"
#include "InterfacePrivate.h"
#include "MenuPrivate.h"
#include "WindowWidget.h"

namespace {

const rgb_color kWindowColor = {216, 216, 216, 255};
const bigtime_t kDefaultPulseRate = 500000;

} // namespace


BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32) :
	BLooper(title),
	fFrame(frame),
	fTitle(title != NULL ? title : ""),
	fType(type),
	fFlags(flags),
	fTopView(NULL),
	fFocus(NULL),
	fKeyMenuBar(NULL),
	fShowLevel(1),
	fMinimized(false),
	fActive(false),
	fRunning(false),
	fPulseRate(kDefaultPulseRate),
	fWidget(NULL)
{
	BPrivate::register_window(this);
	fTopView = new BView(Bounds(), "top view", B_FOLLOW_ALL, B_WILL_DRAW);
	fTopView->fIsTopView = true;
	fTopView->SetViewColor(kWindowColor);
	fTopView->_Attach(this, NULL);
}


BWindow::~BWindow()
{
	BPrivate::unregister_window(this);
	_DestroyWidgets();
	fFocus = NULL;
	for (int32 i = fTopView->CountChildren() - 1; i >= 0; i--) {
		BView* child = fTopView->ChildAt(i);
		fTopView->RemoveChild(child);
		delete child;
	}
	fTopView->_Detach();
	delete fTopView;
}


// #pragma mark - hooks


void
BWindow::FrameMoved(BPoint)
{
}

void
BWindow::FrameResized(float, float)
{
}

void
BWindow::WindowActivated(bool)
{
}

void
BWindow::MenusBeginning()
{
}

void
BWindow::MenusEnded()
{
}


bool
BWindow::QuitRequested()
{
	return true;
}


void
BWindow::Quit()
{
	if ((fFlags & B_QUIT_ON_WINDOW_CLOSE) != 0 && be_app != NULL)
		be_app->PostMessage(B_QUIT_REQUESTED);
	if (fShowLevel <= 0) {
		fShowLevel = 1;
		_SyncWindowWidget();
	}
	BLooper::Quit();
}


void
BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}


void
BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	switch (message->what) {
		case B_MOUSE_DOWN:
		case B_MOUSE_UP:
		case B_MOUSE_MOVED:
			_DispatchInput(message, handler);
			break;
		case B_KEY_DOWN:
			_DispatchKeyDown(message);
			break;
		case B_KEY_UP:
			if (fFocus != NULL)
				fFocus->KeyUp(message->GetString("bytes", ""),
					(int32)strlen(message->GetString("bytes", "")));
			break;
		case B_WINDOW_RESIZED:
			_FrameResizedByUser(message);
			break;
		case B_WINDOW_MOVED:
			_FrameMovedByUser(message);
			break;
		case B_WINDOW_ACTIVATED:
			_Activated(message->GetBool("active", false));
			break;
		case B_PULSE:
			if (fWidget != NULL)
				fWidget->PulseDelivered();
			_PulseViews(fTopView);
			break;
		case BPrivate::kMsgMenuItemChosen:
			_InvokeMenuItem(message);
			break;
		case B_MINIMIZE:
			Minimize(message->GetBool("minimize", true));
			break;
		case B_ZOOM:
			Zoom(fFrame.LeftTop(), fFrame.Width(), fFrame.Height());
			break;
		default:
			BLooper::DispatchMessage(message, handler);
			break;
	}
}


// #pragma mark - views


void
BWindow::AddChild(BView* child, BView* before)
{
	fTopView->AddChild(child, before);
	if (fKeyMenuBar == NULL)
		fKeyMenuBar = dynamic_cast<BMenuBar*>(child);
}


bool
BWindow::RemoveChild(BView* child)
{
	return fTopView->RemoveChild(child);
}


int32
BWindow::CountChildren() const
{
	return fTopView->CountChildren();
}


BView*
BWindow::ChildAt(int32 index) const
{
	return fTopView->ChildAt(index);
}


BView*
BWindow::FindView(const char* name) const
{
	return fTopView->FindView(name);
}


BMenuBar*
BWindow::KeyMenuBar() const
{
	return fKeyMenuBar;
}


void
BWindow::SetKeyMenuBar(BMenuBar* bar)
{
	fKeyMenuBar = bar;
}


void
BWindow::_ViewAttached(BView* view)
{
	AddHandler(view);
	BView* parent = view->Parent();
	if (parent != NULL)
		view->SetNextHandler(parent);
}


void
BWindow::_ViewDetached(BView* view)
{
	if (fFocus == view)
		fFocus = NULL;
	if (fKeyMenuBar == view)
		fKeyMenuBar = NULL;
	RemoveHandler(view);
}


void
BWindow::_SetFocus(BView* view)
{
	if (fFocus == view)
		return;
	BView* old = fFocus;
	fFocus = view;
	if (old != NULL)
		old->Invalidate();
	if (view != NULL)
		view->Invalidate();
}


void
BWindow::_PulseViews(BView* view)
{
	// Hidden views are pulsed too: the image view steps a slide show while
	// the browsing layout hides it.
	if ((view->Flags() & B_PULSE_NEEDED) != 0)
		view->Pulse();
	for (int32 i = 0; i < view->CountChildren(); i++)
		_PulseViews(view->ChildAt(i));
}


// #pragma mark - input


void
BWindow::_DispatchInput(BMessage* message, BHandler* handler)
{
	BView* view = dynamic_cast<BView*>(handler);
	if (view == NULL || view->Window() != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}
	BPoint screen = message->GetPoint("screen_where", BPoint(0, 0));
	BPoint where = view->ConvertFromScreen(screen);
	message->RemoveName("where");
	message->AddPoint("where", where);
	switch (message->what) {
		case B_MOUSE_DOWN:
			view->MouseDown(where);
			break;
		case B_MOUSE_UP:
			view->MouseUp(where);
			break;
		default: {
			// During a drag the message carries the transit and the dragged
			// message.
			int32 transit = view->Bounds().Contains(where) ? B_INSIDE_VIEW : B_OUTSIDE_VIEW;
			transit = message->GetInt32("be:transit", transit);
			BMessage dragMessage;
			bool dragging = message->FindMessage("be:drag_message", &dragMessage) == B_OK;
			view->MouseMoved(where, (uint32)transit, dragging ? &dragMessage : NULL);
			break;
		}
	}
}


void
BWindow::_DispatchKeyDown(BMessage* message)
{
	if (_HandleShortcut(message))
		return;
	const char* bytes = message->GetString("bytes", "");
	int32 length = (int32)strlen(bytes);
	if (fFocus != NULL)
		fFocus->KeyDown(bytes, length);
	else
		_UnhandledKeyDown(bytes, length);
}


void
BWindow::_UnhandledKeyDown(const char*, int32)
{
}


// A command-key press invokes the first enabled item of the key menu bar,
// in menu-bar order, whose shortcut it is. The window updates its items in
// MenusBeginning first, as when the menu bar opens.
bool
BWindow::_HandleShortcut(BMessage* message)
{
	uint32 pressed = (uint32)message->GetInt32("modifiers", 0);
	if ((pressed & B_COMMAND_KEY) == 0 || fKeyMenuBar == NULL)
		return false;
	int32 rawChar = message->GetInt32("raw_char", 0);
	if (rawChar <= 0 || rawChar > 0x7f)
		return false;
	MenusBeginning();
	BMenuItem* item = BPrivate::MenuPrivate::FindShortcut(fKeyMenuBar, (char)rawChar, pressed);
	if (item != NULL)
		item->Invoke();
	MenusEnded();
	return item != NULL;
}


void
BWindow::_InvokeMenuItem(BMessage* message)
{
	void* pointer = NULL;
	if (message->FindPointer("be:item", &pointer) != B_OK || fKeyMenuBar == NULL)
		return;
	BMenuItem* item = static_cast<BMenuItem*>(pointer);
	if (BPrivate::MenuPrivate::Contains(fKeyMenuBar, item) && item->IsEnabled())
		item->Invoke();
}


// #pragma mark - geometry


BRect
BWindow::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}


void
BWindow::MoveBy(float dx, float dy)
{
	MoveTo(fFrame.left + dx, fFrame.top + dy);
}


void
BWindow::MoveTo(float x, float y)
{
	if (x == fFrame.left && y == fFrame.top)
		return;
	fFrame.OffsetTo(x, y);
	_SyncWindowWidget();
	BMessage moved(B_WINDOW_MOVED);
	moved.AddPoint("where", fFrame.LeftTop());
	PostMessage(&moved);
}


void
BWindow::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}


void
BWindow::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}


void
BWindow::ResizeTo(float width, float height)
{
	width = std::max(width, 0.0f);
	height = std::max(height, 0.0f);
	if (width == fFrame.Width() && height == fFrame.Height())
		return;
	_ResizeState(width, height);
	_SyncWindowWidget();
	BMessage resized(B_WINDOW_RESIZED);
	resized.AddFloat("width", width);
	resized.AddFloat("height", height);
	PostMessage(&resized);
}


void
BWindow::_ResizeState(float width, float height)
{
	float dx = width - fFrame.Width();
	float dy = height - fFrame.Height();
	fFrame.right += dx;
	fFrame.bottom += dy;
	fTopView->_ApplyResize(dx, dy);
}


void
BWindow::_FrameResizedByUser(BMessage* message)
{
	float width = message->GetFloat("width", fFrame.Width());
	float height = message->GetFloat("height", fFrame.Height());
	if (width != fFrame.Width() || height != fFrame.Height())
		_ResizeState(width, height);
	FrameResized(fFrame.Width(), fFrame.Height());
}


void
BWindow::_FrameMovedByUser(BMessage* message)
{
	BPoint where = message->GetPoint("where", fFrame.LeftTop());
	fFrame.OffsetTo(where);
	FrameMoved(where);
}


void
BWindow::ConvertToScreen(BPoint* point) const
{
	point->x += fFrame.left;
	point->y += fFrame.top;
}


void
BWindow::ConvertFromScreen(BPoint* point) const
{
	point->x -= fFrame.left;
	point->y -= fFrame.top;
}


void
BWindow::ConvertToScreen(BRect* rect) const
{
	rect->OffsetBy(fFrame.left, fFrame.top);
}


void
BWindow::ConvertFromScreen(BRect* rect) const
{
	rect->OffsetBy(-fFrame.left, -fFrame.top);
}


BPoint
BWindow::ConvertToScreen(BPoint p) const
{
	ConvertToScreen(&p);
	return p;
}

BPoint
BWindow::ConvertFromScreen(BPoint p) const
{
	ConvertFromScreen(&p);
	return p;
}

BRect
BWindow::ConvertToScreen(BRect r) const
{
	ConvertToScreen(&r);
	return r;
}

BRect
BWindow::ConvertFromScreen(BRect r) const
{
	ConvertFromScreen(&r);
	return r;
}


// #pragma mark - state


void
BWindow::SetTitle(const char* title)
{
	fTitle = title != NULL ? title : "";
	_SyncWindowWidget();
}


void
BWindow::Show()
{
	fShowLevel--;
	if (fShowLevel != 0)
		return;
	if (!fRunning) {
		fRunning = true;
		Run();
	}
	BPrivate::run_for_window(this, [](BWindow* window) {
		if (!window->_HasWidgets())
			window->_CreateWidgets();
		window->_SyncWindowWidget();
	});
}


void
BWindow::Hide()
{
	fShowLevel++;
	if (fShowLevel == 1)
		_SyncWindowWidget();
}


void
BWindow::Minimize(bool minimize)
{
	fMinimized = minimize;
	_SyncWindowWidget();
}


void
BWindow::Zoom(BPoint, float, float)
{
}


void
BWindow::Activate(bool active)
{
	if (!active)
		return;
	BPrivate::run_for_window(this, [](BWindow* window) {
		if (window->fWidget != NULL)
			window->fWidget->Activate();
	});
}


void
BWindow::_Activated(bool active)
{
	if (fActive == active)
		return;
	fActive = active;
	WindowActivated(active);
	_ViewsActivated(fTopView, active);
}


void
BWindow::_ViewsActivated(BView* view, bool active)
{
	for (int32 i = 0; i < view->CountChildren(); i++) {
		view->ChildAt(i)->WindowActivated(active);
		_ViewsActivated(view->ChildAt(i), active);
	}
}


void
BWindow::SetPulseRate(bigtime_t rate)
{
	fPulseRate = std::max(rate, (bigtime_t)0);
	if (!fRunning)
		return;
	BPrivate::run_for_window(this, [](BWindow* window) { window->_SyncPulse(); });
}
