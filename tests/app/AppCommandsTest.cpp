// The application's own commands and the folder-change signal.
#include "app/ViewerApp.h"

#include <atomic>
#include <memory>
#include <string>

#include <Message.h>
#include <NodeMonitor.h>

#include <gtest/gtest.h>

#include "widgets/AboutWindow.h"
#include "app/Commands.h"
#include "widgets/PrefsWin.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"
#include "mainwindow/ViewerWin.h"

using namespace glim_test;

namespace {

// A main window that counts the re-reads the application asks for.
class ReReadCounter : public BViewerWin {
public:
	ReReadCounter(BRect frame, const char* folder) :
		BViewerWin(frame, folder, true)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == B_NODE_MONITOR)
			fReReads++;
		BViewerWin::MessageReceived(message);
	}

	std::atomic<int> fReReads{0};
};

class AppCommandsTest : public testing::Test {
protected:
	void SetUp() override
	{
		ForgetSettings();
		fApp.reset(new TestApp);
	}

	void TearDown() override
	{
		for (int32 i = fApp->CountWindows() - 1; i >= 0; i--) {
			BWindow* window = fApp->WindowAt(i);
			if (dynamic_cast<BViewerWin*>(window) == NULL && window != NULL
				&& (dynamic_cast<PrefsWin*>(window) != NULL
					|| dynamic_cast<BAboutWindow*>(window) != NULL)
				&& window->Lock())
				window->Quit();
		}
		CloseAllWindows();
		fApp.reset();
	}

	int32 Count(bool (*kind)(BWindow*))
	{
		int32 count = 0;
		for (int32 i = 0; i < fApp->CountWindows(); i++)
			count += kind(fApp->WindowAt(i)) ? 1 : 0;
		return count;
	}

	TempDir fDir{"commands"};
	std::unique_ptr<TestApp> fApp;
};

bool
is_about(BWindow* window)
{
	return dynamic_cast<BAboutWindow*>(window) != NULL;
}

bool
is_prefs(BWindow* window)
{
	return dynamic_cast<PrefsWin*>(window) != NULL;
}

} // namespace

TEST_F(AppCommandsTest, AboutOpensAWindowEachTimePreferencesOnlyOne)
{
	fApp->PostMessage(B_ABOUT_REQUESTED);
	fApp->PostMessage(B_ABOUT_REQUESTED);
	fApp->PostMessage(MSG_SHOW_PREFS);
	fApp->PostMessage(MSG_SHOW_PREFS);
	ASSERT_TRUE(Settle([&] { return Count(is_about) == 2 && Count(is_prefs) == 1; }));
	Settle();
	EXPECT_EQ(Count(is_about), 2);
	EXPECT_EQ(Count(is_prefs), 1);

	char version[64];
	BAboutWindow::GetVersionText(version, sizeof(version));
	EXPECT_STREQ(version, "Version 0.9.7.1");
}

TEST_F(AppCommandsTest, ABurstOfChangesGivesOneReReadASecondLater)
{
	ReReadCounter* window = new ReReadCounter(BRect(80, 80, 579, 479), fDir.Path().c_str());
	window->Show();
	ASSERT_TRUE(Settle([&] { return window->FolderPath() != NULL; }));
	Settle();

	for (int i = 0; i < 10; i++) {
		WriteImage(fDir / ("copy" + std::to_string(i) + ".png"), 8, 8, 0x123456);
		snooze(40000);
	}
	// Nothing before the quiet second has passed.
	Settle();
	EXPECT_EQ(window->fReReads, 0);
	ASSERT_TRUE(Settle([&] { return window->fReReads >= 1; }));
	Wait(1500000);
	EXPECT_EQ(window->fReReads, 1);
	EXPECT_EQ(window->ImageCount(), 10);

	// Side files appearing start no re-read; a file named just ".gth" does.
	WriteFile(fDir / "copy0.png.GTH", "x");
	Wait(1600000);
	EXPECT_EQ(window->fReReads, 1);
	WriteFile(fDir / ".gth", "x");
	EXPECT_TRUE(Settle([&] { return window->fReReads == 2; }));
}
