#include <Node.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <sys/xattr.h>

#include <gtest/gtest.h>

#include <File.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include "TestSupport.h"

using glim_test::TempDir;

namespace {

std::string
RandomBytes(size_t size, unsigned seed)
{
	std::mt19937 generator(seed);
	std::string bytes(size, '\0');
	for (char& c : bytes)
		c = (char)(generator() & 0xff);
	return bytes;
}

// The attribute as its type code's four characters, a space and its whole
// value; "<missing>" when there is none.
std::string
Stored(const BNode& node, const char* name)
{
	attr_info info;
	if (node.GetAttrInfo(name, &info) != B_OK)
		return "<missing>";
	std::string value(info.size, '\0');
	if (node.ReadAttr(name, 0, 0, value.data(), value.size()) != info.size)
		return "<short read>";
	uint32 code = htonl(info.type);
	return std::string((const char*)&code, 4) + " " + value;
}

// The raw attribute names on the file, sorted, as other tools list them.
std::vector<std::string>
RawNames(const std::string& path)
{
	std::string buffer(65536, '\0');
	ssize_t size = llistxattr(path.c_str(), buffer.data(), buffer.size());
	std::vector<std::string> names;
	for (ssize_t offset = 0; offset < size; offset += names.back().size() + 1)
		names.push_back(buffer.data() + offset);
	std::sort(names.begin(), names.end());
	return names;
}

// The largest value a raw setxattr of name, not yet on the file, accepts;
// the file is left without it.
size_t
LargestValueThatFits(const std::string& path, const std::string& name)
{
	size_t low = 0, high = 65536;
	while (low < high) {
		size_t middle = (low + high + 1) / 2;
		std::string value(middle, 'x');
		if (setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0)
			low = middle;
		else
			high = middle - 1;
		removexattr(path.c_str(), name.c_str());
	}
	return low;
}

} // namespace

TEST(NodeTest, WritesReplaceOrPatchAndReadsTakeWhatFits)
{
	TempDir dir;
	std::string path = dir / "settings";
	glim_test::WriteFile(path, "");
	BNode node(path.c_str());

	ASSERT_EQ(node.WriteAttr("Key", B_STRING_TYPE, 0, "abcdef", 7), 7);
	// Offset 0 replaces the whole value, type included.
	ASSERT_EQ(node.WriteAttr("Key", B_RAW_TYPE, 0, "xy", 2), 2);
	EXPECT_EQ(Stored(node, "Key"), "RAWT xy");

	// A later offset changes that part and keeps the rest, filling a gap
	// with zeros.
	ASSERT_EQ(node.WriteAttr("Key", B_RAW_TYPE, 1, "Z", 1), 1);
	EXPECT_EQ(Stored(node, "Key"), "RAWT xZ");
	ASSERT_EQ(node.WriteAttr("Key", B_RAW_TYPE, 4, "!", 1), 1);
	EXPECT_EQ(Stored(node, "Key"), std::string("RAWT xZ\0\0!", 10));

	// A short buffer gets the start; an offset reads from there; past the
	// end there is nothing.
	char buffer[8] = {};
	EXPECT_EQ(node.ReadAttr("Key", 0, 0, buffer, 2), 2);
	EXPECT_EQ(std::string(buffer, 2), "xZ");
	EXPECT_EQ(node.ReadAttr("Key", 0, 4, buffer, 8), 1);
	EXPECT_EQ(buffer[0], '!');
	EXPECT_EQ(node.ReadAttr("Key", 0, 5, buffer, 8), 0);

	// A missing attribute fails and leaves the caller's buffer alone.
	int32 value = 5;
	EXPECT_LT(node.ReadAttr("Missing", 0, 0, &value, 4), 0);
	EXPECT_EQ(value, 5);
	EXPECT_EQ(Stored(node, "Missing"), "<missing>");

	// An empty value exists, with its type.
	ASSERT_EQ(node.WriteAttr("Empty", B_STRING_TYPE, 0, "", 0), 0);
	EXPECT_EQ(Stored(node, "Empty"), "CSTR ");
}

