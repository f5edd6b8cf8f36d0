#include <Path.h>

#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include <Directory.h>
#include <Entry.h>

#include "TestSupport.h"

using glim_test::TempDir;

TEST(PathTest, TakesCleanPathsAsTheyAre)
{
	// No file system access: the path need not exist.
	BPath path("/no/such/folder/image.jpg");
	ASSERT_EQ(path.InitCheck(), B_OK);
	EXPECT_STREQ(path.Path(), "/no/such/folder/image.jpg");
	EXPECT_STREQ(path.Leaf(), "image.jpg");

	BPath parent;
	ASSERT_EQ(path.GetParent(&parent), B_OK);
	EXPECT_STREQ(parent.Path(), "/no/such/folder");
	ASSERT_EQ(parent.Append("other.png"), B_OK);
	EXPECT_STREQ(parent.Path(), "/no/such/folder/other.png");
	EXPECT_EQ(parent.Append("/absolute"), B_BAD_VALUE);

	BPath joined("/a/b", "c.jpg");
	EXPECT_STREQ(joined.Path(), "/a/b/c.jpg");
	EXPECT_EQ(BPath("/a", "/c").InitCheck(), B_BAD_VALUE);

	BPath root("/");
	EXPECT_STREQ(root.Leaf(), "");
	EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
	BPath top("/usr");
	ASSERT_EQ(top.GetParent(&parent), B_OK);
	EXPECT_STREQ(parent.Path(), "/");

	BPath unset;
	EXPECT_EQ(unset.InitCheck(), B_NO_INIT);
	EXPECT_EQ(unset.Path(), nullptr);
	EXPECT_EQ(unset.Leaf(), nullptr);
	EXPECT_EQ(BPath((const char*)nullptr).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BPath("").InitCheck(), B_BAD_VALUE);
	EXPECT_TRUE(BPath("/x") == "/x");
	EXPECT_TRUE(BPath("/x") != BPath("/y"));
}

TEST(PathTest, NormalisesRelativeAndUntidyPaths)
{
	TempDir dir;
	glim_test::MakeDirs(dir / "real/sub");
	ASSERT_EQ(symlink("real", (dir / "link").c_str()), 0);

	EXPECT_STREQ(BPath((dir / "real/sub/../x.jpg").c_str()).Path(),
		(dir / "real/x.jpg").c_str());
	EXPECT_STREQ(BPath((dir / "real//sub/").c_str()).Path(), (dir / "real/sub").c_str());
	EXPECT_STREQ(BPath((dir / "real/./sub").c_str()).Path(), (dir / "real/sub").c_str());
	// Asked to, links in the folder part are resolved; the leaf is kept.
	EXPECT_STREQ(BPath((dir / "link/new.jpg").c_str(), NULL, true).Path(),
		(dir / "real/new.jpg").c_str());
	EXPECT_STREQ(BPath((dir / "link").c_str(), NULL, true).Path(), (dir / "link").c_str());
	EXPECT_EQ(BPath((dir / "missing/../x").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BPath((dir / "missing/x").c_str(), NULL, true).InitCheck(), B_ENTRY_NOT_FOUND);

	char* previous = getcwd(NULL, 0);
	ASSERT_EQ(chdir((dir / "real").c_str()), 0);
	EXPECT_STREQ(BPath("sub/a.jpg").Path(), (dir / "real/sub/a.jpg").c_str());
	ASSERT_EQ(chdir(previous), 0);
	free(previous);
}

TEST(PathTest, FromEntriesAndFolders)
{
	TempDir dir;
	glim_test::WriteFile(dir / "a.jpg", "");
	BEntry entry((dir / "a.jpg").c_str());
	EXPECT_STREQ(BPath(&entry).Path(), (dir / "a.jpg").c_str());
	BDirectory folder(dir.Path().c_str());
	EXPECT_STREQ(BPath(&folder, "b.jpg").Path(), (dir / "b.jpg").c_str());

	BEntry unset;
	EXPECT_EQ(BPath(&unset).InitCheck(), B_NO_INIT);
	EXPECT_EQ(BPath((const BEntry*)nullptr).InitCheck(), B_BAD_VALUE);
}
