#include "ViewerTestSupport.h"

#include <unistd.h>

#include <FindDirectory.h>
#include <Path.h>
#include <View.h>
#include <Window.h>

namespace glim_test {

namespace {

std::string
unique_signature()
{
	static int sCount = 0;
	return "application/x-vnd.glim-test-" + std::to_string(getpid()) + "-"
		+ std::to_string(sCount++);
}

} // namespace

TestApp::TestApp() :
	BViewerApp(unique_signature().c_str())
{
	BPrivate::set_alert_responder(
		[this](const std::string&, const std::string& text, const std::vector<std::string>&) {
			fAlerts.push_back(text);
			return 0;
		});
	// The application's messages are dispatched like any looper's while the
	// test runs events, without the start messages of Run().
	BLooper::Run();
}

TestApp::~TestApp()
{
	BPrivate::set_alert_responder(nullptr);
}

bool
TestApp::QuitRequested()
{
	fQuitAnswers.push_back(BViewerApp::QuitRequested());
	return false;
}

void
ViewerTest::SetUp()
{
	ForgetSettings();
	fApp.reset(new TestApp);
}

void
ViewerTest::TearDown()
{
	CloseAllWindows();
	fApp.reset();
}

void
ForgetSettings()
{
	BPath path;
	find_directory(B_USER_SETTINGS_DIRECTORY, &path, true);
	unlink((std::string(path.Path()) + "/Glim").c_str());
}

bool
Settle(const std::function<bool()>& condition)
{
	return BPrivate::run_events_until(condition, 5000000);
}

void
Settle()
{
	BPrivate::run_events_until([] { return false; }, 150000);
}

void
Wait(long long microseconds)
{
	BPrivate::run_events_until([] { return false; }, microseconds);
}

std::vector<BViewerWin*>
MainWindows()
{
	std::vector<BViewerWin*> windows;
	for (int32 i = 0; i < be_app->CountWindows(); i++) {
		if (BViewerWin* window = dynamic_cast<BViewerWin*>(be_app->WindowAt(i)))
			windows.push_back(window);
	}
	return windows;
}

void
CloseAllWindows()
{
	for (BViewerWin* window : MainWindows()) {
		if (window->Lock())
			window->Quit();
	}
	Settle([] { return MainWindows().empty(); });
}

BViewerWin*
OpenWindow(const std::string& path, bool isFolder, BRect frame)
{
	return Opened(new BViewerWin(frame, path.c_str(), isFolder));
}

std::string
TitleOf(BWindow* window)
{
	return Locked(window, [&] { return std::string(window->Title()); });
}

void
Drag(BView* view, uint32 button, BPoint start, const std::vector<BPoint>& moves,
	uint32 modifiers)
{
	for (BPoint point : moves)
		BPrivate::push_pointer_state(view->ConvertToScreen(point), button);
	BPrivate::push_pointer_state(view->ConvertToScreen(moves.back()), 0);
	BPrivate::simulate_mouse_down(view, start, button, modifiers);
	BWindow* window = view->Window();
	window->Unlock();
	Wait(300000);
	window->Lock();
}

} // namespace glim_test
