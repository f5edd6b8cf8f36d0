#include "app/ViewerApp.h"

#include <memory>
#include <string>

#include <Entry.h>
#include <Message.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "settings/PrefsHandler.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"
#include "mainwindow/ViewerWin.h"

using namespace glim_test;

namespace {

class ViewerAppTest : public ViewerTest {
protected:
	BMessage Refs(std::initializer_list<std::string> paths)
	{
		BMessage refs(B_REFS_RECEIVED);
		for (const std::string& path : paths) {
			entry_ref ref;
			EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
			refs.AddRef("refs", &ref);
		}
		return refs;
	}

	TempDir fDir{"app"};
};

} // namespace

TEST_F(ViewerAppTest, FirstStartOpensTheDefaultFrameAndStoresTheTimer)
{
	fApp->ReadyToRun();
	std::vector<BViewerWin*> windows = MainWindows();
	ASSERT_EQ(windows.size(), 1u);
	EXPECT_EQ(windows[0]->Frame(), BRect(50, 50, 400, 400));
	EXPECT_TRUE(windows[0]->ThumbnailMode());

	// The settings file exists after the first start, holding the timer.
	BPrefsHandler reader("Glim", NULL);
	int32 timer = 0;
	EXPECT_TRUE(reader.GetInteger("SlideShowTimer", timer));
	EXPECT_EQ(timer, 5);

	// A second ReadyToRun with a window open opens nothing more.
	fApp->ReadyToRun();
	EXPECT_EQ(MainWindows().size(), 1u);
}

TEST_F(ViewerAppTest, WindowsCascadeAndOnlyTheFirstReferenceOpens)
{
	MakeDirs(fDir / "a");
	MakeDirs(fDir / "b");
	WriteImage(fDir / "one.png", 4, 4, 0xff0000);
	BMessage two = Refs({fDir / "a", fDir / "b"});
	fApp->RefsReceived(&two);
	ASSERT_EQ(MainWindows().size(), 1u);

	BMessage folder = Refs({fDir / "b"});
	fApp->RefsReceived(&folder);
	BMessage file = Refs({fDir / "one.png"});
	fApp->RefsReceived(&file);
	std::vector<BViewerWin*> windows = MainWindows();
	ASSERT_EQ(windows.size(), 3u);
	EXPECT_EQ(windows[0]->Frame(), BRect(50, 50, 400, 400));
	EXPECT_EQ(windows[1]->Frame(), BRect(130, 130, 480, 480));
	EXPECT_EQ(windows[2]->Frame(), BRect(210, 210, 560, 560));

	Settle(
		[&] { return windows[2]->FolderPath() != NULL && windows[0]->FolderPath() != NULL; });
	EXPECT_STREQ(windows[0]->FolderPath(), (fDir / "a").c_str());
	EXPECT_TRUE(windows[0]->ThumbnailMode());
	EXPECT_FALSE(windows[2]->ThumbnailMode());

	fApp->ReadyToRun();
	EXPECT_EQ(MainWindows().size(), 3u);
}

TEST_F(ViewerAppTest, ACommandLinePathShowsTwoAlertsAndOpensOneWindow)
{
	MakeDirs(fDir / "photos");
	std::string path = fDir / "photos";
	char* argv[] = {(char*)"glim", (char*)path.c_str(), NULL};
	fApp->ArgvReceived(2, argv);
	ASSERT_EQ(fApp->fAlerts.size(), 2u);
	EXPECT_EQ(fApp->fAlerts[0], path);
	EXPECT_EQ(fApp->fAlerts[1], path);
	fApp->ReadyToRun();
	ASSERT_EQ(MainWindows().size(), 1u);
	Settle([] { return MainWindows()[0]->FolderPath() != NULL; });
	EXPECT_STREQ(MainWindows()[0]->FolderPath(), path.c_str());
}