TEST(NodeTest, ForeignAttributesReadAsRawAndRemovingTakesTheTypeAlong)
{
	TempDir dir;
	std::string path = dir / "photo.png";
	glim_test::WriteFile(path, "");
	// Written by another tool: no companion.
	ASSERT_EQ(setxattr(path.c_str(), "user.xdg.comment", "hi", 2, 0), 0);
	ASSERT_EQ(setxattr(path.c_str(), "user.mime_type", "image/png", 9, 0), 0);

	BNode node(path.c_str());
	int32 width = 96;
	ASSERT_EQ(node.WriteAttr("GLIM:Thumbsize", B_INT32_TYPE, 0, &width, 4), 4);
	// Other tools see the type as text in its companion.
	char companion[8];
	ASSERT_EQ(lgetxattr(path.c_str(), "user.type:GLIM:Thumbsize", companion, 8), 4);
	EXPECT_EQ(std::string(companion, 4), "LONG");
	EXPECT_EQ(RawNames(path),
		(std::vector<std::string>{"user.GLIM:Thumbsize", "user.mime_type",
			"user.type:GLIM:Thumbsize", "user.xdg.comment"}));

	EXPECT_EQ(Stored(node, "xdg.comment"), "RAWT hi");
	EXPECT_EQ(Stored(node, "mime_type"), "MIMS image/png");

	// The companions' names are kept for the layer.
	EXPECT_EQ(node.WriteAttr("type:GLIM:Thumbsize", B_RAW_TYPE, 0, "x", 1), B_NOT_ALLOWED);
	EXPECT_EQ(node.WriteAttr(std::string(246, 'n').c_str(), B_RAW_TYPE, 0, "x", 1),
		B_NAME_TOO_LONG);

	EXPECT_EQ(node.RemoveAttr("GLIM:Thumbsize"), B_OK);
	EXPECT_NE(node.RemoveAttr("GLIM:Thumbsize"), B_OK);
	EXPECT_EQ(RawNames(path), (std::vector<std::string>{"user.mime_type", "user.xdg.comment"}));
}

// ext4 keeps about 4 KB of attributes per file and no file system takes
// more than 64 KB: such writes fail whole and change nothing.
TEST(NodeTest, RefusedWriteChangesNothing)
{
	TempDir dir;
	std::string path = dir / "big.jpg";
	glim_test::WriteFile(path, "");
	BNode node(path.c_str());
	ASSERT_EQ(node.WriteAttr("GLIM:Thumbnail", B_INT32_TYPE, 0, "old!", 4), 4);

	std::string tooLarge = RandomBytes(65537, 2);
	EXPECT_EQ(node.WriteAttr("GLIM:Thumbnail", B_RAW_TYPE, 0, tooLarge.data(), tooLarge.size()),
		B_FILE_TOO_LARGE);
	EXPECT_EQ(node.WriteAttr("GLIM:Thumbnail", B_RAW_TYPE, 65530, "0123456789", 10),
		B_FILE_TOO_LARGE);

	std::string large = RandomBytes(65536, 3);
	bool taken = node.WriteAttr("GLIM:Thumbnail", B_RAW_TYPE, 0, large.data(), large.size())
		>= 0;
	EXPECT_EQ(Stored(node, "GLIM:Thumbnail"), taken ? "RAWT " + large : "LONG old!");

	// A new attribute that does not fit leaves no trace.
	if (node.WriteAttr("Other", B_RAW_TYPE, 0, large.data(), large.size()) < 0) {
		EXPECT_EQ(Stored(node, "Other"), "<missing>");
	}
}

// On a tmpfs with little inode space a value can fit while its type then
// does not: the value must be taken back.
TEST(NodeTest, TypeThatDoesNotFitTakesTheValueBack)
{
	if (!glim_test::CanMount())
		GTEST_SKIP() << "mounting is not permitted";
	TempDir dir;
	std::string point = glim_test::Mount(dir.Path(), "tmpfs", "size=256k,nr_inodes=8");
	ASSERT_FALSE(point.empty());
	std::string path = point + "/image.jpg";
	glim_test::WriteFile(path, "");
	BNode node(path.c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);

	size_t fits = LargestValueThatFits(path, "user.T");
	if (fits == 0 || fits >= 65536) {
		glim_test::Unmount(point);
		GTEST_SKIP() << "this tmpfs does not limit attributes";
	}
	std::string value = RandomBytes(fits, 4);
	EXPECT_LT(node.WriteAttr("T", B_RAW_TYPE, 0, value.data(), value.size()), 0);
	EXPECT_EQ(Stored(node, "T"), "<missing>");
	EXPECT_TRUE(RawNames(path).empty());

	node.Unset();
	glim_test::Unmount(point);
}

TEST(NodeTest, CopiesMissingNodesAndNullArguments)
{
	TempDir dir;
	std::string path = dir / "a.jpg";
	glim_test::WriteFile(path, "");
	BFile file(path.c_str(), B_READ_WRITE);
	ASSERT_EQ(file.InitCheck(), B_OK);

	// A node passed by value, as the volume test of the system does.
	BNode copy = file;
	ASSERT_EQ(copy.InitCheck(), B_OK);
	EXPECT_TRUE(copy == file);
	file.Unset();
	ASSERT_EQ(copy.WriteAttr("A", B_RAW_TYPE, 0, "v", 1), 1);

	BNode missing((dir / "missing").c_str());
	EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(missing.WriteAttr("A", B_RAW_TYPE, 0, "v", 1), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BNode((const char*)nullptr).InitCheck(), B_BAD_VALUE);
	char byte;
	EXPECT_EQ(copy.ReadAttr(nullptr, 0, 0, &byte, 1), B_BAD_VALUE);
}
