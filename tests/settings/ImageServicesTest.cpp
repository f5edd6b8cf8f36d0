#include "settings/ImageServices.h"

#include <memory>

#include <Bitmap.h>

#include <gtest/gtest.h>

using namespace glim;

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
	// The first row's first pixel and the last row's last, without alpha.
	const uint32* first = (const uint32*)drawn->Bits();
	const uint32* last = (const uint32*)((const uint8*)drawn->Bits()
		+ 7 * drawn->BytesPerRow());
	EXPECT_EQ(first[0] & 0xffffff, 0xff0000u);
	EXPECT_EQ(last[5] & 0xffffff, 0x000000u);
}
