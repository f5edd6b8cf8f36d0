#ifndef GLIM_VIEWER_TEST_SUPPORT_H
#define GLIM_VIEWER_TEST_SUPPORT_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/ViewerApp.h"

class BViewerWin;

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
std::string SettingsPath();

// Runs events until the condition holds (5 s at most).
bool Settle(const std::function<bool()>& condition);
void Settle();
// Runs events for the given time.
void Wait(long long microseconds);

// The main windows of the application, in window order.
std::vector<BViewerWin*> MainWindows();
// Closes every window of the application and waits until they are gone.
void CloseAllWindows();

} // namespace glim_test

#endif
