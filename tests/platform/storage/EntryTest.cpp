#include <Entry.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <Directory.h>
#include <File.h>
#include <FindDirectory.h>
#include <Path.h>
#include <StorageDefs.h>

#include "TestSupport.h"

using namespace glim_test;

namespace {

std::string
EntryPath(const BEntry& entry)
{
	BPath path;
	return entry.GetPath(&path) == B_OK ? path.Path() : "<none>";
}

mode_t
Type(const BEntry& entry)
{
	struct stat st;
	return entry.GetStat(&st) == B_OK ? st.st_mode & S_IFMT : 0;
}

} // namespace

TEST(EntryTest, EntryRefCopiesCompareAndCarryTheFolderPath)
{
	entry_ref empty;
	EXPECT_EQ(empty.name, nullptr);
	entry_ref ref(3, 42, "a.jpg");
	ASSERT_EQ(ref._SetDirectoryPath("/some/folder"), B_OK);
	entry_ref copy(ref);
	EXPECT_TRUE(copy == ref);
	EXPECT_STREQ(copy._DirectoryPath(), "/some/folder");
	EXPECT_NE(copy.name, ref.name);

	ASSERT_EQ(copy.set_name("b.jpg"), B_OK);
	EXPECT_TRUE(copy != ref);
	EXPECT_TRUE(ref < copy);
	copy = ref;
	copy = copy;
	EXPECT_TRUE(copy == ref);
	EXPECT_STREQ(copy.name, "a.jpg");
	EXPECT_FALSE(entry_ref(3, 43, "a.jpg") == ref);
	ASSERT_EQ(copy.set_name(nullptr), B_OK);
	EXPECT_EQ(copy.name, nullptr);
	empty = ref;
	EXPECT_STREQ(empty._DirectoryPath(), "/some/folder");
}

