#include "foldertree/FileListItem.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

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
