// Decoding an image for a box it will be fitted into: reduced where the codec
// can do it cheaply, never below the fit, with the whole image's size told.
#include <TranslatorRoster.h>

#include <gtest/gtest.h>

#include <QColorSpace>
#include <QFile>
#include <QPainter>

#include "TranslationTestSupport.h"

using namespace translation_test;

TEST(FitDecodingTest, AReducedWebpKeepsItsTransparencyAndItsColourProfile)
{
	// Left half transparent, right half opaque red, in a profile that swaps
	// red and green when there is one to hand (colord-data's).
	QImage image(800, 600, QImage::Format_ARGB32);
	image.fill(Qt::transparent);
	QPainter(&image).fillRect(400, 0, 400, 600, QColor(230, 10, 10));
	QFile profile("/usr/share/color/icc/colord/SwappedRedAndGreen.icc");
	bool swapped = profile.open(QIODevice::ReadOnly);
	if (swapped)
		image.setColorSpace(QColorSpace::fromIccProfile(profile.readAll()));
	Bytes data = Encode(image, "webp");
	ASSERT_FALSE(data.empty());

	BMessage extension;
	extension.AddPoint(B_TRANSLATOR_EXT_FIT_BOX, BPoint(100, 100));
	std::unique_ptr<BBitmap> bitmap = Decode(data, NULL, &extension);
	ASSERT_NE(bitmap, nullptr);
	ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 399, 299));
	EXPECT_EQ(extension.GetPoint(B_TRANSLATOR_EXT_FULL_SIZE, BPoint(-1, -1)), BPoint(800, 600));
	EXPECT_EQ(bitmap->ColorSpace(), B_RGBA32);
	EXPECT_EQ(qAlpha(Pixel(bitmap.get(), 40, 150)), 0);
	QRgb right = Pixel(bitmap.get(), 360, 150);
	EXPECT_EQ(qAlpha(right), 255);
	if (swapped) {
		EXPECT_GT(qGreen(right), 150) << std::hex << right;
		EXPECT_LT(qRed(right), 100) << std::hex << right;
	} else
		EXPECT_GT(qRed(right), 200) << std::hex << right;
}
