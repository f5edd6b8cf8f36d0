// The application: its start, the command line, its windows, its own
// commands and the folder-change signal.
#include "app/ViewerApp.h"

#include <Entry.h>
#include <Message.h>

#include "settings/PrefsHandler.h"
#include "widgets/AboutWindow.h"
#include "widgets/PrefsWin.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class ViewerAppTest : public ViewerTest {
protected:
	// The folder the only main window opens, once it has read it.
	std::string OnlyWindowsFolder()
	{
		if (MainWindows().size() != 1)
			return "(" + std::to_string(MainWindows().size()) + " windows)";
		Settle([] { return MainWindows()[0]->FolderPath() != NULL; });
		const char* folder = MainWindows()[0]->FolderPath();
		return folder != NULL ? folder : "(none)";
	}

	// Also closes the preferences and about windows the commands open.
	void TearDown() override
	{
		for (const auto& windows : {Windows<PrefsWin>(), Windows<BAboutWindow>()}) {
			for (BWindow* window : windows) {
				if (window->Lock())
					window->Quit();
			}
		}
		ViewerTest::TearDown();
	}

	template<class Kind>
	std::vector<BWindow*> Windows()
	{
		std::vector<BWindow*> found;
		for (int32 i = 0; i < fApp->CountWindows(); i++) {
			if (dynamic_cast<Kind*>(fApp->WindowAt(i)) != NULL)
				found.push_back(fApp->WindowAt(i));
		}
		return found;
	}

	TempDir fDir{"app"};
};

using AppCommandsTest = ViewerAppTest;

} // namespace

TEST_F(ViewerAppTest, FirstStartOpensTheDefaultFrameAndStoresTheTimerTheNextTheLastFrame)
{
	fApp->ReadyToRun();
	ASSERT_EQ(MainWindows().size(), 1u);
	BViewerWin* window = MainWindows()[0];
	EXPECT_EQ(window->Frame(), BRect(50, 50, 400, 400));
	EXPECT_TRUE(window->ThumbnailMode());

	// The settings file exists after the first start, holding the timer.
	BPrefsHandler reader("Glim", NULL);
	int32 timer = 0;
	EXPECT_TRUE(reader.GetInteger("SlideShowTimer", timer));
	EXPECT_EQ(timer, 5);

	// The frame of the window closed last is used at the next start.
	BRect frame = Locked(window, [&] {
		window->MoveTo(200, 150);
		window->ResizeTo(500, 380);
		return window->Frame();
	});
	window->PostMessage(B_QUIT_REQUESTED);
	Settle([] { return MainWindows().empty(); });
	fApp.reset();
	fApp.reset(new TestApp);
	fApp->ReadyToRun();
	ASSERT_EQ(MainWindows().size(), 1u);
	EXPECT_EQ(MainWindows()[0]->Frame(), frame);
}

// A path on the command line is shown in two alerts and opens its window
// at once; a missing one (even a missing name in an existing folder, which
// still makes an entry reference) opens no window of its own, and the start
// opens the last folder.
TEST_F(ViewerAppTest, ACommandLinePathShowsTwoAlertsAndOpensOneWindow)
{
	MakeDirs(fDir / "last");
	MakeDirs(fDir / "present");
	const struct {
		std::string path;
		std::string opens;
	} cases[] = {
		{fDir / "present", fDir / "present"},
		{fDir / "no" / "such" / "thing", fDir / "last"},
		{fDir / "present" / "gone.png", fDir / "last"},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.path);
		fApp.reset();
		fApp.reset(new TestApp);
		fApp->Prefs()->SetString("LastFolder", (fDir / "last").c_str(), false);
		char* argv[] = {(char*)"glim", (char*)test.path.c_str(), NULL};
		fApp->ArgvReceived(2, argv);
		ASSERT_EQ(fApp->fAlerts.size(), 2u);
		if (test.opens == test.path) {
			EXPECT_EQ(fApp->fAlerts, std::vector<std::string>(2, test.path));
		}
		EXPECT_EQ(MainWindows().size(), test.opens == test.path ? 1u : 0u);
		fApp->ReadyToRun();
		EXPECT_EQ(OnlyWindowsFolder(), test.opens);
		CloseAllWindows();
	}
}

TEST_F(ViewerAppTest, ThePulseIsIdleUntilAFolderChanges)
{
	// A pulse at start would send the bare change message and make every
	// window read its folder a second time.
	EXPECT_EQ(fApp->PulseRate(), 0);
	BMessage notice(B_NODE_MONITOR);
	notice.AddInt32("opcode", 2);
	fApp->MessageReceived(&notice);
	EXPECT_EQ(fApp->PulseRate(), 1000000);
}