TEST(EntryTest, EntriesExistingAndNot)
{
	TempDir dir;
	std::string file = dir / "photo.jpg";
	WriteFile(file, "jpeg");

	BEntry entry(file.c_str());
	ASSERT_EQ(entry.InitCheck(), B_OK);
	EXPECT_TRUE(entry.Exists());
	EXPECT_EQ(Type(entry), S_IFREG);
	char name[B_FILE_NAME_LENGTH];
	ASSERT_EQ(entry.GetName(name), B_OK);
	EXPECT_STREQ(name, "photo.jpg");
	EXPECT_EQ(EntryPath(entry), file);

	// A name not yet there, in a folder that is, is a valid entry.
	BEntry future((dir / "new.png").c_str());
	EXPECT_EQ(future.InitCheck(), B_OK);
	EXPECT_FALSE(future.Exists());
	entry_ref ref;
	EXPECT_EQ(future.GetRef(&ref), B_OK);
	EXPECT_STREQ(ref.name, "new.png");

	EXPECT_EQ(BEntry((dir / "missing/x.png").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BEntry((file + "/x").c_str()).InitCheck(), B_NOT_A_DIRECTORY);
	EXPECT_EQ(BEntry((const char*)nullptr).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BEntry("").InitCheck(), B_ENTRY_NOT_FOUND);

	BEntry parent;
	ASSERT_EQ(entry.GetParent(&parent), B_OK);
	EXPECT_EQ(EntryPath(parent), dir.Path());
	EXPECT_EQ(Type(parent), S_IFDIR);
	BDirectory folder;
	ASSERT_EQ(entry.GetParent(&folder), B_OK);
	EXPECT_EQ(folder._Path(), dir.Path());

	BEntry root("/");
	ASSERT_EQ(root.InitCheck(), B_OK);
	EXPECT_EQ(EntryPath(root), "/");
	ASSERT_EQ(root.GetName(name), B_OK);
	EXPECT_STREQ(name, "/");
	EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(EntryPath(BEntry((dir / "sub/..").c_str())), "<none>");
	MakeDirs(dir / "sub");
	EXPECT_EQ(EntryPath(BEntry((dir / "sub/..").c_str())), dir.Path());
	EXPECT_EQ(EntryPath(BEntry((dir.Path() + "//sub/").c_str())), dir / "sub");
}

TEST(EntryTest, LinksAreFollowedOnlyWhenAsked)
{
	TempDir dir;
	MakeDirs(dir / "real");
	WriteFile(dir / "real/a.jpg", "");
	ASSERT_EQ(symlink("real/a.jpg", (dir / "link.jpg").c_str()), 0);
	ASSERT_EQ(symlink("real", (dir / "folder-link").c_str()), 0);
	ASSERT_EQ(symlink("nowhere", (dir / "broken").c_str()), 0);

	BEntry link((dir / "link.jpg").c_str());
	EXPECT_TRUE(link.IsSymLink());
	EXPECT_EQ(EntryPath(link), dir / "link.jpg");
	BEntry followed((dir / "link.jpg").c_str(), true);
	EXPECT_EQ(Type(followed), S_IFREG);
	EXPECT_EQ(EntryPath(followed), dir / "real/a.jpg");

	// Links in the folder part are resolved either way.
	EXPECT_EQ(EntryPath(BEntry((dir / "folder-link/a.jpg").c_str())), dir / "real/a.jpg");

	EXPECT_TRUE(BEntry((dir / "broken").c_str()).IsSymLink());
	EXPECT_NE(BEntry((dir / "broken").c_str(), true).InitCheck(), B_OK);
}

TEST(EntryTest, RefsLeadBackToTheEntry)
{
	TempDir dir;
	std::string file = dir / "a.jpg";
	WriteFile(file, "bytes");

	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(file.c_str(), &ref), B_OK);
	struct stat folder;
	ASSERT_EQ(stat(dir.Path().c_str(), &folder), 0);
	EXPECT_EQ(ref.device, folder.st_dev);
	EXPECT_EQ(ref.directory, folder.st_ino);
	EXPECT_STREQ(ref.name, "a.jpg");

	BEntry entry(&ref);
	EXPECT_EQ(EntryPath(entry), file);
	BFile opened(&ref, B_READ_ONLY);
	char buffer[5];
	EXPECT_EQ(opened.Read(buffer, 5), 5);
	EXPECT_EQ(BPath(&ref), BPath(file.c_str()));

	entry_ref missing;
	EXPECT_EQ(get_ref_for_path((dir / "later.jpg").c_str(), &missing), B_OK);
	EXPECT_EQ(get_ref_for_path((dir / "no/later.jpg").c_str(), &missing), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(get_ref_for_path(nullptr, &missing), B_BAD_VALUE);
	EXPECT_EQ(get_ref_for_path(file.c_str(), nullptr), B_BAD_VALUE);

	// A ref without a folder path, or whose folder was replaced, leads
	// nowhere rather than to another file.
	entry_ref bare(ref.device, ref.directory, "a.jpg");
	EXPECT_EQ(BEntry(&bare).InitCheck(), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(rename(dir.Path().c_str(), (dir.Path() + "-moved").c_str()), 0);
	MakeDirs(dir.Path());
	WriteFile(file, "other");
	EXPECT_EQ(BEntry(&ref).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_NE(BFile(&ref, B_READ_ONLY).InitCheck(), B_OK);
	std::filesystem::remove_all(dir.Path() + "-moved");
}

TEST(EntryTest, RenameMoveAndRemove)
{
	TempDir dir;
	MakeDirs(dir / "target");
	WriteFile(dir / "a.jpg", "A");
	WriteFile(dir / "target/a.jpg", "old");
	BDirectory target((dir / "target").c_str());

	BEntry entry((dir / "a.jpg").c_str());
	EXPECT_EQ(entry.MoveTo(&target), B_FILE_EXISTS);
	EXPECT_EQ(ReadText(dir / "a.jpg"), "A");
	EXPECT_EQ(ReadText(dir / "target/a.jpg"), "old");

	ASSERT_EQ(entry.MoveTo(&target, "b.jpg"), B_OK);
	EXPECT_EQ(EntryPath(entry), dir / "target/b.jpg");
	EXPECT_FALSE(Exists(dir / "a.jpg"));
	ASSERT_EQ(entry.MoveTo(&target, "a.jpg", true), B_OK);
	EXPECT_EQ(ReadText(dir / "target/a.jpg"), "A");
	EXPECT_EQ(entry.MoveTo(nullptr), B_BAD_VALUE);

	ASSERT_EQ(entry.Rename("c.jpg"), B_OK);
	EXPECT_EQ(EntryPath(entry), dir / "target/c.jpg");
	EXPECT_EQ(entry.Rename((dir / "d.jpg").c_str()), B_OK);
	EXPECT_EQ(ReadText(dir / "d.jpg"), "A");

	ASSERT_EQ(entry.Remove(), B_OK);
	EXPECT_FALSE(entry.Exists());
	EXPECT_EQ(entry.InitCheck(), B_OK);
	EXPECT_EQ(entry.Remove(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(entry.MoveTo(&target), B_ENTRY_NOT_FOUND);

	BEntry folder((dir / "target").c_str());
	WriteFile(dir / "target/e.jpg", "");
	EXPECT_EQ(folder.Remove(), B_DIRECTORY_NOT_EMPTY);
	unlink((dir / "target/e.jpg").c_str());
	EXPECT_EQ(folder.Remove(), B_OK);
}

TEST(EntryTest, MovingToTheTrashWritesItsInfo)
{
	TempDir dir;
	ScopedVariable dataHome("XDG_DATA_HOME", (dir / "data").c_str());
	std::string original = dir / "my photo 100%\xe9.jpg";
	WriteFile(original, "jpeg");
	BPath files;
	ASSERT_EQ(find_directory(B_TRASH_DIRECTORY, &files), B_OK);
	std::string info = files.Path() / std::string("../info");
	BDirectory trash(files.Path());
	ASSERT_EQ(trash.InitCheck(), B_OK);

	BEntry entry(original.c_str());
	ASSERT_EQ(entry.MoveTo(&trash, NULL, false), B_OK);
	EXPECT_FALSE(Exists(original));
	EXPECT_EQ(ReadText(files.Path() / std::string("my photo 100%\xe9.jpg")), "jpeg");

	// Bytes that are not UTF-8 are kept, percent-encoded.
	std::string text = ReadText(info / "my photo 100%\xe9.jpg.trashinfo");
	std::string expected = "[Trash Info]\nPath=" + dir.Path()
		+ "/my%20photo%20100%25%E9.jpg\nDeletionDate=";
	ASSERT_EQ(text.compare(0, expected.size(), expected), 0) << text;
	std::string date = text.substr(expected.size());
	EXPECT_TRUE(
		std::regex_match(date, std::regex("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")))
		<< text;

	// An info file left without its entry does not block the name.
	WriteFile(info / "left.jpg.trashinfo", "stale");
	WriteFile(dir / "left.jpg", "");
	BEntry left((dir / "left.jpg").c_str());
	ASSERT_EQ(left.MoveTo(&trash), B_OK);
	EXPECT_NE(ReadText(info / "left.jpg.trashinfo").find("Path=" + dir.Path() + "/left.jpg\n"),
		std::string::npos);
}

// Paths longer than any fixed buffer: made, listed, and opened by ref.
TEST(EntryTest, LongPathsWorkEndToEnd)
{
	TempDir dir;
	std::string deep = dir.Path();
	while (deep.size() < 2500)
		deep += "/" + std::string(200, 'f');
	MakeDirs(deep);
	BDirectory folder(deep.c_str());
	ASSERT_EQ(folder.InitCheck(), B_OK);
	WriteFile(deep / "image.jpg", "bytes");

	BEntry entry;
	ASSERT_EQ(folder.GetNextEntry(&entry), B_OK);
	EXPECT_EQ(EntryPath(entry), deep / "image.jpg");
	entry_ref ref;
	ASSERT_EQ(entry.GetRef(&ref), B_OK);
	BFile reopened(&ref, B_READ_ONLY);
	char buffer[5];
	ASSERT_EQ(reopened.Read(buffer, 5), 5);
	EXPECT_EQ(std::string(buffer, 5), "bytes");
}

// The mode, times and attributes of a file moved across devices are checked
// with every other move in FileSafetyTest.
TEST(CrossDeviceTest, FilesAreCopiedThenTheSourceRemoved)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting is not permitted";
	TempDir dir;
	std::string point = Mount(dir.Path(), "tmpfs", "size=4m");
	ASSERT_FALSE(point.empty());
	std::string source = dir / "a.jpg";
	WriteFile(source, std::string(300000, 'j'));
	BDirectory target(point.c_str());
	BEntry entry(source.c_str());
	EXPECT_EQ(entry.MoveTo(&target), B_OK);
	EXPECT_FALSE(Exists(source));
	EXPECT_EQ(EntryPath(entry), point + "/a.jpg");
	EXPECT_EQ(ReadText(point + "/a.jpg"), std::string(300000, 'j'));
	EXPECT_EQ(ListFolder(point), std::vector<std::string>{"a.jpg"});

	// No clobbering across devices either; folders do not cross.
	WriteFile(source, "again");
	EXPECT_EQ(BEntry(source.c_str()).MoveTo(&target), B_FILE_EXISTS);
	EXPECT_EQ(ReadText(source), "again");
	MakeDirs(dir / "folder");
	BEntry folder((dir / "folder").c_str());
	EXPECT_EQ(folder.MoveTo(&target), B_CROSS_DEVICE_LINK);

	// A link moves as a link.
	EXPECT_EQ(symlink("a.jpg", (dir / "link").c_str()), 0);
	BEntry link((dir / "link").c_str());
	EXPECT_EQ(link.MoveTo(&target), B_OK);
	EXPECT_TRUE(link.IsSymLink());
	EXPECT_EQ(ReadText(point + "/link"), std::string(300000, 'j'));
	Unmount(point);
}
