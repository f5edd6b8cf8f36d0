#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <Bitmap.h>
#include <DataIO.h>

#include "TestSupport.h"

static std::vector<char>
png_bytes(int width, int height)
{
	QImage image(width, height, QImage::Format_RGB32);
	image.fill(qRgb(10, 200, 30));
	QByteArray data;
	QBuffer buffer(&data);
	buffer.open(QIODevice::WriteOnly);
	QImageWriter(&buffer, "png").write(image);
	return std::vector<char>(data.begin(), data.end());
}

TEST(TranslationUtilsTest, GetBitmapDecodesFilesAndStreams)
{
	glim_test::TempDir dir;
	// A file name that is not UTF-8 is still just bytes to open.
	std::string path = dir / "pic\xff\xfe.data";
	glim_test::WriteFile(path, png_bytes(12, 7));
	std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmap(path.c_str()));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 11, 6));
	EXPECT_EQ(((const uint8*)bitmap->Bits())[1], 200);

	std::vector<char> data = png_bytes(3, 4);
	BMemoryIO stream(data.data(), data.size());
	bitmap.reset(BTranslationUtils::GetBitmap(&stream));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 2, 3));
}

TEST(TranslationUtilsTest, GetBitmapFailsWithNull)
{
	glim_test::TempDir dir;
	glim_test::WriteFile(dir / "note.png", std::string("not a picture"));
	EXPECT_EQ(BTranslationUtils::GetBitmap((const char*)NULL), nullptr);
	EXPECT_EQ(BTranslationUtils::GetBitmap((BPositionIO*)NULL), nullptr);
	EXPECT_EQ(BTranslationUtils::GetBitmap((dir / "missing.png").c_str()), nullptr);
	EXPECT_EQ(BTranslationUtils::GetBitmap((dir / "note.png").c_str()), nullptr);
	EXPECT_EQ(BTranslationUtils::GetBitmap(dir.Path().c_str()), nullptr);
}
