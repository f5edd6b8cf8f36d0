#include "settings/ImageServices.h"

#include <cstring>
#include <memory>

#include <Bitmap.h>

#include <gtest/gtest.h>

using namespace glim;

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
