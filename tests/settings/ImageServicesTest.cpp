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

} // namespace

TEST(ImageServicesTest, DrawsTheSourceAreaScaledOverBlack)
{
	BBitmap image(BRect(0, 0, 3, 3), B_RGBA32);
	// The right column is see-through: the black beneath must show.
	uint32* pixels = (uint32*)image.Bits();
	for (int32 i = 0; i < image.BitsLength() / 4; i++)
		pixels[i] = i % (image.BytesPerRow() / 4) == 3 ? 0 : 0xffff0000;

	std::unique_ptr<BBitmap> drawn(
		draw_over_black(&image, BRect(1, 0, 3, 3), BRect(0, 0, 5, 7)));
	ASSERT_TRUE(drawn);
	EXPECT_EQ(drawn->Bounds(), BRect(0, 0, 5, 7));
	EXPECT_EQ(drawn->ColorSpace(), B_RGB32);
	EXPECT_EQ(pixel(drawn.get(), 0, 0), 0xff0000u);
	EXPECT_EQ(pixel(drawn.get(), 5, 7), 0x000000u);
}
