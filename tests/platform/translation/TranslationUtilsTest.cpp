#include <TranslationUtils.h>

#include <gtest/gtest.h>


#include <Bitmap.h>
#include <DataIO.h>

#include "TestSupport.h"
#include "TranslationTestSupport.h"

using translation_test::Bytes;

static Bytes
png_bytes(int width, int height)
{
	QImage image(width, height, QImage::Format_RGB32);
	image.fill(qRgb(10, 200, 30));
	return translation_test::Encode(image, "png");
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

	Bytes data = png_bytes(3, 4);
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

// The toolbar and about pictures come from the resources built into the
// running executable.
TEST(TranslationUtilsTest, PictureResourcesDecodeFromTheApplicationFile)
{
	for (int32 id : {1, 2, 8, 9, 10, 14, 17}) {
		SCOPED_TRACE(id);
		std::unique_ptr<BBitmap> picture(BTranslationUtils::GetBitmap('PICT', id));
		ASSERT_NE(picture, nullptr);
		EXPECT_EQ(picture->Bounds(), BRect(0, 0, 39, 39));
	}
	std::unique_ptr<BBitmap> logo(BTranslationUtils::GetBitmap('PICT', 11));
	ASSERT_NE(logo, nullptr);
	EXPECT_EQ(logo->Bounds(), BRect(0, 0, 49, 19));
	std::unique_ptr<BBitmap> jpeg(BTranslationUtils::GetBitmap('PICT', 12));
	EXPECT_NE(jpeg, nullptr);
	EXPECT_EQ(BTranslationUtils::GetBitmap('PICT', 99), nullptr);
	EXPECT_EQ(BTranslationUtils::GetBitmap('XXXX', 1), nullptr);
}
