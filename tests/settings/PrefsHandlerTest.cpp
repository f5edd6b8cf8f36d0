#include "settings/PrefsHandler.h"

#include <atomic>
#include <string>

#include <sys/xattr.h>

#include <AppPrivate.h>
#include <FindDirectory.h>
#include <Path.h>

#include "app/Commands.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

// Stands for a registered window or for the application: counts the notices
// of one kind it is sent and keeps what the last one carried.
class Recorder : public BLooper {
public:
	Recorder(uint32 what) :
		BLooper("recorder"),
		fWhat(what)
	{
		Run();
	}

	virtual void MessageReceived(BMessage* message)
	{
		if (message->what != fWhat)
			return BLooper::MessageReceived(message);
		fLast = *message;
		fCount++;
	}

	void Stop()
	{
		Lock();
		Quit();
	}

	uint32 fWhat;
	std::atomic<int> fCount{0};
	BMessage fLast;
};

class PrefsHandlerTest : public testing::Test {
protected:
	void SetUp() override
	{
		static int argc = 1;
		static char name[] = "PrefsHandlerTest";
		static char* argv[] = {name, NULL};
		BPrivate::ensure_qt_application(argc, argv);
		BMessage notice(MSG_PREFS_CHANGED);
		fPrefs = new BPrefsHandler(fName.c_str(), &notice);
	}

	void TearDown() override
	{
		if (fPrefs->Path() != NULL)
			unlink(fPrefs->Path());
		delete fPrefs;
	}

	// Each test binary has a home of its own; each test removes the file.
	std::string fName = "Glim-test";
	BPrefsHandler* fPrefs = NULL;
};

} // namespace

// Each setting is an attribute of the settings file holding the value's own
// bytes: an int32 in four, a text with its NUL.
TEST_F(PrefsHandlerTest, WithoutAFileEveryReadFailsAndStoresKeepTheValuesBytes)
{
	ASSERT_NE(fPrefs->Path(), nullptr);
	BPath settings;
	ASSERT_EQ(find_directory(B_USER_SETTINGS_DIRECTORY, &settings), B_OK);
	EXPECT_EQ(std::string(fPrefs->Path()), std::string(settings.Path()) + "/" + fName);

	int32 integer = 42;
	BRect rect(1, 2, 3, 4);
	char* text = (char*)"untouched";
	EXPECT_FALSE(fPrefs->GetInteger("SlideShowTimer", integer));
	EXPECT_FALSE(fPrefs->GetRect("MainRect", &rect));
	EXPECT_FALSE(fPrefs->GetString("LastFolder", &text));
	EXPECT_EQ(integer, 42);
	EXPECT_EQ(rect, BRect(1, 2, 3, 4));
	EXPECT_STREQ(text, "untouched");
	EXPECT_FALSE(Exists(fPrefs->Path()));

	EXPECT_TRUE(fPrefs->SetInteger("SlideShowTimer", 5, false));
	EXPECT_FALSE(fPrefs->FailureReported());
	EXPECT_EQ(ReadFile(fPrefs->Path()).size(), 0u);
	int32 raw = 0;
	EXPECT_EQ(getxattr(fPrefs->Path(), "user.SlideShowTimer", &raw, sizeof(raw)), 4);
	EXPECT_EQ(raw, 5);

	EXPECT_TRUE(fPrefs->SetString("LastFolder", "abc", false));
	EXPECT_EQ(getxattr(fPrefs->Path(), "user.LastFolder", NULL, 0), 4);
	text = NULL;
	EXPECT_TRUE(fPrefs->GetString("LastFolder", &text));
	ASSERT_NE(text, nullptr);
	EXPECT_STREQ(text, "abc");
	delete[] text;
}

TEST_F(PrefsHandlerTest, BadArgumentsAndShortRectangles)
{
	EXPECT_TRUE(fPrefs->SetInteger("Short", 1, false));
	BRect rect(9, 9, 9, 9);
	EXPECT_FALSE(fPrefs->GetRect("Short", &rect));
	EXPECT_EQ(rect, BRect(9, 9, 9, 9));

	int32 value = 3;
	EXPECT_FALSE(fPrefs->GetInteger(NULL, value));
	EXPECT_FALSE(fPrefs->SetInteger(NULL, 1, false));
	EXPECT_FALSE(fPrefs->SetString("Key", NULL, false));
	EXPECT_FALSE(fPrefs->SetRect("Key", NULL, false));
	EXPECT_FALSE(fPrefs->GetRect("Short", NULL));
	EXPECT_FALSE(fPrefs->GetString("Short", NULL));

	// A store without a name has no file: everything fails.
	BPrefsHandler nameless(NULL, NULL);
	EXPECT_EQ(nameless.Path(), nullptr);
	EXPECT_FALSE(nameless.SetInteger("Key", 1, true));
	EXPECT_FALSE(nameless.GetInteger("Key", value));
	EXPECT_EQ(value, 3);
}