TEST_F(ViewerAppTest, AMissingPathShowsTwoAlertsThenTheDefaultWindow)
{
	// A missing name in an existing folder still makes an entry reference;
	// it must open no window of its own either.
	MakeDirs(fDir / "last");
	MakeDirs(fDir / "present");
	const std::string paths[] = {fDir / "no" / "such" / "thing", fDir / "present" / "gone.png"};
	for (const std::string& path : paths) {
		SCOPED_TRACE(path);
		fApp.reset();
		fApp.reset(new TestApp);
		fApp->Prefs()->SetString("LastFolder", (fDir / "last").c_str(), false);
		char* argv[] = {(char*)"glim", (char*)path.c_str(), NULL};
		fApp->ArgvReceived(2, argv);
		EXPECT_EQ(fApp->fAlerts.size(), 2u);
		EXPECT_TRUE(MainWindows().empty());
		fApp->ReadyToRun();
		ASSERT_EQ(MainWindows().size(), 1u);
		Settle([] { return MainWindows()[0]->FolderPath() != NULL; });
		EXPECT_STREQ(MainWindows()[0]->FolderPath(), (fDir / "last").c_str());
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

TEST_F(ViewerAppTest, ClosingTheLastMainWindowEndsTheApplication)
{
	fApp->ReadyToRun();
	fApp->ReadyToRun();
	BMessage refs = Refs({fDir.Path()});
	fApp->RefsReceived(&refs);
	std::vector<BViewerWin*> windows = MainWindows();
	ASSERT_EQ(windows.size(), 2u);

	windows[0]->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(Settle([&] { return fApp->fQuitAnswers.size() == 1; }));
	EXPECT_FALSE(fApp->fQuitAnswers[0]) << "one main window is still open";

	windows[1]->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(Settle([&] { return fApp->fQuitAnswers.size() == 2; }));
	EXPECT_TRUE(fApp->fQuitAnswers[1]);
}

TEST_F(ViewerAppTest, TheFrameOfAClosedWindowIsUsedAtTheNextStart)
{
	fApp->ReadyToRun();
	BViewerWin* window = MainWindows()[0];
	window->Lock();
	window->MoveTo(200, 150);
	window->ResizeTo(500, 380);
	BRect frame = window->Frame();
	window->Unlock();
	window->PostMessage(B_QUIT_REQUESTED);
	Settle([] { return MainWindows().empty(); });

	fApp.reset();
	fApp.reset(new TestApp);
	fApp->ReadyToRun();
	ASSERT_EQ(MainWindows().size(), 1u);
	EXPECT_EQ(MainWindows()[0]->Frame(), frame);
}

TEST_F(ViewerAppTest, TheDefaultFolderOpensWhenTheLastOneIsNotWanted)
{
	MakeDirs(fDir / "default");
	MakeDirs(fDir / "last");
	fApp->Prefs()->SetInteger("UseLastFolder", 0, false);
	fApp->Prefs()->SetString("DefaultFolder", (fDir / "default").c_str(), false);
	fApp->Prefs()->SetString("LastFolder", (fDir / "last").c_str(), false);
	fApp->ReadyToRun();
	Settle([] { return MainWindows()[0]->FolderPath() != NULL; });
	EXPECT_STREQ(MainWindows()[0]->FolderPath(), (fDir / "default").c_str());
}

TEST_F(ViewerAppTest, AFileInTheHomeFolderOpensItsImage)
{
	std::string home = getenv("HOME");
	std::string image = home + "/portrait.png";
	ASSERT_TRUE(WriteImage(image, 20, 30, 0x00ff00));
	BMessage refs = Refs({image});
	fApp->RefsReceived(&refs);
	BViewerWin* window = MainWindows()[0];
	EXPECT_FALSE(window->ThumbnailMode());
	Settle([&] { return window->CurrentIndex() >= 0 && window->FolderPath() != NULL; });
	EXPECT_STREQ(window->FolderPath(), home.c_str());
	char* shown = NULL;
	ASSERT_TRUE(window->GetNextFile(window->CurrentIndex(), &shown));
	EXPECT_EQ(std::string(shown), image);
	window->Lock();
	EXPECT_EQ(std::string(window->Title()), image);
	window->Unlock();
	unlink(image.c_str());
}

// Settings on a volume without attributes: the user is told once, at the
// first setting that is lost, and not again as more are lost.
TEST_F(ViewerAppTest, SettingsThatCannotBeStoredAreReportedOnce)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	std::string point = Mount(fDir.Path(), "ramfs", "");
	ASSERT_FALSE(point.empty());
	std::string config = getenv("XDG_CONFIG_HOME");
	setenv("XDG_CONFIG_HOME", point.c_str(), 1);
	fApp.reset();
	fApp.reset(new TestApp);
	setenv("XDG_CONFIG_HOME", config.c_str(), 1);

	ASSERT_TRUE(Settle([&] { return !fApp->fAlerts.empty(); }));
	EXPECT_EQ(fApp->fAlerts[0],
		"Settings cannot be stored in \"" + point
			+ "/Glim\": its volume does not keep attributes. Changes to the settings will be "
			  "lost "
			  "when Glim quits.");

	// A window stores the folder it opens and its frame when it closes.
	fApp->ReadyToRun();
	ASSERT_EQ(MainWindows().size(), 1u);
	MainWindows()[0]->PostMessage(B_QUIT_REQUESTED);
	Settle([] { return MainWindows().empty(); });
	Wait(200000);
	EXPECT_EQ(fApp->fAlerts.size(), 1u);
	Unmount(point);
}

TEST_F(ViewerAppTest, AStoredBootHomeFolderMeansTheHomeFolder)
{
	std::string home = getenv("HOME");
	MakeDirs(home + "/pictures");
	const struct {
		const char* stored;
		std::string opens;
	} cases[] = {
		{"/boot/home", home},
		{"/boot/home/pictures", home + "/pictures"},
		{"/boot/homework", "/boot/homework"},
	};
	for (const auto& entry : cases) {
		SCOPED_TRACE(entry.stored);
		EXPECT_EQ(glim::stored_folder(entry.stored), entry.opens);
	}

	fApp->Prefs()->SetInteger("UseLastFolder", 0, false);
	fApp->Prefs()->SetString("DefaultFolder", "/boot/home/pictures", false);
	fApp->ReadyToRun();
	ASSERT_EQ(MainWindows().size(), 1u);
	Settle([] { return MainWindows()[0]->FolderPath() != NULL; });
	EXPECT_STREQ(MainWindows()[0]->FolderPath(), (home + "/pictures").c_str());
}
