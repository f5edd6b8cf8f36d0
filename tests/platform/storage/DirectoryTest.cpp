#include <Directory.h>

#include <algorithm>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <Entry.h>
#include <File.h>
#include <Path.h>

#include "TestSupport.h"

using glim_test::TempDir;

namespace {

std::vector<std::string>
ReaddirOrder(const std::string& folder)
{
	std::vector<std::string> names;
	DIR* stream = opendir(folder.c_str());
	while (struct dirent* entry = readdir(stream)) {
		std::string name = entry->d_name;
		if (name != "." && name != "..")
			names.push_back(name);
	}
	closedir(stream);
	return names;
}

std::string
Name(const BEntry& entry)
{
	char name[B_FILE_NAME_LENGTH];
	return entry.GetName(name) == B_OK ? name : "<none>";
}

} // namespace

TEST(DirectoryTest, IteratesEveryEntryInTheFoldersOrder)
{
	TempDir dir;
	for (const char* name : {"b.jpg", "A.png", ".hidden", "z"})
		glim_test::WriteFile(dir / name, "");
	glim_test::MakeDirs(dir / "sub");
	ASSERT_EQ(symlink("nowhere", (dir / "broken").c_str()), 0);

	BDirectory folder(dir.Path().c_str());
	ASSERT_EQ(folder.InitCheck(), B_OK);
	EXPECT_EQ(folder.CountEntries(), 6);

	std::vector<std::string> names;
	BEntry entry;
	ASSERT_EQ(folder.GetNextEntry(&entry), B_OK);
	names.push_back(Name(entry));
	// Counting does not move the iteration.
	EXPECT_EQ(folder.CountEntries(), 6);
	while (folder.GetNextEntry(&entry) == B_OK) {
		names.push_back(Name(entry));
		EXPECT_EQ(entry.InitCheck(), B_OK);
	}
	EXPECT_EQ(names, ReaddirOrder(dir.Path()));
	EXPECT_EQ(folder.GetNextEntry(&entry), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(entry.InitCheck(), B_NO_INIT);

	ASSERT_EQ(folder.Rewind(), B_OK);
	std::vector<std::string> again;
	entry_ref ref;
	while (folder.GetNextRef(&ref) == B_OK) {
		again.push_back(ref.name);
		EXPECT_STREQ(ref._DirectoryPath(), dir.Path().c_str());
	}
	EXPECT_EQ(again, names);

	// The broken link is there as a link.
	folder.Rewind();
	bool sawLink = false;
	while (folder.GetNextEntry(&entry) == B_OK)
		sawLink = sawLink || (Name(entry) == "broken" && entry.IsSymLink());
	EXPECT_TRUE(sawLink);

	TempDir empty("empty");
	BDirectory none(empty.Path().c_str());
	EXPECT_EQ(none.CountEntries(), 0);
	EXPECT_EQ(none.GetNextEntry(&entry), B_ENTRY_NOT_FOUND);
}

TEST(DirectoryTest, OpensOnlyFolders)
{
	TempDir dir;
	glim_test::WriteFile(dir / "file", "");
	glim_test::MakeDirs(dir / "real");
	ASSERT_EQ(symlink("real", (dir / "link").c_str()), 0);

	EXPECT_EQ(BDirectory((dir / "file").c_str()).InitCheck(), B_NOT_A_DIRECTORY);
	EXPECT_EQ(BDirectory((dir / "missing").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BDirectory((const char*)nullptr).InitCheck(), B_BAD_VALUE);

	// Through a link, to the folder itself.
	BDirectory linked((dir / "link").c_str());
	ASSERT_EQ(linked.InitCheck(), B_OK);
	EXPECT_EQ(linked._Path(), dir / "real");

	BEntry entry((dir / "real").c_str());
	BDirectory fromEntry(&entry);
	EXPECT_EQ(fromEntry.InitCheck(), B_OK);
	entry_ref ref;
	ASSERT_EQ(entry.GetRef(&ref), B_OK);
	EXPECT_EQ(BDirectory(&ref).InitCheck(), B_OK);
	BDirectory parent(dir.Path().c_str());
	EXPECT_EQ(BDirectory(&parent, "real").InitCheck(), B_OK);
	EXPECT_EQ(BDirectory(&parent, "file").InitCheck(), B_NOT_A_DIRECTORY);

	BEntry self;
	ASSERT_EQ(fromEntry.GetEntry(&self), B_OK);
	EXPECT_TRUE(self == entry);

	BDirectory copy(fromEntry);
	EXPECT_TRUE(copy == fromEntry);
	EXPECT_EQ(copy._Path(), dir / "real");
}

TEST(DirectoryTest, NodeRefsFindTheFolderAgain)
{
	TempDir dir;
	glim_test::MakeDirs(dir / "watched");
	BDirectory folder((dir / "watched").c_str());
	node_ref ref;
	ASSERT_EQ(folder.GetNodeRef(&ref), B_OK);
	EXPECT_EQ(ref._Path(), dir / "watched");

	BDirectory again(&ref);
	ASSERT_EQ(again.InitCheck(), B_OK);
	EXPECT_TRUE(again == folder);

	// Another folder at the same path is not the node the ref names.
	ASSERT_EQ(rename((dir / "watched").c_str(), (dir / "old").c_str()), 0);
	glim_test::MakeDirs(dir / "watched");
	EXPECT_EQ(BDirectory(&ref).InitCheck(), B_ENTRY_NOT_FOUND);
	node_ref pathless(ref.device, ref.node);
	EXPECT_EQ(BDirectory(&pathless).InitCheck(), B_ENTRY_NOT_FOUND);
}

TEST(DirectoryTest, CreatesFilesAndFolders)
{
	TempDir dir;
	BDirectory folder(dir.Path().c_str());

	BFile file;
	ASSERT_EQ(folder.CreateFile("new.png", &file), B_OK);
	EXPECT_TRUE(file.IsWritable());
	EXPECT_TRUE(file.IsReadable());
	ASSERT_EQ(file.Write("data", 4), 4);
	file.Unset();

	// Again: the existing file is emptied, or kept when asked to fail.
	EXPECT_EQ(folder.CreateFile("new.png", &file, true), B_FILE_EXISTS);
	EXPECT_EQ(file.InitCheck(), B_FILE_EXISTS);
	EXPECT_EQ(glim_test::ReadFile(dir / "new.png").size(), 4u);
	ASSERT_EQ(folder.CreateFile("new.png", &file), B_OK);
	EXPECT_EQ(glim_test::ReadFile(dir / "new.png").size(), 0u);
	EXPECT_EQ(folder.CreateFile("other", NULL), B_OK);
	EXPECT_TRUE(glim_test::Exists(dir / "other"));

	// A missing name leaves the file failed.
	EXPECT_EQ(folder.CreateFile(NULL, &file), B_BAD_VALUE);
	EXPECT_NE(file.InitCheck(), B_OK);

	BDirectory sub;
	ASSERT_EQ(folder.CreateDirectory("sub", &sub), B_OK);
	EXPECT_EQ(sub._Path(), dir / "sub");
	EXPECT_EQ(folder.CreateDirectory("sub", &sub), B_FILE_EXISTS);

	EXPECT_EQ(create_directory((dir / "a/b/c").c_str(), 0755), B_OK);
	EXPECT_TRUE(BEntry((dir / "a/b/c").c_str()).IsDirectory());
	EXPECT_EQ(create_directory((dir / "a/b/c").c_str(), 0755), B_OK);
	EXPECT_EQ(create_directory((dir / "other/x").c_str(), 0755), B_NOT_A_DIRECTORY);
	EXPECT_EQ(create_directory(NULL, 0755), B_BAD_VALUE);
}

TEST(DirectoryTest, ContainsFindEntryAndRoots)
{
	TempDir dir;
	glim_test::MakeDirs(dir / "sub/deeper");
	glim_test::WriteFile(dir / "sub/deeper/a.jpg", "");
	ASSERT_EQ(symlink("deeper", (dir / "sub/link").c_str()), 0);
	BDirectory folder((dir / "sub").c_str());

	EXPECT_TRUE(folder.Contains("deeper"));
	EXPECT_TRUE(folder.Contains("deeper/a.jpg", B_FILE_NODE));
	EXPECT_FALSE(folder.Contains("deeper/a.jpg", B_DIRECTORY_NODE));
	EXPECT_TRUE(folder.Contains("link", B_SYMLINK_NODE));
	EXPECT_FALSE(folder.Contains("missing"));
	EXPECT_TRUE(folder.Contains((dir / "sub/deeper/a.jpg").c_str()));
	EXPECT_FALSE(folder.Contains(dir.Path().c_str()));
	BEntry outside((dir / "sub").c_str());
	EXPECT_FALSE(folder.Contains(&outside));

	BEntry found;
	EXPECT_EQ(folder.FindEntry("deeper/a.jpg", &found), B_OK);
	EXPECT_TRUE(found.IsFile());
	EXPECT_EQ(folder.FindEntry("nothing", &found), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(found.InitCheck(), B_NO_INIT);

	EXPECT_FALSE(folder.IsRootDirectory());
	EXPECT_TRUE(BDirectory("/").IsRootDirectory());
	if (glim_test::CanMount()) {
		std::string point = glim_test::Mount(dir.Path(), "tmpfs", "size=64k");
		EXPECT_TRUE(BDirectory(point.c_str()).IsRootDirectory());
		glim_test::Unmount(point);
	}
}
