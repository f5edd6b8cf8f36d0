#include <Directory.h>

#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include <Entry.h>

#include "TestSupport.h"

using glim_test::TempDir;

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
