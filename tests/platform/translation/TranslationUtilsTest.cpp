#include <TranslationUtils.h>

#include <gtest/gtest.h>

#include <Bitmap.h>
#include <DataIO.h>

#include "TestSupport.h"

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
