#include <Node.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <File.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include "TestSupport.h"

using glim_test::TempDir;

namespace {

// The raw extended attribute, as any other tool sees it; "" with found
// false when missing.
std::string
RawAttribute(const std::string& path, const std::string& name, bool* found = nullptr)
{
	ssize_t size = lgetxattr(path.c_str(), name.c_str(), nullptr, 0);
	if (found != nullptr)
		*found = size >= 0;
	if (size <= 0)
		return "";
	std::string value(size, '\0');
	size = lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
	value.resize(size < 0 ? 0 : size);
	return value;
}

std::string
RandomBytes(size_t size, unsigned seed)
{
	std::mt19937 generator(seed);
	std::string bytes(size, '\0');
	for (char& c : bytes)
		c = (char)(generator() & 0xff);
	return bytes;
}

// The attribute's type, 0 when it is missing.
uint32
TypeOf(const BNode& node, const char* name)
{
	attr_info info;
	return node.GetAttrInfo(name, &info) == B_OK ? info.type : 0;
}

std::string
ReadWhole(const BNode& node, const char* name)
{
	attr_info info;
	if (node.GetAttrInfo(name, &info) != B_OK)
		return "<missing>";
	std::string value(info.size, '\0');
	ssize_t read = node.ReadAttr(name, 0, 0, value.data(), value.size());
	return read == info.size ? value : "<short read>";
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

// The largest value a raw setxattr of name accepts on the file as it is now;
// the attribute's current value is put back afterwards.
size_t
LargestValueThatFits(const std::string& path, const std::string& name)
{
	bool existed;
	std::string previous = RawAttribute(path, name, &existed);
	size_t low = 0, high = 65536;
	while (low < high) {
		size_t middle = (low + high + 1) / 2;
		std::string value(middle, 'x');
		if (setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0)
			low = middle;
		else
			high = middle - 1;
		if (existed)
			setxattr(path.c_str(), name.c_str(), previous.data(), previous.size(), 0);
		else
			removexattr(path.c_str(), name.c_str());
	}
	return low;
}

} // namespace

TEST(NodeTest, AttributesKeepTheirBytesAndType)
{
	TempDir dir;
	std::string path = dir / "image.jpg";
	glim_test::WriteFile(path, "data");
	BNode node(path.c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);

	const std::string withNul("a\0b\0\0c", 6);
	const std::string large = RandomBytes(2500, 1);
	int32 size = 123456;
	ASSERT_EQ(node.WriteAttr("GLIM:Thumbnail", B_RAW_TYPE, 0, large.data(), large.size()),
		(ssize_t)large.size());
	ASSERT_EQ(node.WriteAttr("Binary", B_STRING_TYPE, 0, withNul.data(), withNul.size()), 6);
	ASSERT_EQ(node.WriteAttr("GLIM:Filesize", B_INT32_TYPE, 0, &size, 4), 4);

	EXPECT_EQ(ReadWhole(node, "GLIM:Thumbnail"), large);
	EXPECT_EQ(ReadWhole(node, "Binary"), withNul);
	EXPECT_EQ(TypeOf(node, "GLIM:Thumbnail"), (uint32)B_RAW_TYPE);
	EXPECT_EQ(TypeOf(node, "GLIM:Filesize"), (uint32)B_INT32_TYPE);
	int32 read = 0;
	EXPECT_EQ(node.ReadAttr("GLIM:Filesize", 0, 0, &read, 4), 4);
	EXPECT_EQ(read, 123456);

	// Other tools see exactly the bytes written, and the type as text.
	EXPECT_EQ(RawAttribute(path, "user.GLIM:Thumbnail"), large);
	EXPECT_EQ(RawAttribute(path, "user.Binary"), withNul);
	EXPECT_EQ(RawAttribute(path, "user.type:GLIM:Thumbnail"), "RAWT");
	EXPECT_EQ(RawAttribute(path, "user.type:GLIM:Filesize"), "LONG");

	// A second handle on the same file sees the same.
	BFile file(path.c_str(), B_READ_ONLY);
	EXPECT_EQ(ReadWhole(file, "Binary"), withNul);
}

TEST(NodeTest, WritesReplaceOrPatchAndReadsTakeWhatFits)
{
	TempDir dir;
	std::string path = dir / "settings";
	glim_test::WriteFile(path, "");
	BNode node(path.c_str());

	ASSERT_EQ(node.WriteAttr("Key", B_STRING_TYPE, 0, "abcdef", 7), 7);
	// Offset 0 replaces the whole value, type included.
	ASSERT_EQ(node.WriteAttr("Key", B_RAW_TYPE, 0, "xy", 2), 2);
	EXPECT_EQ(ReadWhole(node, "Key"), "xy");
	EXPECT_EQ(TypeOf(node, "Key"), (uint32)B_RAW_TYPE);

	// A later offset changes that part and keeps the rest, filling a gap
	// with zeros.
	ASSERT_EQ(node.WriteAttr("Key", B_RAW_TYPE, 1, "Z", 1), 1);
	EXPECT_EQ(ReadWhole(node, "Key"), "xZ");
	ASSERT_EQ(node.WriteAttr("Key", B_RAW_TYPE, 4, "!", 1), 1);
	EXPECT_EQ(ReadWhole(node, "Key"), std::string("xZ\0\0!", 5));

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
	EXPECT_EQ(ReadWhole(node, "Missing"), "<missing>");

	// An empty value exists, with its type.
	ASSERT_EQ(node.WriteAttr("Empty", B_STRING_TYPE, 0, "", 0), 0);
	EXPECT_EQ(ReadWhole(node, "Empty"), "");
	EXPECT_EQ(TypeOf(node, "Empty"), (uint32)B_STRING_TYPE);
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
	EXPECT_EQ(RawNames(path),
		(std::vector<std::string>{"user.GLIM:Thumbsize", "user.mime_type",
			"user.type:GLIM:Thumbsize", "user.xdg.comment"}));

	EXPECT_EQ(ReadWhole(node, "xdg.comment"), "hi");
	EXPECT_EQ(TypeOf(node, "xdg.comment"), (uint32)B_RAW_TYPE);
	EXPECT_EQ(TypeOf(node, "mime_type"), (uint32)B_MIME_STRING_TYPE);

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
	EXPECT_EQ(ReadWhole(node, "GLIM:Thumbnail"), taken ? large : "old!");
	EXPECT_EQ(TypeOf(node, "GLIM:Thumbnail"), (uint32)(taken ? B_RAW_TYPE : B_INT32_TYPE));

	// A new attribute that does not fit leaves no trace.
	if (node.WriteAttr("Other", B_RAW_TYPE, 0, large.data(), large.size()) < 0) {
		EXPECT_EQ(TypeOf(node, "Other"), 0u);
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
	EXPECT_EQ(TypeOf(node, "T"), 0u);
	EXPECT_TRUE(RawNames(path).empty());

	// With an earlier value of another type, that value and type stay.
	// Near the limit some sizes fit with their type and some do not.
	ASSERT_EQ(node.WriteAttr("T", B_INT32_TYPE, 0, "1234", 4), 4);
	fits = LargestValueThatFits(path, "user.T");
	int refused = 0;
	for (size_t size = fits; size + 256 > fits && size > 0; size -= 4) {
		SCOPED_TRACE(size);
		value = RandomBytes(size, size);
		bool taken = node.WriteAttr("T", B_RAW_TYPE, 0, value.data(), value.size()) >= 0;
		refused += taken ? 0 : 1;
		EXPECT_EQ(ReadWhole(node, "T"), taken ? value : "1234");
		EXPECT_EQ(TypeOf(node, "T"), (uint32)(taken ? B_RAW_TYPE : B_INT32_TYPE));
		if (taken) {
			ASSERT_EQ(node.RemoveAttr("T"), B_OK);
			ASSERT_EQ(node.WriteAttr("T", B_INT32_TYPE, 0, "1234", 4), 4);
		}
	}
	// Which sizes are refused depends on the kernel's accounting.
	RecordProperty("refused", refused);

	node.Unset();
	glim_test::Unmount(point);
}

TEST(NodeTest, LinksAreNotFollowed)
{
	TempDir dir;
	std::string target = dir / "target.jpg";
	std::string link = dir / "link.jpg";
	glim_test::WriteFile(target, "");
	ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);

	BNode node(link.c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	struct stat st;
	ASSERT_EQ(node.GetStat(&st), B_OK);
	EXPECT_TRUE(S_ISLNK(st.st_mode));
	// Linux keeps no user attributes on links; the target stays untouched.
	EXPECT_LT(node.WriteAttr("GLIM:Thumbnail", B_RAW_TYPE, 0, "x", 1), 0);
	bool found;
	RawAttribute(target, "user.GLIM:Thumbnail", &found);
	EXPECT_FALSE(found);
}

TEST(NodeTest, CopiesAndRefs)
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

	node_ref ref;
	ASSERT_EQ(copy.GetNodeRef(&ref), B_OK);
	struct stat st;
	ASSERT_EQ(stat(path.c_str(), &st), 0);
	EXPECT_EQ(ref, node_ref(st.st_dev, st.st_ino));
	EXPECT_EQ(ref._Path(), path);

	BNode missing((dir / "missing").c_str());
	EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(missing.WriteAttr("A", B_RAW_TYPE, 0, "v", 1), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BNode((const char*)nullptr).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(copy.ReadAttr(nullptr, 0, 0, &st, 1), B_BAD_VALUE);
}
