#include <NodeInfo.h>

#include <string>

#include <sys/xattr.h>

#include <gtest/gtest.h>

#include <File.h>
#include <Node.h>
#include <StorageDefs.h>
#include <TranslatorFormats.h>

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

TEST(NodeInfoTest, TypesAreRecognisedFromTheContent)
{
	TempDir dir;
	glim_test::WriteFile(dir / "image", kPngHeader);
	glim_test::WriteFile(dir / "photo", kJpegHeader);
	// The content wins over a misleading name.
	glim_test::WriteFile(dir / "really-a-png.jpg", kPngHeader);
	glim_test::WriteFile(dir / "noise", std::string("\x01\x02\x03\xfe\xff\x00\x07", 7));
	// Content that says nothing leaves the name to decide.
	glim_test::WriteFile(dir / "empty.png", "");

	EXPECT_EQ(TypeOf(dir / "image"), "image/png");
	EXPECT_EQ(TypeOf(dir / "photo"), "image/jpeg");
	EXPECT_EQ(TypeOf(dir / "really-a-png.jpg"), "image/png");
	EXPECT_EQ(TypeOf(dir / "noise"), "application/octet-stream");
	EXPECT_EQ(TypeOf(dir / "empty.png"), "image/png");
	EXPECT_EQ(TypeOf(dir.Path()), "inode/directory");
	EXPECT_EQ(TypeOf(dir / ("caf\xe9.jpg")), "<error>");
	glim_test::WriteFile(dir / "caf\xe9", kJpegHeader);
	EXPECT_EQ(TypeOf(dir / "caf\xe9"), "image/jpeg");

	// Reading through an open file does not move its position.
	BFile file((dir / "photo").c_str(), B_READ_ONLY);
	char byte;
	ASSERT_EQ(file.Read(&byte, 1), 1);
	BNodeInfo info(&file);
	char type[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_EQ(file.Position(), 1);
}

// Today's photographs: HEIF, AVIF and JPEG XL by content alone, camera RAW
// files (TIFF inside) by the name that refines their TIFF content.
TEST(NodeInfoTest, PhotographFormatsAreRecognised)
{
	TempDir dir;
	const struct {
		uint32 format;
		const char* type;
	} kFormats[] = {
		{B_HEIF_FORMAT, "image/heif"},
		{B_AVIF_FORMAT, "image/avif"},
		{B_JXL_FORMAT, "image/jxl"},
	};
	for (const auto& format : kFormats) {
		SCOPED_TRACE(format.type);
		std::string path = dir / "photo";
		if (!glim_test::WriteImage(path, 16, 16, 0x336699, format.format))
			continue;
		EXPECT_EQ(TypeOf(path), format.type);
	}
	const std::string kTiffHeader("II*\0\x08\0\0\0\0\0", 10);
	glim_test::WriteFile(dir / "IMG_0001.dng", kTiffHeader);
	glim_test::WriteFile(dir / "IMG_0002.CR2", kTiffHeader);
	glim_test::WriteFile(dir / "DSC_0003.nef", kTiffHeader);
	EXPECT_EQ(TypeOf(dir / "IMG_0001.dng"), "image/x-adobe-dng");
	EXPECT_EQ(TypeOf(dir / "IMG_0002.CR2"), "image/x-canon-cr2");
	EXPECT_EQ(TypeOf(dir / "DSC_0003.nef"), "image/x-nikon-nef");
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
