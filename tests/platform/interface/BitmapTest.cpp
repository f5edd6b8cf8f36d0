#include <Bitmap.h>

#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "BitmapPrivate.h"

TEST(BitmapTest, BadBoundsAndSizesFailCleanly)
{
	float nan = std::numeric_limits<float>::quiet_NaN();
	float infinity = std::numeric_limits<float>::infinity();
	const struct {
		BRect bounds;
		color_space space;
		status_t status;
	} kCases[] = {
		{BRect(), B_RGB32, B_BAD_VALUE},
		{BRect(0, 0, 0.4f, -0.6f), B_RGB32, B_BAD_VALUE},
		{BRect(0, 0, nan, 10), B_RGB32, B_BAD_VALUE},
		{BRect(0, 0, infinity, 10), B_RGBA32, B_BAD_VALUE},
		{BRect(0, 0, 10, 10), B_CMAP8, B_BAD_VALUE},
		{BRect(0, 0, 100000, 100000), B_RGB32, B_NO_MEMORY},
		{BRect(0, 0, 3e30f, 3e30f), B_RGBA32, B_NO_MEMORY},
		// 16384 x 16385 pixels are just over 1 GiB.
		{BRect(0, 0, 16383, 16384), B_RGB32, B_NO_MEMORY},
	};
	for (const auto& c : kCases) {
		SCOPED_TRACE(testing::Message() << c.bounds.right);
		BBitmap bitmap(c.bounds, c.space);
		EXPECT_EQ(bitmap.InitCheck(), c.status);
		EXPECT_FALSE(bitmap.IsValid());
		EXPECT_EQ(bitmap.Bits(), nullptr);
		EXPECT_EQ(bitmap.BitsLength(), 0);
		EXPECT_EQ(bitmap.BytesPerRow(), 0);
		EXPECT_TRUE(BPrivate::bitmap_image(&bitmap).isNull());
	}

	EXPECT_EQ(BBitmap(BRect(0, 0, 9, 9), 0, B_RGB32, 40).InitCheck(), B_OK);
	EXPECT_EQ(BBitmap(BRect(0, 0, 9, 9), 0, B_RGB32, 44).InitCheck(), B_BAD_VALUE);
}

TEST(BitmapTest, ImportBitsConvertsAndHonoursRowLengths)
{
	// Two source rows of three pixels with four bytes of padding each,
	// alpha 0 in B_RGB32, so the target makes them opaque.
	const uint8 source[] = {
		0, 10, 20, 0, 1, 11, 21, 0, 2, 12, 22, 0, 0xee, 0xee, 0xee, 0xee, // row 0
		3, 13, 23, 0, 4, 14, 24, 0, 5, 15, 25, 0, 0xee, 0xee, 0xee, 0xee, // row 1
	};
	BBitmap bitmap(BRect(0, 0, 2, 1), B_RGBA32);
	ASSERT_EQ(bitmap.ImportBits(source, sizeof(source), 16, 0, B_RGB32), B_OK);
	const QImage& image = BPrivate::bitmap_image(&bitmap);
	EXPECT_EQ(image.pixel(0, 0), qRgba(20, 10, 0, 255));
	EXPECT_EQ(image.pixel(2, 1), qRgba(25, 15, 5, 255));

	// An offset starts the copy further in; a short source stops early.
	BBitmap target(BRect(0, 0, 2, 1), B_RGB32);
	uint32 two[2] = {0x11223344, 0x55667788};
	ASSERT_EQ(target.ImportBits(two, 8, B_ANY_BYTES_PER_ROW, 16, B_RGBA32), B_OK);
	const uint32* bits = (const uint32*)target.Bits();
	EXPECT_EQ(bits[3], 0x00000000u);
	EXPECT_EQ(bits[4], 0xff223344u);
	EXPECT_EQ(bits[5], 0xff667788u);

	EXPECT_EQ(target.ImportBits(NULL, 8, 8, 0, B_RGB32), B_BAD_VALUE);
	EXPECT_EQ(target.ImportBits(two, 8, 8, 2, B_RGB32), B_BAD_VALUE);
	EXPECT_EQ(target.ImportBits(two, 8, 8, 28, B_RGB32), B_BAD_VALUE);
	EXPECT_EQ(target.ImportBits(two, 8, 8, 0, B_GRAY8), B_BAD_VALUE);
	EXPECT_EQ(target.ImportBits(&bitmap), B_OK);
	EXPECT_EQ(BPrivate::bitmap_image(&target).pixel(2, 1), qRgb(25, 15, 5));
	BBitmap other(BRect(0, 0, 3, 1), B_RGB32);
	EXPECT_EQ(target.ImportBits(&other), B_MISMATCHED_VALUES);
}

TEST(BitmapTest, CopyOwnsItsOwnPixels)
{
	BBitmap source(BRect(5, 5, 8, 7), B_RGBA32);
	BPrivate::bitmap_image(&source).fill(qRgba(1, 2, 3, 4));
	BBitmap copy(&source, true);
	ASSERT_EQ(copy.InitCheck(), B_OK);
	EXPECT_EQ(copy.Bounds(), source.Bounds());
	EXPECT_EQ(copy.ColorSpace(), B_RGBA32);
	EXPECT_NE(copy.Flags() & B_BITMAP_ACCEPTS_VIEWS, 0u);
	EXPECT_NE(copy.Bits(), source.Bits());
	EXPECT_EQ(memcmp(copy.Bits(), source.Bits(), source.BitsLength()), 0);

	BBitmap invalid(BRect(), B_RGB32);
	EXPECT_EQ(BBitmap(&invalid).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BBitmap((const BBitmap*)NULL).InitCheck(), B_BAD_VALUE);
}

TEST(BitmapTest, BitmapFromImageKeepsStraightAlphaOrDropsIt)
{
	QImage premultiplied(2, 1, QImage::Format_ARGB32_Premultiplied);
	premultiplied.setPixel(0, 0, qRgba(100, 50, 0, 128));
	premultiplied.setPixel(1, 0, qRgba(0, 0, 0, 0));
	std::unique_ptr<BBitmap> bitmap = BPrivate::bitmap_from_image(premultiplied);
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->ColorSpace(), B_RGBA32);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 1, 0));
	const uint8* bits = (const uint8*)bitmap->Bits();
	EXPECT_EQ(bits[3], 128);
	EXPECT_NEAR(bits[2], 200, 2);

	QImage gray(3, 2, QImage::Format_Grayscale8);
	gray.fill(7);
	bitmap = BPrivate::bitmap_from_image(gray);
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->ColorSpace(), B_RGB32);
	EXPECT_EQ(BPrivate::bitmap_image(bitmap.get()).pixel(2, 1), qRgb(7, 7, 7));

	EXPECT_EQ(BPrivate::bitmap_from_image(QImage()), nullptr);
}