TEST_F(ViewerAppTest, WindowsCascadeAndClosingTheLastEndsTheApplication)
{
	fApp->ReadyToRun();
	fApp->ReadyToRun();
	// The folder handed over as the desktop does.
	BMessage refs(B_REFS_RECEIVED);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(fDir.Path().c_str(), &ref), B_OK);
	refs.AddRef("refs", &ref);
	fApp->RefsReceived(&refs);
	std::vector<BViewerWin*> windows = MainWindows();
	ASSERT_EQ(windows.size(), 2u);
	// Each new window opens down and to the right of the one before.
	EXPECT_EQ(windows[1]->Frame(), BRect(130, 130, 480, 480));

	windows[0]->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(Settle([&] { return fApp->fQuitAnswers.size() == 1; }));
	EXPECT_FALSE(fApp->fQuitAnswers[0]) << "one main window is still open";

	windows[1]->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(Settle([&] { return fApp->fQuitAnswers.size() == 2; }));
	EXPECT_TRUE(fApp->fQuitAnswers[1]);
}

// "/boot/home" is where the stored folders of older settings lie: it means
// the home folder.
TEST_F(ViewerAppTest, TheDefaultFolderOpensWhenTheLastOneIsNotWanted)
{
	std::string home = getenv("HOME");
	MakeDirs(home + "/pictures");
	MakeDirs(fDir / "last");
	const struct {
		std::string stored;
		std::string opens;
	} cases[] = {
		{fDir / "last", fDir / "last"},
		{"/boot/home", home},
		{"/boot/home/pictures", home + "/pictures"},
		{"/boot/homework", "/boot/homework"},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.stored);
		EXPECT_EQ(glim::stored_folder(test.stored.c_str()), test.opens);
	}
	fApp->Prefs()->SetInteger("UseLastFolder", 0, false);
	fApp->Prefs()->SetString("DefaultFolder", "/boot/home/pictures", false);
	fApp->Prefs()->SetString("LastFolder", (fDir / "last").c_str(), false);
	fApp->ReadyToRun();
	EXPECT_EQ(OnlyWindowsFolder(), home + "/pictures");
}

// Settings on a volume without attributes: the user is told once, at the
// first setting that is lost, and not again as more are lost.
TEST_F(ViewerAppTest, SettingsThatCannotBeStoredAreReportedOnce)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	std::string point = Mount(fDir.Path(), "ramfs", "");
	ASSERT_FALSE(point.empty());
	{
		ScopedVariable config("XDG_CONFIG_HOME", point.c_str());
		fApp.reset();
		fApp.reset(new TestApp);
	}
	ASSERT_TRUE(Settle([&] { return !fApp->fAlerts.empty(); }));
	EXPECT_EQ(fApp->fAlerts[0],
		"Settings cannot be stored in \"" + point
			+ "/Glim\": its volume does not keep attributes. Changes to the settings will be "
			  "lost when Glim quits.");

	// A window stores the folder it opens and its frame when it closes.
	fApp->ReadyToRun();
	ASSERT_EQ(MainWindows().size(), 1u);
	MainWindows()[0]->PostMessage(B_QUIT_REQUESTED);
	Settle([] { return MainWindows().empty(); });
	Wait(200000);
	EXPECT_EQ(fApp->fAlerts.size(), 1u);
	Unmount(point);
}

TEST_F(AppCommandsTest, AboutOpensAWindowEachTimePreferencesOnlyOne)
{
	for (uint32 command : std::initializer_list<uint32>{B_ABOUT_REQUESTED, B_ABOUT_REQUESTED,
			 MSG_SHOW_PREFS, MSG_SHOW_PREFS})
		fApp->PostMessage(command);
	ASSERT_TRUE(Settle([&] {
		return Windows<BAboutWindow>().size() == 2 && Windows<PrefsWin>().size() == 1;
	}));
	Settle();
	EXPECT_EQ(Windows<BAboutWindow>().size(), 2u);
	EXPECT_EQ(Windows<PrefsWin>().size(), 1u);

	char version[64];
	BAboutWindow::GetVersionText(version, sizeof(version));
	EXPECT_STREQ(version, "Version 0.9.7.1");
}

TEST_F(AppCommandsTest, ABurstOfChangesGivesOneReReadASecondLater)
{
	CountingViewerWin* window = Opened(
		new CountingViewerWin(fDir.Path().c_str(), B_NODE_MONITOR));
	for (int i = 0; i < 10; i++) {
		WriteImage(fDir / ("copy" + std::to_string(i) + ".png"), 8, 8, 0x123456);
		snooze(40000);
	}
	// Nothing before the quiet second has passed.
	Settle();
	EXPECT_EQ(window->fCount, 0);
	ASSERT_TRUE(Settle([&] { return window->fCount >= 1; }));
	Wait(1500000);
	EXPECT_EQ(window->fCount, 1);
	EXPECT_EQ(window->ImageCount(), 10);

	// Side files appearing start no re-read; a file named just ".gth" does.
	WriteFile(fDir / "copy0.png.GTH", "x");
	Wait(1600000);
	EXPECT_EQ(window->fCount, 1);
	WriteFile(fDir / ".gth", "x");
	EXPECT_TRUE(Settle([&] { return window->fCount == 2; }));
}