TEST_F(PrefsHandlerTest, NoticesGoToEachRegisteredWindowOncePerUpdate)
{
	Recorder* first = new Recorder(MSG_PREFS_CHANGED);
	Recorder* second = new Recorder(MSG_PREFS_CHANGED);

	EXPECT_TRUE(fPrefs->Register(first));
	EXPECT_FALSE(fPrefs->Register(first));
	EXPECT_TRUE(fPrefs->Register(second));
	fPrefs->Unregister((BLooper*)0x1);

	// Stored without notify: nothing to send.
	fPrefs->SetInteger("SlideShowTimer", 3, false);
	fPrefs->Update();
	Settle();
	EXPECT_EQ(first->fCount, 0);

	// Two notifying stores, one update: one notice each; then none.
	fPrefs->SetInteger("LeftMouseFunc", 2, true);
	fPrefs->SetInteger("RightMouseFunc", 6, true);
	fPrefs->Update();
	EXPECT_TRUE(Settle([&] { return first->fCount == 1 && second->fCount == 1; }));
	fPrefs->Update();
	Settle();
	EXPECT_EQ(first->fCount, 1);
	EXPECT_EQ(second->fCount, 1);
	void* store = NULL;
	EXPECT_EQ(first->fLast.FindPointer("BPrefsHandler", &store), B_OK);
	EXPECT_EQ(store, (void*)fPrefs);

	// A window that unregistered hears nothing more.
	fPrefs->Unregister(first);
	fPrefs->SetFloat("ThumbWidth", 120, true);
	fPrefs->Update();
	EXPECT_TRUE(Settle([&] { return second->fCount == 2; }));
	EXPECT_EQ(first->fCount, 1);

	// Without a notice template, an update sends nothing and the change
	// stays pending until a template is set again.
	EXPECT_TRUE(fPrefs->SetMessage(NULL));
	fPrefs->SetFloat("ThumbWidth", 130, true);
	fPrefs->Update();
	Settle();
	EXPECT_EQ(second->fCount, 2);
	BMessage notice(MSG_PREFS_CHANGED);
	EXPECT_TRUE(fPrefs->SetMessage(&notice));
	fPrefs->Update();
	EXPECT_TRUE(Settle([&] { return second->fCount == 3; }));

	fPrefs->Unregister(second);
	first->Stop();
	second->Stop();
}

// Settings on a volume that cannot keep them are reported once, by a notice
// to the application, and every store says it failed.
TEST_F(PrefsHandlerTest, SettingsThatCannotBeStoredAreReportedOnce)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	TempDir dir("unstorable");
	struct {
		const char* name;
		const char* type;
		const char* options;
		status_t error;
	} cases[] = {
		{"no attributes", "ramfs", "", B_NOT_SUPPORTED},
		{"read-only", "tmpfs", "ro,size=64k", B_READ_ONLY_DEVICE},
		{"full", "tmpfs", "nr_inodes=1", B_DEVICE_FULL},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		std::string point = Mount(dir.Path(), test.type, test.options);
		ASSERT_FALSE(point.empty());
		ScopedVariable config("XDG_CONFIG_HOME", point.c_str());
		BPrefsHandler* prefs = new BPrefsHandler("Glim", NULL);
		ASSERT_NE(prefs->Path(), nullptr);
		EXPECT_EQ(std::string(prefs->Path()), point + "/Glim");

		Recorder* recorder = new Recorder(MSG_PREFS_NOT_STORED);
		BMessage notice(MSG_PREFS_NOT_STORED);
		prefs->SetFailureNotice(&notice, recorder);
		BRect frame(1, 2, 3, 4);
		EXPECT_FALSE(prefs->SetInteger("SlideShowTimer", 5, false));
		EXPECT_FALSE(prefs->SetRect("MainRect", &frame, false));
		EXPECT_FALSE(prefs->SetString("LastFolder", "/tmp", true));
		EXPECT_TRUE(prefs->FailureReported());
		EXPECT_TRUE(Settle([&] { return recorder->fCount > 0; }));
		Settle();
		EXPECT_EQ(recorder->fCount, 1);
		EXPECT_EQ(recorder->fLast.GetInt32("error", B_OK), test.error);
		EXPECT_STREQ(recorder->fLast.GetString("path", ""), (point + "/Glim").c_str());
		int32 value = 0;
		EXPECT_FALSE(prefs->GetInteger("SlideShowTimer", value));

		recorder->Stop();
		delete prefs;
		Unmount(point);
	}
}
