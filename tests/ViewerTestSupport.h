#ifndef GLIM_VIEWER_TEST_SUPPORT_H
#define GLIM_VIEWER_TEST_SUPPORT_H

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <Message.h>

#include <gtest/gtest.h>

#include "TestHooks.h"
#include "TestSupport.h"
#include "app/Commands.h"
#include "app/ViewerApp.h"
#include "mainwindow/ViewerWin.h"

namespace glim_test {

// The application object for system tests: a signature of its own per
// process (so parallel test binaries never hand over to each other), alerts
// answered and recorded, and quitting recorded instead of done.
class TestApp : public BViewerApp {
public:
	TestApp();
	virtual ~TestApp();

	virtual bool QuitRequested();

	std::vector<std::string> fAlerts;
	std::vector<bool> fQuitAnswers;
};

// A main window on path that counts the messages of one kind it receives.
class CountingViewerWin : public BViewerWin {
public:
	CountingViewerWin(const char* path, uint32 what) :
		BViewerWin(BRect(80, 80, 579, 479), path, true),
		fWhat(what)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == fWhat)
			fCount++;
		BViewerWin::MessageReceived(message);
	}

	std::atomic<int> fCount{0};

private:
	uint32 fWhat;
};

// A test with a fresh application object and no settings; it closes every
// main window when it ends.
class ViewerTest : public testing::Test {
protected:
	void SetUp() override;
	void TearDown() override;

	std::unique_ptr<TestApp> fApp;
};

// Removes the settings file, so each test starts as a first start.
void ForgetSettings();

// Runs events until the condition holds (5 s at most).
bool Settle(const std::function<bool()>& condition);
void Settle();
// Runs events for the given time.
void Wait(long long microseconds);

// The main windows of the application, in window order.
std::vector<BViewerWin*> MainWindows();
// Closes every window of the application and waits until they are gone.
void CloseAllWindows();

// Shows a new main window and waits until it has read its folder.
template<class Window>
Window*
Opened(Window* window)
{
	window->Show();
	Settle([&] { return window->FolderPath() != NULL; });
	Settle();
	return window;
}

// A main window on a folder, or on an image when isFolder is false.
BViewerWin* OpenWindow(const std::string& path, bool isFolder = true,
	BRect frame = BRect(100, 100, 599, 399));

// Calls what with the looper locked and returns its result.
template<class Function>
auto
Locked(BLooper* looper, Function what)
{
	looper->Lock();
	struct Unlocker {
		BLooper* looper;
		~Unlocker() { looper->Unlock(); }
	} unlocker{looper};
	return what();
}

std::string TitleOf(BWindow* window);

// A drag in view, whose window the caller has locked: pressed at start, the
// pointer moves through the points with the button held and is released at
// the last one; the window is unlocked while the drag's events run.
void Drag(BView* view, uint32 button, BPoint start, const std::vector<BPoint>& moves,
	uint32 modifiers = 0);

} // namespace glim_test

#endif
