// The application's own commands and the folder-change signal.
#include "app/ViewerApp.h"


#include "widgets/AboutWindow.h"
#include "widgets/PrefsWin.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class AppCommandsTest : public ViewerTest {
protected:
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

	TempDir fDir{"commands"};
};

} // namespace

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
