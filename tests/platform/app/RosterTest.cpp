// Launching the desktop's applications: Exec lines expanded for the files
// handed over (recorded instead of run), opening an entry with its
// preferred application, and one real detached start.
#include <Roster.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <Application.h>
#include <OS.h>
#include <Entry.h>
#include <Message.h>
#include <Path.h>

#include "AppTestHooks.h"
#include "TestSupport.h"

namespace {

typedef std::vector<std::string> Argv;


BMessage
refs_message(const std::vector<std::string>& paths)
{
	BMessage message(B_REFS_RECEIVED);
	for (const std::string& path : paths) {
		entry_ref ref;
		EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
		message.AddRef("refs", &ref);
	}
	return message;
}


class RosterTest : public testing::Test {
protected:
	void SetUp() override
	{
		glim_test::MakeDirs(fData / "applications");
		setenv("XDG_DATA_HOME", fData.Path().c_str(), 1);
		setenv("XDG_DATA_DIRS", glim_test::MimeDatabaseFolder().c_str(), 1);
		setenv("XDG_CONFIG_HOME", fConfig.Path().c_str(), 1);
		setenv("XDG_CONFIG_DIRS", fConfig.Path().c_str(), 1);
		// Called on the launching thread, before Launch() returns.
		BPrivate::set_launch_recorder([this](const Argv& argv) { fLaunched.push_back(argv); });
	}

	void TearDown() override { BPrivate::set_launch_recorder(nullptr); }

	// Installs the application id.desktop, named "Test".
	void Install(const std::string& id, const std::string& exec,
		const std::string& types = "image/png;", const std::string& extra = "")
	{
		glim_test::WriteFile(fData / ("applications/" + id + ".desktop"),
			"[Desktop Entry]\nType=Application\nName=Test\nExec=" + exec + "\nMimeType=" + types
				+ "\n" + extra);
	}

	glim_test::TempDir fData{"roster-data"};
	glim_test::TempDir fConfig{"roster-config"};
	glim_test::TempDir fFiles{"roster-files"};
	std::vector<Argv> fLaunched;
};

} // namespace


TEST_F(RosterTest, ExecLinesAreExpandedForTheFiles)
{
	std::string one = fFiles / "one.png";
	// Names are bytes: this one is not UTF-8.
	std::string latin1 = fFiles / "caf\xe9 pic.png";
	glim_test::WriteFile(one, "x");
	glim_test::WriteFile(latin1, "x");
	// Stands for the path of the row's desktop file.
	const std::string kSelf = "%k";
	const struct {
		const char* what;
		std::string exec;
		std::vector<std::string> files;
		status_t status;
		std::vector<Argv> launched;
	} kCases[] = {
		{"a file list takes every file on one command line", "gallery --title=%c %i %F",
			{one, latin1}, B_OK,
			{{"gallery", "--title=Test", "--icon", "test-icon", one, latin1}}},
		{"a single-file code starts a process per file", "single --open=%f %k", {one, latin1},
			B_OK, {{"single", "--open=" + one, kSelf}, {"single", "--open=" + latin1, kSelf}}},
		{"without files a %f code is empty", "single --open=%f %k", {}, B_OK,
			{{"single", "--open=", kSelf}}},
		{"without a code the files are not passed", "nofile --new-window", {one, latin1}, B_OK,
			{{"nofile", "--new-window"}}},
		// In the file "\\$" is a backslash and a dollar; the Exec quoting then
		// makes that a plain dollar. Codes inside quotes are not expanded.
		{"quotes and escapes", "\"/opt/my app/run\" \"a \\\\$HOME %f b\" %U 100%%", {one}, B_OK,
			{{"/opt/my app/run", "a $HOME %f b", one, "100%"}}},
		{"an unterminated quote", "run \"unterminated %F", {one}, B_LAUNCH_FAILED, {}},
		{"an unknown code", "run %z %F", {one}, B_LAUNCH_FAILED, {}},
	};
	int row = 0;
	for (const auto& test : kCases) {
		SCOPED_TRACE(test.what);
		std::string id = "row" + std::to_string(row++);
		Install(id, test.exec, "image/png;", "Icon=test-icon\n");
		std::vector<Argv> expected = test.launched;
		for (Argv& argv : expected)
			std::replace(argv.begin(), argv.end(), kSelf,
				fData / ("applications/" + id + ".desktop"));
		fLaunched.clear();
		BMessage refs = refs_message(test.files);
		EXPECT_EQ(be_roster->Launch(("application/x-vnd.desktop-" + id).c_str(),
					  test.files.empty() ? NULL : &refs),
			test.status);
		EXPECT_EQ(fLaunched, expected);
	}
}

