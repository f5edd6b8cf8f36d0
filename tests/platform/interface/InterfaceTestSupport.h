#ifndef GLIM_INTERFACE_TEST_SUPPORT_H
#define GLIM_INTERFACE_TEST_SUPPORT_H

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <Bitmap.h>
#include <Entry.h>
#include <GraphicsDefs.h>
#include <Message.h>
#include <Path.h>
#include <View.h>
#include <Window.h>

#include "TestHooks.h"

namespace glim_test {

// Messages as their what with one int32 field each.
typedef std::vector<std::pair<uint32, int32>> FieldList;

// A window that keeps a copy of every message that reaches its
// MessageReceived. The copies are taken on the GUI thread; At and Fields
// read them from any thread.
class Receiver : public BWindow {
public:
	explicit Receiver(const char* title = "receiver", BRect frame = BRect(100, 100, 399, 299),
		window_type type = B_TITLED_WINDOW) :
		BWindow(frame, title, type, 0)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> guard(lock);
		received.push_back(*message);
		count++;
	}

	BMessage At(size_t index)
	{
		std::lock_guard<std::mutex> guard(lock);
		return received.at(index);
	}

	// Each message's what with its int32 field, in the order they came.
	FieldList Fields(const char* field)
	{
		std::lock_guard<std::mutex> guard(lock);
		FieldList fields;
		for (const BMessage& message : received)
			fields.push_back({message.what, message.GetInt32(field, -5)});
		return fields;
	}

	bool WaitFor(int32 messages)
	{
		return BPrivate::run_events_until([&]() { return count == messages; });
	}

	std::mutex lock;
	std::vector<BMessage> received;
	std::atomic<int32> count{0};
};

// Adds the views to the window and shows it.
inline void
ShowWith(BWindow* window, std::initializer_list<BView*> views)
{
	for (BView* view : views)
		window->AddChild(view);
	window->Show();
}

// The paths of the refs in a message's field, in order.
inline std::vector<std::string>
RefPaths(const BMessage& message, const char* field = "refs")
{
	std::vector<std::string> paths;
	entry_ref ref;
	for (int32 i = 0; message.FindRef(field, i, &ref) == B_OK; i++)
		paths.push_back(BPath(&ref).Path());
	return paths;
}

// A T that counts its deletions in *deleted.
template<class T>
class Counted : public T {
public:
	template<class... Args>
	explicit Counted(std::atomic<int32>* deleted, Args&&... args) :
		T(std::forward<Args>(args)...),
		fDeleted(deleted)
	{
	}

	~Counted() override { (*fDeleted)++; }

private:
	std::atomic<int32>* fDeleted;
};

// Quits a window the test created and showed.
inline void
CloseWindow(BWindow* window)
{
	if (window->Lock())
		window->Quit();
}

// The toolkit widget of type T in the shown window with the title, once it
// is there and ready; NULL if it does not come.
template<class T>
T*
WaitForWidget(const char* windowTitle, const std::function<bool(T*)>& ready = nullptr)
{
	T* found = NULL;
	bool arrived = BPrivate::run_events_until([&]() {
		for (QWidget* top : QApplication::topLevelWidgets()) {
			if (top->windowTitle() == windowTitle && top->isVisible())
				found = top->findChild<T*>();
		}
		return found != NULL && (!ready || ready(found));
	});
	return arrived ? found : NULL;
}

// Lets the event loop run a while, for checks that nothing more happens.
inline void
Settle(bigtime_t duration = 100000)
{
	BPrivate::run_events_until([]() { return false; }, duration);
}

// Lets a window the test keeps locked handle what is queued: unlocked until
// condition holds, then a further while, and locked again.
inline void
SettleUnlocked(
	BWindow* window, const std::function<bool()>& condition = []() { return true; },
	bigtime_t after = 30000)
{
	window->Unlock();
	EXPECT_TRUE(BPrivate::run_events_until(condition));
	Settle(after);
	window->Lock();
}

// A key pressed and released on a toolkit widget, as the user types it.
inline void
SendKey(QWidget* widget, int key, const QString& text = QString())
{
	QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
	QApplication::sendEvent(widget, &press);
	QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
	QApplication::sendEvent(widget, &release);
}

// The action of a toolkit menu or menu bar with the text, or NULL.
inline QAction*
ActionNamed(QWidget* menu, const char* text)
{
	for (QAction* action : menu->actions()) {
		if (action->text() == text)
			return action;
	}
	return NULL;
}

// The texts of a toolkit menu's actions, joined by "|".
inline std::string
ActionTexts(QWidget* menu)
{
	QStringList texts;
	for (QAction* action : menu->actions())
		texts << action->text();
	return texts.join("|").toStdString();
}

// A mouse-down on view at where, with the pointer script held for polls
// then released at where moved by releaseOffset. The caller holds no lock.
inline void
PressAndRelease(BView* view, BPoint where, int polls = 1, BPoint releaseOffset = BPoint(0, 0))
{
	view->Window()->Lock();
	BPoint screen = view->ConvertToScreen(where);
	for (int i = 0; i < polls; i++)
		BPrivate::push_pointer_state(screen, B_PRIMARY_MOUSE_BUTTON);
	BPrivate::push_pointer_state(screen + releaseOffset, 0);
	BPrivate::simulate_mouse_down(view, where, B_PRIMARY_MOUSE_BUTTON);
	view->Window()->Unlock();
}

// Sends keys, with the modifiers held, to the window's focus view, focusing
// view first if given.
inline void
PressKeys(BWindow* window, std::initializer_list<const char*> keys, BView* focus = NULL,
	uint32 modifiers = 0)
{
	window->Lock();
	if (focus != NULL)
		focus->MakeFocus(true);
	for (const char* key : keys)
		BPrivate::simulate_key_down(window, key, modifiers);
	window->Unlock();
}

// The colour of one pixel of a 32-bit bitmap, alpha left opaque.
inline rgb_color
PixelAt(const BBitmap& bitmap, int x, int y)
{
	const uint8* pixel = (const uint8*)bitmap.Bits() + y * bitmap.BytesPerRow() + x * 4;
	return make_color(pixel[2], pixel[1], pixel[0]);
}

// A pixel of the window as it is shown now, black when it cannot be grabbed.
inline rgb_color
GrabbedPixel(BWindow* window, int x, int y)
{
	std::unique_ptr<BBitmap> shot = BPrivate::grab_window(window);
	return shot ? PixelAt(*shot, x, y) : make_color(0, 0, 0, 0);
}

// A locked off-screen bitmap with one view covering it, filled with fill.
struct Canvas {
	Canvas(int width, int height, rgb_color fill = make_color(255, 255, 255)) :
		bitmap(BRect(0, 0, width - 1, height - 1), B_RGB32, true),
		view(new BView(bitmap.Bounds(), "canvas", B_FOLLOW_NONE, B_WILL_DRAW))
	{
		bitmap.AddChild(view);
		bitmap.Lock();
		view->SetHighColor(fill);
		view->FillRect(view->Bounds());
	}

	~Canvas()
	{
		if (bitmap.IsLocked())
			bitmap.Unlock();
	}

	BBitmap bitmap;
	BView* view;
};

} // namespace glim_test

#endif
