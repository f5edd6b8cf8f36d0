#include <NodeInfo.h>

#include <string>

#include <sys/xattr.h>

#include <gtest/gtest.h>

#include <Node.h>
#include <StorageDefs.h>

#include "TestSupport.h"

using glim_test::TempDir;

namespace {

const std::string kPngHeader("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0",
	29);
const std::string kJpegHeader("\xff\xd8\xff\xe0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 20);

std::string
TypeOf(const std::string& path)
{
	BNode node(path.c_str());
	BNodeInfo info(&node);
	char type[B_MIME_TYPE_LENGTH];
	status_t status = info.GetType(type);
	return status == B_OK ? type : "<error>";
}

} // namespace

// The content decides; a name refines what the content alone leaves open
// (camera RAW files are TIFF inside) and decides only when it says nothing.
TEST(NodeInfoTest, TypesComeFromTheContentRefinedByTheName)
{
	TempDir dir;
	const std::string kTiffHeader("II*\0\x08\0\0\0\0\0", 10);
	const struct {
		const char* name;
		std::string content;
		const char* type;
	} kCases[] = {
		{"really-a-png.jpg", kPngHeader, "image/png"},
		{"caf\xe9", kJpegHeader, "image/jpeg"},
		{"noise", std::string("\x01\x02\x03\xfe\xff\x00\x07", 7), "application/octet-stream"},
		{"empty.png", "", "image/png"},
		{"IMG_0001.dng", kTiffHeader, "image/x-adobe-dng"},
		{"IMG_0002.CR2", kTiffHeader, "image/x-canon-cr2"},
		{"DSC_0003.nef", kTiffHeader, "image/x-nikon-nef"},
		// HEIF and AVIF by the brand of their first box (of 32 bytes), JPEG XL
		// as a bare codestream and in its container.
		{"IMG_0004.jpg", std::string("\0\0\0 ftypheic\0\0\0\0mif1heic", 24), "image/heif"},
		{"IMG_0005.jpg", std::string("\0\0\0 ftypavif\0\0\0\0avifmif1", 24), "image/avif"},
		{"IMG_0006.jpg", std::string("\xff\x0a\xfa\x7f\x01\x88", 6), "image/jxl"},
		{"IMG_0007.jpg", std::string("\0\0\0\x0cJXL \x0d\x0a\x87\x0a", 12), "image/jxl"},
	};
	for (const auto& c : kCases) {
		SCOPED_TRACE(c.name);
		glim_test::WriteFile(dir / c.name, c.content);
		EXPECT_EQ(TypeOf(dir / c.name), c.type);
	}
	EXPECT_EQ(TypeOf(dir.Path()), "inode/directory");
	EXPECT_EQ(TypeOf(dir / "missing.jpg"), "<error>");
}

TEST(NodeInfoTest, SetTypeIsTheFreedesktopAttribute)
{
	TempDir dir;
	std::string path = dir / "photo.jpg";
	glim_test::WriteFile(path, kJpegHeader);
	BNode node(path.c_str());
	BNodeInfo info(&node);
	ASSERT_EQ(info.InitCheck(), B_OK);

	ASSERT_EQ(info.SetType("image/x-special"), B_OK);
	char type[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "image/x-special");
	char raw[64];
	ssize_t length = getxattr(path.c_str(), "user.mime_type", raw, sizeof(raw));
	EXPECT_EQ(std::string(raw, length > 0 ? length : 0), "image/x-special");

	// Set by another tool, with or without a terminating NUL.
	ASSERT_EQ(setxattr(path.c_str(), "user.mime_type", "image/webp\0", 11, 0), 0);
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "image/webp");

	ASSERT_EQ(info.SetType(NULL), B_OK);
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_STREQ(type, "image/jpeg");
	EXPECT_EQ(info.SetType(NULL), B_OK);
	EXPECT_EQ(info.SetType(std::string(300, 'x').c_str()), B_BAD_VALUE);
	EXPECT_EQ(info.GetType(NULL), B_BAD_VALUE);

	BNodeInfo unset;
	EXPECT_EQ(unset.InitCheck(), B_NO_INIT);
	EXPECT_EQ(unset.GetType(type), B_NO_INIT);
	EXPECT_EQ(BNodeInfo(nullptr).InitCheck(), B_BAD_VALUE);
}
