// Decoding an image for a box it will be fitted into: reduced where the codec
// can do it cheaply, never below the fit, with the whole image's size told.
#include <TranslatorRoster.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QColorSpace>
#include <QFile>
#include <QImage>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <Message.h>

#include "TranslationTestSupport.h"

using namespace translation_test;

namespace {

struct Decoded {
	std::unique_ptr<BBitmap> bitmap;
	BPoint fullSize{-1, -1};
};

// Decoded for a box of the given size.
Decoded
decode(const Bytes& data, float boxWidth, float boxHeight)
{
	BMemoryIO source(data.data(), data.size());
	BBitmapStream stream;
	BMessage extension;
	extension.AddPoint(B_TRANSLATOR_EXT_FIT_BOX, BPoint(boxWidth, boxHeight));
	Decoded result;
	BBitmap* bitmap = NULL;
	if (BTranslatorRoster::Default()->Translate(&source, NULL, &extension, &stream,
			B_TRANSLATOR_BITMAP)
			== B_OK
		&& stream.DetachBitmap(&bitmap) == B_OK)
		result.bitmap.reset(bitmap);
	extension.FindPoint(B_TRANSLATOR_EXT_FULL_SIZE, &result.fullSize);
	return result;
}

} // namespace

TEST(FitDecodingTest, AReducedWebpKeepsItsTransparencyAndItsColourProfile)
{
	// Left half transparent, right half opaque red, in a profile that swaps
	// red and green when there is one to hand (colord-data's).
	QImage image(800, 600, QImage::Format_ARGB32);
	image.fill(qRgba(230, 10, 10, 255));
	for (int y = 0; y < 600; y++) {
		for (int x = 0; x < 400; x++)
			image.setPixel(x, y, qRgba(0, 0, 255, 0));
	}
	QFile profile("/usr/share/color/icc/colord/SwappedRedAndGreen.icc");
	bool swapped = profile.open(QIODevice::ReadOnly);
	if (swapped)
		image.setColorSpace(QColorSpace::fromIccProfile(profile.readAll()));
	Bytes data = Encode(image, "webp");
	ASSERT_FALSE(data.empty());

	Decoded decoded = decode(data, 100, 100);
	ASSERT_NE(decoded.bitmap, nullptr);
	BBitmap* bitmap = decoded.bitmap.get();
	ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 399, 299));
	EXPECT_EQ(decoded.fullSize, BPoint(800, 600));
	EXPECT_EQ(bitmap->ColorSpace(), B_RGBA32);
	EXPECT_EQ(qAlpha(Pixel(bitmap, 40, 150)), 0);
	QRgb right = Pixel(bitmap, 360, 150);
	EXPECT_EQ(qAlpha(right), 255);
	if (swapped) {
		EXPECT_GT(qGreen(right), 150) << std::hex << right;
		EXPECT_LT(qRed(right), 100) << std::hex << right;
	} else
		EXPECT_GT(qRed(right), 200) << std::hex << right;
}
