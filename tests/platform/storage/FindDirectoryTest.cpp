#include <FindDirectory.h>

#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <Path.h>

#include "TestSupport.h"

using namespace glim_test;

namespace {

std::string
Find(directory_which which, bool create = false)
{
	BPath path;
	status_t status = find_directory(which, &path, create);
	return status == B_OK ? path.Path() : "<error " + std::to_string(status) + ">";
}

mode_t
ModeOf(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST(FindDirectoryTest, UserFoldersFollowTheXdgVariables)
{
	std::string home = getenv("HOME");
	EXPECT_EQ(Find(B_USER_DIRECTORY), home);
	EXPECT_EQ(Find(B_USER_SETTINGS_DIRECTORY), home + "/.config");
	EXPECT_EQ(Find(B_USER_DATA_DIRECTORY), home + "/.local/share");

	TempDir dir;
	{
		ScopedVariable config("XDG_CONFIG_HOME", (dir / "conf").c_str());
		// Made when missing, private to the user.
		EXPECT_EQ(Find(B_USER_SETTINGS_DIRECTORY), dir / "conf");
		EXPECT_EQ(ModeOf(dir / "conf"), 0700u);
	}
	{
		// A relative value is ignored, as the XDG rules say.
		ScopedVariable config("XDG_CONFIG_HOME", "relative/conf");
		EXPECT_EQ(Find(B_USER_SETTINGS_DIRECTORY), home + "/.config");
	}
	{
		ScopedVariable cache("XDG_CACHE_HOME", nullptr);
		EXPECT_EQ(Find(B_USER_CACHE_DIRECTORY), home + "/.cache");
	}
	{
		ScopedVariable temp("TMPDIR", nullptr);
		EXPECT_EQ(Find(B_SYSTEM_TEMP_DIRECTORY), "/tmp");
	}

	BPath path;
	EXPECT_EQ(find_directory(B_USER_DIRECTORY, nullptr), B_BAD_VALUE);
	EXPECT_EQ(find_directory((directory_which)12345, &path), B_BAD_VALUE);
}

TEST(FindDirectoryTest, DesktopComesFromUserDirs)
{
	std::string home = getenv("HOME");
	TempDir dir;
	ScopedVariable config("XDG_CONFIG_HOME", dir.Path().c_str());
	EXPECT_EQ(Find(B_DESKTOP_DIRECTORY), home + "/Desktop");
	EXPECT_FALSE(Exists(home + "/Desktop"));

	WriteFile(dir / "user-dirs.dirs",
		"# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
	EXPECT_EQ(Find(B_DESKTOP_DIRECTORY), home + "/Bureau");
	EXPECT_EQ(Find(B_DESKTOP_DIRECTORY, true), home + "/Bureau");
	EXPECT_TRUE(Exists(home + "/Bureau"));
	rmdir((home + "/Bureau").c_str());
}

TEST(FindDirectoryTest, TheTrashIsAlwaysThere)
{
	TempDir dir;
	ScopedVariable data("XDG_DATA_HOME", (dir / "data").c_str());
	// Callers do not ask for it to be made; on a fresh home it is missing.
	EXPECT_EQ(Find(B_TRASH_DIRECTORY, false), dir / "data/Trash/files");
	EXPECT_EQ(ModeOf(dir / "data/Trash/files"), 0700u);
	EXPECT_EQ(ModeOf(dir / "data/Trash/info"), 0700u);
}
