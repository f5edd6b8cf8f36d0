// The safe-write module: temporary names, copies of files that change while
// they are copied, and the sweep of stale temporaries.
#include <SafeFile.h>

#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <Directory.h>
#include <Entry.h>

#include "FaultEnv.h"
#include "TestSupport.h"

using namespace glim_test;

TEST(SafeFileTest, TemporaryNamesAreHiddenRecognisedAndShortEnough)
{
	TempDir dir("safefile");
	BSafeFile file((dir / std::string(255, 'n')).c_str());
	ASSERT_EQ(file.InitCheck(), B_OK);
	std::vector<std::string> entries = ListFolder(dir.Path());
	ASSERT_EQ(entries.size(), 1u);
	EXPECT_LE(entries[0].size(), 255u);
	EXPECT_EQ(entries[0][0], '.');
	EXPECT_TRUE(is_safe_file_temporary(entries[0].c_str()));
	file.Abandon();
	EXPECT_TRUE(ListFolder(dir.Path()).empty());

	const struct {
		const char* name;
		bool temporary;
	} kNames[] = {
		{".a.jpg.glim~Ab3xY9", true},
		{".\xff\n-\".glim~abcdef", true},
		{"a.jpg.glim~Ab3xY9", false}, // not hidden
		{".a.jpg.glim~Ab3xY", false}, // five characters
		{".a.jpg.glim~Ab3-Y9", false},
		{".a.jpg", false},
		{"a.jpg", false},
	};
	for (const auto& entry : kNames) {
		SCOPED_TRACE(entry.name);
		EXPECT_EQ(is_safe_file_temporary(entry.name), entry.temporary);
	}
}

TEST(SafeFileTest, APathLongerThanTheSystemTakesFailsCleanly)
{
	TempDir dir("safefile");
	std::string path = dir.Path();
	while (path.size() <= 4200)
		path += "/" + std::string(200, 'd');
	EXPECT_NE(BSafeFile::WriteFile((path + "/a.jpg").c_str(), "x", 1), B_OK);
	EXPECT_TRUE(ListFolder(dir.Path()).empty());
}

// The copy is refused as busy, the source keeps what was appended, and a
// move across volumes keeps both.
TEST(SafeFileTest, AFileThatGrowsWhileCopiedIsKeptWhole)
{
	for (bool move : {false, true}) {
		SCOPED_TRACE(move ? "move across volumes" : "copy");
		if (move && !CanMount())
			GTEST_SKIP() << "mounting needs root";
		TempDir dir("safefile");
		std::string target = move ? Mount(dir.Path(), "tmpfs", "size=4m") : dir.Path();
		ASSERT_FALSE(target.empty());
		std::string from = dir / "growing.jpg";
		WriteFile(from, std::string(300000, 'p'));
		status_t status;
		{
			// Appended to the first time the copy reads it, as by a camera or a
			// sync tool still writing it.
			FaultEnv growing;
			bool grown = false;
			growing.fAfterRead = [&] {
				if (!grown) {
					FILE* file = fopen(from.c_str(), "a");
					fputs("appended while copying", file);
					fclose(file);
				}
				grown = true;
			};
			BEntry entry(from.c_str());
			BDirectory folder(target.c_str());
			status = move ? entry.MoveTo(&folder, NULL, false)
						  : copy_file(from.c_str(), (target / "copy.jpg").c_str(), true);
		}
		EXPECT_EQ(status, B_BUSY);
		EXPECT_EQ(ReadText(from), std::string(300000, 'p') + "appended while copying");
		EXPECT_TRUE(Exists(target / (move ? "growing.jpg" : "copy.jpg")));
		if (move)
			Unmount(target);
	}
}

TEST(SafeFileTest, OnlyStaleTemporariesOfOursAreSwept)
{
	TempDir dir("safefile");
	WriteFile(dir / ".a.jpg.glim~old001", "left by a crash");
	WriteFile(dir / ".a.jpg.glim~new001", "being written now");
	WriteFile(dir / ".hidden-photo.jpg", "the user's");
	ASSERT_EQ(symlink("a.jpg", (dir / ".b.jpg.glim~lnk001").c_str()), 0);
	struct timespec old[2] = {{time(NULL) - 120, 0}, {time(NULL) - 120, 0}};
	for (const char* name : {".a.jpg.glim~old001", ".hidden-photo.jpg", ".b.jpg.glim~lnk001"})
		ASSERT_EQ(utimensat(AT_FDCWD, (dir / name).c_str(), old, AT_SYMLINK_NOFOLLOW), 0);

	EXPECT_EQ(remove_stale_temporaries(dir.Path().c_str()), 1);
	EXPECT_FALSE(Exists(dir / ".a.jpg.glim~old001"));
	EXPECT_TRUE(Exists(dir / ".a.jpg.glim~new001"));
	EXPECT_TRUE(Exists(dir / ".hidden-photo.jpg"));
	struct stat st;
	EXPECT_EQ(lstat((dir / ".b.jpg.glim~lnk001").c_str(), &st), 0);
}
