#include "foldertree/FileListItem.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

TEST(FileListItemTest, GetPathHandsOutACopyTheCallerOwns)
{
	char path[] = "/data/pics";
	BFileListItem item(path, "pics");
	// The item keeps its own copy, whatever becomes of the caller's buffer.
	path[1] = 'X';
	char* copy = reinterpret_cast<char*>(1);
	item.GetPath(&copy);
	ASSERT_NE(copy, nullptr);
	EXPECT_STREQ(copy, "/data/pics");
	EXPECT_NE(copy, item.Path());
	copy[0] = 'Y';
	EXPECT_STREQ(item.Path(), "/data/pics");
	delete[] copy;
	EXPECT_STREQ(item.Text(), "pics");
	EXPECT_TRUE(item.IsExpanded());
	EXPECT_EQ(item.OutlineLevel(), 0u);
}

TEST(FileListItemTest, NullPointersThrowTheirMessage)
{
	auto thrown = [](const std::function<void()>& call) -> std::string {
		try {
			call();
		} catch (const char* message) {
			return message;
		}
		return "(nothing thrown)";
	};
	BFileListItem item("/data", "data");
	EXPECT_EQ(thrown([&] { item.GetPath(NULL); }), "Invalid pointer");
	EXPECT_EQ(thrown([] { BFileListItem none(NULL, "none"); }), "Invalid pointer");
}

TEST(FileListItemTest, SortDirectoryItemsComparesTextsByteForByte)
{
	struct Case {
		const char* first;
		const char* second;
		int sign;
	} cases[] = {
		{"alpha", "beta", -1}, {"Zeta", "alpha", -1}, // upper case before lower case
		{"pic", "pics", -1}, {"pics", "pic", 1}, {"same", "same", 0}, {"", "a", -1},
		{".hidden", "a", -1}, {"a b", "a-b", -1},
		{"\xc3\xa9t\xc3\xa9", "zoo", 1}, // UTF-8 bytes sort after ASCII
		{"\xff", "\x7f", 1}, // unsigned bytes, not signed chars
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(std::string(test.first) + " vs " + test.second);
		BFileListItem first("/x", test.first);
		BFileListItem second("/y", test.second);
		int result = SortDirectoryItems(&first, &second);
		EXPECT_EQ((result > 0) - (result < 0), test.sign);
	}
}
