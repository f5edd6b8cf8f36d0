#include <File.h>

#include <cstring>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <Directory.h>
#include <Entry.h>

#include "TestSupport.h"

using namespace glim_test;

TEST(FileTest, OpenModes)
{
	TempDir dir;
	std::string path = dir / "a.jpg";

	EXPECT_EQ(BFile(path.c_str(), B_READ_ONLY).InitCheck(), B_ENTRY_NOT_FOUND);
	{
		BFile created(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE);
		ASSERT_EQ(created.InitCheck(), B_OK);
		EXPECT_EQ(created.Write("hello", 5), 5);
		char c;
		EXPECT_LT(created.Read(&c, 1), 0);
	}
	EXPECT_EQ(BFile(path.c_str(), B_READ_WRITE | B_FAIL_IF_EXISTS).InitCheck(), B_FILE_EXISTS);
	EXPECT_EQ(ReadText(path), "hello");
	{
		BFile appender(path.c_str(), B_WRITE_ONLY | B_OPEN_AT_END);
		EXPECT_EQ(appender.Write(" world", 6), 6);
	}
	EXPECT_EQ(ReadText(path), "hello world");

	// Folders are not files, whatever the mode; neither are FIFOs, which
	// must not block the caller.
	EXPECT_EQ(BFile(dir.Path().c_str(), B_READ_ONLY).InitCheck(), B_IS_A_DIRECTORY);
	ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
	EXPECT_EQ(BFile((dir / "fifo").c_str(), B_READ_ONLY).InitCheck(), B_BAD_TYPE);
	EXPECT_EQ(BFile((const char*)nullptr, B_READ_ONLY).InitCheck(), B_BAD_VALUE);
}

TEST(FileTest, ReadWriteSeekAndPositions)
{
	TempDir dir;
	BFile file((dir / "data").c_str(), B_READ_WRITE | B_CREATE_FILE);
	ASSERT_EQ(file.InitCheck(), B_OK);

	EXPECT_EQ(file.Write("0123456789", 10), 10);
	EXPECT_EQ(file.Position(), 10);
	EXPECT_EQ(file.Seek(2, SEEK_SET), 2);
	char buffer[16] = {};
	EXPECT_EQ(file.Read(buffer, 3), 3);
	EXPECT_STREQ(buffer, "234");
	EXPECT_EQ(file.Seek(-1, SEEK_END), 9);
	EXPECT_EQ(file.Seek(-2, SEEK_CUR), 7);
	EXPECT_LT(file.Seek(-100, SEEK_CUR), 0);
	EXPECT_EQ(file.Position(), 7);

	// Positioned reads and writes leave the position alone.
	EXPECT_EQ(file.WriteAt(12, "AB", 2), 2);
	EXPECT_EQ(file.Position(), 7);
	memset(buffer, 0, sizeof(buffer));
	EXPECT_EQ(file.ReadAt(8, buffer, 16), 6);
	EXPECT_EQ(std::string(buffer, 6), std::string("89\0\0AB", 6));
	EXPECT_EQ(file.ReadAt(100, buffer, 4), 0);
	EXPECT_EQ(file.ReadAt(-1, buffer, 4), B_BAD_VALUE);

	EXPECT_EQ(file.SetSize(4), B_OK);
	off_t size;
	EXPECT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 4);
	EXPECT_EQ(file.Seek(0, SEEK_SET), 0);
	EXPECT_EQ(file.Read(buffer, 16), 4);
	EXPECT_EQ(file.Read(buffer, 16), 0);

	BFile unset;
	EXPECT_EQ(unset.Read(buffer, 1), B_NO_INIT);
	EXPECT_EQ(unset.GetSize(&size), B_NO_INIT);
}

TEST(FileTest, OpenedFromRefsEntriesAndFolders)
{
	TempDir dir;
	MakeDirs(dir / "sub");
	WriteFile(dir / "sub/a.jpg", "A");

	BDirectory folder((dir / "sub").c_str());
	BFile relative(&folder, "a.jpg", B_READ_ONLY);
	ASSERT_EQ(relative.InitCheck(), B_OK);
	EXPECT_EQ(relative._Path(), dir / "sub/a.jpg");
	BFile absolute(&folder, (dir / "sub/a.jpg").c_str(), B_READ_ONLY);
	EXPECT_EQ(absolute.InitCheck(), B_OK);
	EXPECT_EQ(BFile(&folder, "missing", B_READ_ONLY).InitCheck(), B_ENTRY_NOT_FOUND);
	BDirectory unset;
	EXPECT_EQ(BFile(&unset, "a.jpg", B_READ_ONLY).InitCheck(), B_NO_INIT);

	BEntry entry((dir / "sub/a.jpg").c_str());
	BFile fromEntry(&entry, B_READ_ONLY);
	EXPECT_EQ(fromEntry.InitCheck(), B_OK);
	entry_ref ref;
	ASSERT_EQ(entry.GetRef(&ref), B_OK);
	BFile fromRef(&ref, B_READ_ONLY);
	char c = 0;
	EXPECT_EQ(fromRef.Read(&c, 1), 1);
	EXPECT_EQ(c, 'A');
	EXPECT_TRUE(fromRef == fromEntry);

	fromRef.Unset();
	EXPECT_EQ(fromRef.InitCheck(), B_NO_INIT);
}