TEST_F(RosterTest, UnknownSignaturesAndMissingEntriesFail)
{
	Install("viewer", "viewer %f");
	BMessage refs;
	EXPECT_EQ(be_roster->Launch("application/x-vnd.nobody", &refs),
		B_LAUNCH_FAILED_APP_NOT_FOUND);
	EXPECT_EQ(be_roster->Launch((const char*)NULL), B_BAD_VALUE);

	entry_ref missing;
	ASSERT_EQ(get_ref_for_path((fFiles / "index.htm").c_str(), &missing), B_OK);
	EXPECT_EQ(be_roster->Launch(&missing), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(be_roster->Launch((const entry_ref*)NULL), B_BAD_VALUE);
	EXPECT_TRUE(fLaunched.empty());
}


TEST_F(RosterTest, EntriesOpenWithTheirPreferredApplication)
{
	Install("anyimage", "anyimage %u", "image/*;");
	Install("pngview", "pngview %F");
	Install("other", "other %F");
	std::string picture = fFiles / "picture";
	glim_test::WriteFile(picture, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(picture.c_str(), &ref), B_OK);

	// The type comes from the content; the first exact handler opens it.
	team_id team = 0;
	ASSERT_EQ(be_roster->Launch(&ref, NULL, &team), B_OK);
	std::vector<Argv> expected = {{"other", picture}};
	EXPECT_EQ(fLaunched, expected);

	// The desktop's default wins over the order of the files.
	glim_test::WriteFile(fConfig / "mimeapps.list",
		"[Default Applications]\nimage/png=pngview.desktop\n");
	ASSERT_EQ(be_roster->Launch(&ref), B_OK);
	expected.push_back({"pngview", picture});
	EXPECT_EQ(fLaunched, expected);
}


TEST_F(RosterTest, OwnSignatureStartsThisExecutable)
{
	BPrivate::set_command_line({"glim"});
	BApplication* app = new BApplication("application/x-vnd.Fenwix-Viewer");
	ASSERT_EQ(app->InitCheck(), B_OK);
	std::string file = fFiles / "shot.png";
	glim_test::WriteFile(file, "x");
	BMessage refs = refs_message({file});
	std::string executable = std::filesystem::read_symlink("/proc/self/exe");

	EXPECT_TRUE(be_roster->IsRunning("application/x-vnd.Fenwix-Viewer"));
	EXPECT_FALSE(be_roster->IsRunning("application/x-vnd.other"));
	app_info info;
	ASSERT_EQ(be_roster->GetAppInfo("application/x-vnd.Fenwix-Viewer", &info), B_OK);
	EXPECT_STREQ(info.signature, "application/x-vnd.Fenwix-Viewer");
	EXPECT_STREQ(BPath(&info.ref).Path(), executable.c_str()) << "where the help is looked for";
	EXPECT_EQ(be_roster->GetAppInfo("application/x-vnd.other", &info), B_ERROR);

	// Without a desktop file of its own, and with the installed one.
	ASSERT_EQ(be_roster->Launch("application/x-vnd.Fenwix-Viewer", &refs), B_OK);
	Install("glim", "glim --refs %F", "image/png;",
		"X-Glim-Signature=application/x-vnd.Fenwix-Viewer\n");
	ASSERT_EQ(be_roster->Launch("application/x-vnd.Fenwix-Viewer", &refs), B_OK);
	std::vector<Argv> expected = {{executable, "--refs", file}, {executable, "--refs", file}};
	EXPECT_EQ(fLaunched, expected);

	delete app;
	BPrivate::clear_command_line();
	EXPECT_EQ(be_roster->Launch("application/x-vnd.Fenwix-Viewer", &refs), B_OK);
	EXPECT_EQ(fLaunched.back()[0], "glim");
}


TEST_F(RosterTest, RealLaunchRunsDetachedWithTheFiles)
{
	BPrivate::set_launch_recorder(nullptr);
	std::string output = fFiles / "arguments";
	std::string script = fFiles / "record-arguments";
	glim_test::WriteFile(script,
		"#!/bin/sh\nprintf '%s\\n' \"$(pwd)\" \"$@\" > '" + output + ".tmp'\nmv '" + output
			+ ".tmp' '" + output + "'\n");
	ASSERT_EQ(chmod(script.c_str(), 0755), 0);
	Install("recorder", script + " %F", "image/png;", "Path=" + fFiles.Path() + "\n");
	Install("absent", "/nonexistent/program %F");
	std::string file = fFiles / "\xff\xfe odd name.png";
	glim_test::WriteFile(file, "x");
	BMessage refs = refs_message({file});

	team_id team = -1;
	ASSERT_EQ(be_roster->Launch("application/x-vnd.desktop-recorder", &refs, &team), B_OK);
	EXPECT_GT(team, 0);
	ASSERT_TRUE(glim_test::WaitFor([&] { return glim_test::Exists(output); }));
	EXPECT_EQ(glim_test::ReadText(output), fFiles.Path() + "\n" + file + "\n");

	EXPECT_EQ(be_roster->Launch("application/x-vnd.desktop-absent", &refs),
		B_LAUNCH_FAILED_EXECUTABLE);
}


TEST_F(RosterTest, AnOpenerThatFindsNothingFailsTheLaunch)
{
	// Nothing declares the type, so the desktop's opener gets the file; a
	// stand-in opener on PATH plays it finding a program or not.
	BPrivate::set_launch_recorder(nullptr);
	std::string page = fFiles / "index.htm";
	glim_test::WriteFile(page, "<html><body>help</body></html>\n");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(page.c_str(), &ref), B_OK);
	glim_test::TempDir bin{"roster-bin"};
	std::string opener = bin / "xdg-open";
	glim_test::ScopedVariable path("PATH", (bin.Path() + ":" + getenv("PATH")).c_str());

	const struct {
		const char* script;
		status_t expected;
	} cases[] = {
		{"exit 3", B_LAUNCH_FAILED_NO_PREFERRED_APP},
		{"echo no method available >&2; exit 4", B_LAUNCH_FAILED_NO_PREFERRED_APP},
		{"exit 0", B_OK},
		// A browser that stays in the opener's foreground has started.
		{"sleep 5", B_OK},
	};
	for (const auto& entry : cases) {
		SCOPED_TRACE(entry.script);
		glim_test::WriteFile(opener, std::string("#!/bin/sh\n") + entry.script + "\n");
		ASSERT_EQ(chmod(opener.c_str(), 0755), 0);
		bigtime_t start = system_time();
		EXPECT_EQ(be_roster->Launch(&ref), entry.expected);
		EXPECT_LT(system_time() - start, 4000000);
	}
}
