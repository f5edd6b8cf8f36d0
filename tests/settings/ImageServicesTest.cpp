#include "settings/ImageServices.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <Bitmap.h>
#include <DataIO.h>
#include <File.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "settings/SettingsKeys.h"

using namespace glim;
using namespace glim_test;

namespace {

uint32
pixel(const BBitmap* bitmap, int x, int y)
{
	const uint8* row = (const uint8*)bitmap->Bits() + y * bitmap->BytesPerRow();
	uint32 value;
	memcpy(&value, row + x * 4, sizeof(value));
	return value & 0xffffff;
}

void
fill(BBitmap* bitmap, uint32 argb)
{
	uint32* pixels = (uint32*)bitmap->Bits();
	for (int32 i = 0; i < bitmap->BitsLength() / 4; i++)
		pixels[i] = argb;
}

} // namespace

TEST(ImageServicesTest, DecodesAFileAndItsBytesAlike)
{
	TempDir dir;
	std::string path = dir / "red.png";
	ASSERT_TRUE(WriteImage(path, 8, 4, 0xff0000, 0, 0x00ff00));

	BFile file(path.c_str(), B_READ_ONLY);
	BBitmap* fromFile = NULL;
	ASSERT_EQ(decode_image(&file, &fromFile), B_OK);
	std::unique_ptr<BBitmap> owner(fromFile);
	ASSERT_NE(fromFile, nullptr);
	EXPECT_EQ(fromFile->Bounds(), BRect(0, 0, 7, 3));
	EXPECT_EQ(pixel(fromFile, 0, 0), 0x00ff00u);
	EXPECT_EQ(pixel(fromFile, 7, 3), 0xff0000u);

	std::vector<char> bytes = ReadFile(path);
	std::unique_ptr<BBitmap> fromBytes(decode_image(bytes.data(), bytes.size()));
	ASSERT_TRUE(fromBytes);
	EXPECT_EQ(fromBytes->Bounds(), fromFile->Bounds());
	EXPECT_EQ(pixel(fromBytes.get(), 7, 3), 0xff0000u);
}

TEST(ImageServicesTest, ReportsDataNoTranslatorReads)
{
	TempDir dir;
	WriteFile(dir / "notes.txt", "not an image at all");
	BFile file((dir / "notes.txt").c_str(), B_READ_ONLY);
	BBitmap* bitmap = (BBitmap*)&file;
	EXPECT_NE(decode_image(&file, &bitmap), B_OK);
	EXPECT_EQ(bitmap, nullptr);
	EXPECT_FALSE(is_image(file));
	EXPECT_EQ(decode_image("xx", 2), nullptr);

	ASSERT_TRUE(WriteImage(dir / "image.png", 2, 2, 0x0000ff));
	BFile image((dir / "image.png").c_str(), B_READ_ONLY);
	EXPECT_TRUE(is_image(image));
}

// The bitmap stays the caller's after encoding: it is used again here, so a
// stream that deleted it would be caught by the address sanitizer.
TEST(ImageServicesTest, EncodedBitmapDecodesToTheSamePixels)
{
	BBitmap bitmap(BRect(0, 0, 5, 2), B_RGB32);
	fill(&bitmap, 0xff0000ff);
	BMallocIO encoded;
	ASSERT_EQ(encode_image(&bitmap, &encoded, 'PNG '), B_OK);
	ASSERT_GT(encoded.BufferLength(), 0u);
	std::unique_ptr<BBitmap> decoded(decode_image(encoded.Buffer(), encoded.BufferLength()));
	ASSERT_TRUE(decoded);
	EXPECT_EQ(decoded->Bounds(), bitmap.Bounds());
	EXPECT_EQ(pixel(decoded.get(), 5, 2), 0x0000ffu);
	EXPECT_EQ(pixel(&bitmap, 0, 0), 0x0000ffu);
}

TEST(ImageServicesTest, DrawsTheSourceAreaScaledOverBlack)
{
	BBitmap image(BRect(0, 0, 3, 3), B_RGBA32);
	fill(&image, 0xffff0000);
	// The right column is see-through: the black beneath must show.
	for (int y = 0; y < 4; y++)
		((uint32*)image.Bits())[y * image.BytesPerRow() / 4 + 3] = 0;

	std::unique_ptr<BBitmap> left(
		draw_over_black(&image, BRect(0, 0, 1, 3), BRect(0, 0, 7, 7)));
	ASSERT_TRUE(left);
	EXPECT_EQ(left->Bounds(), BRect(0, 0, 7, 7));
	EXPECT_EQ(left->ColorSpace(), B_RGB32);
	EXPECT_EQ(pixel(left.get(), 0, 0), 0xff0000u);
	EXPECT_EQ(pixel(left.get(), 7, 7), 0xff0000u);

	std::unique_ptr<BBitmap> right(
		draw_over_black(&image, BRect(3, 0, 3, 3), BRect(0, 0, 1, 1)));
	ASSERT_TRUE(right);
	EXPECT_EQ(pixel(right.get(), 0, 0), 0x000000u);
	EXPECT_EQ(pixel(right.get(), 1, 1), 0x000000u);
}

TEST(ImageServicesTest, MouseActionRangeIsTheSixCodes)
{
	struct {
		int32 value;
		bool valid;
	} cases[] = {{-1, false}, {0, false}, {1, true}, {3, true}, {6, true}, {7, false}};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.value);
		EXPECT_EQ(valid_mouse_action(test.value), test.valid);
	}
}
