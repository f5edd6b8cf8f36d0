// Decoding an image for a box it will be fitted into: reduced where the codec
// can do it cheaply, never below the fit, with the whole image's size told.
#include <TranslatorRoster.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <Message.h>

#include "TranslationTestSupport.h"

using namespace translation_test;

namespace {

Bytes
encoded(int width, int height, const char* format)
{
	return Encode(Halves(width, height), format);
}

struct Decoded {
	status_t status = B_ERROR;
	std::unique_ptr<BBitmap> bitmap;
	BPoint fullSize{-1, -1};
};

// Decoded for the box, or whole when the box is empty.
Decoded
decode(const Bytes& data, float boxWidth, float boxHeight)
{
	BMemoryIO source(data.data(), data.size());
	BBitmapStream stream;
	BMessage extension;
	if (boxWidth > 0)
		extension.AddPoint(B_TRANSLATOR_EXT_FIT_BOX, BPoint(boxWidth, boxHeight));
	Decoded result;
	result.status = BTranslatorRoster::Default()->Translate(&source, NULL, &extension, &stream,
		B_TRANSLATOR_BITMAP);
	BBitmap* bitmap = NULL;
	if (result.status == B_OK && stream.DetachBitmap(&bitmap) == B_OK)
		result.bitmap.reset(bitmap);
	extension.FindPoint(B_TRANSLATOR_EXT_FULL_SIZE, &result.fullSize);
	return result;
}

} // namespace

TEST(FitDecodingTest, ReducesJpegAndWebpToNoLessThanTheFitAndTellsTheFullSize)
{
	struct Case {
		const char* name;
		Bytes data;
		float boxWidth, boxHeight;
		int width, height;
		int fullWidth, fullHeight;
	} cases[] = {
		// 1/8 of 1600 x 1200 is exactly the fit into 200 x 200.
		{"jpeg to an eighth", encoded(1600, 1200, "jpeg"), 200, 200, 200, 150, 1600, 1200},
		// The fit is 500 x 375: a quarter would be smaller, so a half.
		{"jpeg to a half", encoded(1600, 1200, "jpeg"), 500, 500, 800, 600, 1600, 1200},
		// One pixel more than an eighth allows keeps a quarter.
		{"jpeg just over an eighth", encoded(1600, 1200, "jpeg"), 201, 201, 400, 300, 1600,
			1200},
		// Sizes an eighth does not divide: a quarter does.
		{"jpeg divided exactly", encoded(1604, 1204, "jpeg"), 200, 200, 401, 301, 1604, 1204},
		{"jpeg inside its box", encoded(100, 80, "jpeg"), 200, 200, 100, 80, 100, 80},
		{"jpeg without a box", encoded(1600, 1200, "jpeg"), 0, 0, 1600, 1200, 1600, 1200},
		// Shown turned, the image is 1200 x 1600: its fit into 200 x 200 is
		// 150 x 200, which an eighth still gives.
		{"jpeg turned by its EXIF", TurnedJpeg(1600, 1200), 200, 200, 150, 200, 1200, 1600},
		// WebP to four times its fit.
		{"webp to four times its fit", encoded(1000, 800, "webp"), 100, 100, 400, 320, 1000,
			800},
		{"webp within four times its fit", encoded(350, 280, "webp"), 100, 100, 350, 280, 350,
			280},
		{"png whole", encoded(1000, 800, "png"), 100, 100, 1000, 800, 1000, 800},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.name);
		Decoded decoded = decode(c.data, c.boxWidth, c.boxHeight);
		ASSERT_EQ(decoded.status, B_OK);
		ASSERT_NE(decoded.bitmap, nullptr);
		EXPECT_EQ(decoded.bitmap->Bounds(), BRect(0, 0, c.width - 1, c.height - 1));
		EXPECT_EQ(decoded.fullSize, BPoint(c.fullWidth, c.fullHeight));
	}
}

TEST(FitDecodingTest, AReducedWebpKeepsItsTransparencyAndItsColourProfile)
{
	// Left half transparent, right half opaque red, in a profile that swaps
	// red and green when there is one to hand (colord-data's).
	QImage image(800, 600, QImage::Format_ARGB32);
	image.fill(qRgba(230, 10, 10, 255));
	for (int y = 0; y < 600; y++) {
		QRgb* row = (QRgb*)image.scanLine(y);
		for (int x = 0; x < 400; x++)
			row[x] = qRgba(0, 0, 255, 0);
	}
	QFile profile("/usr/share/color/icc/colord/SwappedRedAndGreen.icc");
	bool swapped = profile.open(QIODevice::ReadOnly);
	if (swapped)
		image.setColorSpace(QColorSpace::fromIccProfile(profile.readAll()));
	QByteArray data;
	QBuffer buffer(&data);
	buffer.open(QIODevice::WriteOnly);
	QImageWriter writer(&buffer, "webp");
	writer.setQuality(100);
	ASSERT_TRUE(writer.write(image));

	Decoded decoded = decode(Bytes(data.begin(), data.end()), 100, 100);
	ASSERT_NE(decoded.bitmap, nullptr);
	BBitmap* bitmap = decoded.bitmap.get();
	ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 399, 299));
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
