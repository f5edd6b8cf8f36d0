// The translators on the image libraries (HEIF, AVIF, JPEG XL, camera RAW),
// through the roster as the viewer uses them, on files made by the
// libraries' own tools and by the libraries themselves.
#include <TranslatorRoster.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <jxl/codestream_header.h>
#include <libheif/heif.h>

#include "TranslationTestSupport.h"

using namespace translation_test;

TEST(NativeCodecTest, OrientationOfTheFileIsApplied)
{
	// A 40 × 20 picture stored turned: shown upright it is 20 × 40 with red
	// on top (a quarter turn clockwise), or red on the right (mirrored).
	QImage image = Halves(40, 20);
	struct Case {
		const char* name;
		Bytes data;
		bool turned;
	} cases[] = {
		{"heic rotated", MakeHeic(image, heif_orientation_rotate_90_cw), true},
		{"heic mirrored", MakeHeic(image, heif_orientation_flip_horizontally), false},
		{"jxl rotated", MakeJxl(image, JXL_ORIENT_ROTATE_90_CW), true},
		{"jxl mirrored", MakeJxl(image, JXL_ORIENT_FLIP_HORIZONTAL), false},
		// irot turns anticlockwise: three quarters of it are one clockwise.
		{"avif rotated", ToolFile("avifenc --irot 3 %1 %2", image, "avif"), true},
		{"avif mirrored", ToolFile("avifenc --imir 1 %1 %2", image, "avif"), false},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.name);
		if (test.data.empty())
			continue;
		std::unique_ptr<BBitmap> bitmap = Decode(test.data);
		ASSERT_NE(bitmap, nullptr);
		ASSERT_EQ(bitmap->Bounds(), test.turned ? BRect(0, 0, 19, 39) : BRect(0, 0, 39, 19));
		BPoint red = test.turned ? BPoint(10, 5) : BPoint(34, 10);
		BPoint blue = test.turned ? BPoint(10, 34) : BPoint(5, 10);
		EXPECT_TRUE(Near(Pixel(bitmap.get(), red.x, red.y), kRed, 70));
		EXPECT_TRUE(Near(Pixel(bitmap.get(), blue.x, blue.y), kBlue, 70));
	}
}

TEST(NativeCodecTest, DngIsDevelopedUprightOrShownFromItsPreview)
{
	// Orientation 6: the stored picture is shown a quarter turn clockwise.
	Bytes dng = MakeDng(Halves(64, 40), 6);
	ASSERT_FALSE(dng.empty());
	EXPECT_EQ(Identify(dng), (uint32)B_RAW_FORMAT);
	std::unique_ptr<BBitmap> bitmap = Decode(dng);
	ASSERT_NE(bitmap, nullptr);
	ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 39, 63));
	EXPECT_GT(qRed(Pixel(bitmap.get(), 20, 8)), qBlue(Pixel(bitmap.get(), 20, 8)));
	EXPECT_GT(qBlue(Pixel(bitmap.get(), 20, 56)), qRed(Pixel(bitmap.get(), 20, 56)));

	// A preview of the camera's size is used as it is: here it is green,
	// where the sensor data is red and blue.
	QImage green(1200, 750, QImage::Format_RGB32);
	green.fill(qRgb(30, 200, 40));
	bitmap = Decode(MakeDng(Halves(64, 40), 6, green));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 749, 1199));
	EXPECT_EQ(Pixel(bitmap.get(), 300, 600), qRgb(30, 200, 40));
}

TEST(NativeCodecTest, TruncatedAndCorruptFilesFailCleanly)
{
	// Each tool makes the file %2 from the PNG %1.
	const std::pair<const char*, const char*> kTools[] = {
		{"heic", "heif-enc -q 90 -o %2 %1"},
		{"avif", "avifenc -s 8 %1 %2"},
		{"jxl", "cjxl %1 %2"},
	};
	std::vector<std::pair<std::string, Bytes>> samples;
	for (const auto& [format, command] : kTools)
		samples.push_back({format, ToolFile(command, Halves(64, 48), format)});
	samples.push_back({"dng", MakeDng(Halves(64, 48), 1)});
	for (const auto& [name, whole] : samples) {
		SCOPED_TRACE(name);
		if (!whole.empty())
			ExpectWholeOrError(whole, BRect(0, 0, 63, 47), 14);
	}
}

TEST(NativeCodecTest, TenBitImagesKeepEveryLevel)
{
	// A 16-bit grey ramp over 1024 pixels; 10-bit files of it must show all
	// 256 display levels in order, each step one level.
	QImage ramp(1024, 8, QImage::Format_RGBX64);
	for (int y = 0; y < ramp.height(); y++) {
		for (int x = 0; x < ramp.width(); x++) {
			quint16 value = x * 65535 / 1023;
			ramp.setPixelColor(x, y, QColor::fromRgba64(value, value, value));
		}
	}
	const std::pair<const char*, const char*> kDeep[] = {
		{"heic", "heif-enc -L -b 10 -o %2 %1"},
		{"avif", "avifenc -l -d 10 %1 %2"},
	};
	for (const auto& [format, command] : kDeep) {
		SCOPED_TRACE(format);
		Bytes data = ToolFile(command, ramp, format);
		if (data.empty())
			continue;
		std::unique_ptr<BBitmap> bitmap = Decode(data);
		ASSERT_NE(bitmap, nullptr);
		int previous = qGreen(Pixel(bitmap.get(), 0, 4));
		EXPECT_LE(previous, 1);
		int largestStep = 0;
		for (int x = 1; x < 1024; x++) {
			int level = qGreen(Pixel(bitmap.get(), x, 4));
			largestStep = std::max(largestStep, std::abs(level - previous));
			previous = level;
		}
		EXPECT_LE(largestStep, 1);
		EXPECT_GE(previous, 254);
	}
}
