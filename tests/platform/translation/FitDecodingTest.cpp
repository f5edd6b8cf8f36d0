// Decoding an image for a box it will be fitted into: reduced where the codec
// can do it cheaply, never below the fit, with the whole image's size told.
#include <TranslatorRoster.h>

#include <memory>
#include <random>
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

namespace {

QByteArray
encoded(int width, int height, const char* format)
{
	QImage image(width, height, QImage::Format_RGB32);
	std::mt19937 random(3);
	for (int y = 0; y < height; y++) {
		QRgb* row = (QRgb*)image.scanLine(y);
		for (int x = 0; x < width; x++)
			row[x] = qRgb(x * 255 / width, y * 255 / height, random() & 0xff);
	}
	QByteArray data;
	QBuffer buffer(&data);
	buffer.open(QIODevice::WriteOnly);
	QImageWriter writer(&buffer, format);
	EXPECT_TRUE(writer.write(image));
	return data;
}

// A JPEG stream with an EXIF segment telling that the stored image is to be
// turned 90 degrees clockwise (orientation 6) when shown.
QByteArray
turned_jpeg(int width, int height)
{
	QByteArray jpeg = encoded(width, height, "jpeg");
	const unsigned char exif[] = {0xff, 0xe1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I',
		0x2a, 0x00, 0x08, 0x00, 0x00, 0x00, 0x01, 0x00, 0x12, 0x01, 0x03, 0x00, 0x01, 0x00,
		0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
	jpeg.insert(2, (const char*)exif, sizeof(exif));
	return jpeg;
}

struct Decoded {
	status_t status = B_ERROR;
	int width = 0;
	int height = 0;
	BPoint fullSize{-1, -1};
};

Decoded
decode(const QByteArray& data, float boxWidth, float boxHeight)
{
	BMemoryIO source(data.constData(), data.size());
	BBitmapStream stream;
	BMessage extension;
	extension.AddPoint(B_TRANSLATOR_EXT_FIT_BOX, BPoint(boxWidth, boxHeight));
	Decoded result;
	result.status = BTranslatorRoster::Default()->Translate(&source, NULL, &extension, &stream,
		B_TRANSLATOR_BITMAP);
	BBitmap* bitmap = NULL;
	if (result.status != B_OK || stream.DetachBitmap(&bitmap) != B_OK || bitmap == NULL)
		return result;
	std::unique_ptr<BBitmap> owned(bitmap);
	result.width = (int)bitmap->Bounds().Width() + 1;
	result.height = (int)bitmap->Bounds().Height() + 1;
	extension.FindPoint(B_TRANSLATOR_EXT_FULL_SIZE, &result.fullSize);
	return result;
}

} // namespace

TEST(FitDecodingTest, ReducesJpegAndWebpToNoLessThanTheFitAndTellsTheFullSize)
{
	struct Case {
		const char* name;
		QByteArray data;
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
		// Shown turned, the image is 1200 x 1600: its fit into 200 x 200 is
		// 150 x 200, which an eighth still gives.
		{"jpeg turned by its EXIF", turned_jpeg(1600, 1200), 200, 200, 150, 200, 1200, 1600},
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
		EXPECT_EQ(decoded.width, c.width);
		EXPECT_EQ(decoded.height, c.height);
		EXPECT_EQ(decoded.fullSize, BPoint(c.fullWidth, c.fullHeight));
	}
}

TEST(FitDecodingTest, WithoutABoxTheImageComesWholeAndItsSizeIsTold)
{
	QByteArray jpeg = encoded(1600, 1200, "jpeg");
	BMemoryIO source(jpeg.constData(), jpeg.size());
	BBitmapStream stream;
	BMessage extension;
	ASSERT_EQ(BTranslatorRoster::Default()->Translate(&source, NULL, &extension, &stream,
				  B_TRANSLATOR_BITMAP),
		B_OK);
	BBitmap* bitmap = NULL;
	ASSERT_EQ(stream.DetachBitmap(&bitmap), B_OK);
	std::unique_ptr<BBitmap> owned(bitmap);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 1599, 1199));
	BPoint fullSize;
	ASSERT_EQ(extension.FindPoint(B_TRANSLATOR_EXT_FULL_SIZE, &fullSize), B_OK);
	EXPECT_EQ(fullSize, BPoint(1600, 1200));
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

	BMemoryIO source(data.constData(), data.size());
	BBitmapStream stream;
	BMessage extension;
	extension.AddPoint(B_TRANSLATOR_EXT_FIT_BOX, BPoint(100, 100));
	ASSERT_EQ(BTranslatorRoster::Default()->Translate(&source, NULL, &extension, &stream,
				  B_TRANSLATOR_BITMAP),
		B_OK);
	BBitmap* decoded = NULL;
	ASSERT_EQ(stream.DetachBitmap(&decoded), B_OK);
	std::unique_ptr<BBitmap> bitmap(decoded);
	ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 399, 299));
	EXPECT_EQ(bitmap->ColorSpace(), B_RGBA32);
	auto at = [&](int x, int y) {
		const uint8* p = (const uint8*)bitmap->Bits() + y * bitmap->BytesPerRow() + x * 4;
		return qRgba(p[2], p[1], p[0], p[3]);
	};
	EXPECT_EQ(qAlpha(at(40, 150)), 0);
	QRgb right = at(360, 150);
	EXPECT_EQ(qAlpha(right), 255);
	if (swapped) {
		EXPECT_GT(qGreen(right), 150) << std::hex << right;
		EXPECT_LT(qRed(right), 100) << std::hex << right;
	} else
		EXPECT_GT(qRed(right), 200) << std::hex << right;
}
