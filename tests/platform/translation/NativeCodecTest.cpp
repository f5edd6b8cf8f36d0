// The translators on the image libraries (HEIF, AVIF, JPEG XL, camera RAW),
// through the roster as the viewer uses them, on files made by the
// libraries' own tools and by the libraries themselves.
#include <TranslatorRoster.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <jxl/codestream_header.h>
#include <libheif/heif.h>

#include "TestSupport.h"
#include "TranslationTestSupport.h"

using glim_test::TempDir;
using namespace translation_test;

namespace {

struct ToolCase {
	const char* name;
	// Makes the file %2 from the PNG %1.
	const char* command;
};

const ToolCase kTools[] = {
	{"heic", "heif-enc -q 90 -o %2 %1"},
	{"avif", "avifenc -s 8 %1 %2"},
	{"jxl", "cjxl %1 %2"},
};

// The picture encoded by a format's own tool with command into a file named
// for its format; empty when the tool is missing.
Bytes
tool_file(const TempDir& dir, const char* format, const char* command, const QImage& image)
{
	if (!HaveTool(std::string(command, strchr(command, ' ')).c_str()))
		return Bytes();
	std::string png = dir / "source.png";
	std::string made = dir / (std::string("made.") + format);
	EXPECT_TRUE(image.save(QString::fromStdString(png), "png"));
	std::string line = command;
	line.replace(line.find("%1"), 2, "'" + png + "'");
	line.replace(line.find("%2"), 2, "'" + made + "'");
	EXPECT_TRUE(RunQuietly(line)) << line;
	return glim_test::ReadFile(made);
}

} // namespace

TEST(NativeCodecTest, OrientationOfTheFileIsApplied)
{
	// A 40 × 20 picture stored turned: shown upright it is 20 × 40 with red
	// on top (a quarter turn clockwise), or red on the right (mirrored).
	QImage image = Halves(40, 20);
	TempDir dir;
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
		{"avif rotated", tool_file(dir, "avif", "avifenc --irot 3 %1 %2", image), true},
		{"avif mirrored", tool_file(dir, "avif", "avifenc --imir 1 %1 %2", image), false},
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.name);
		if (test.data.empty())
			continue;
		std::unique_ptr<BBitmap> bitmap = Decode(test.data);
		ASSERT_NE(bitmap, nullptr);
		if (test.turned) {
			ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 19, 39));
			EXPECT_TRUE(IsRed(Pixel(bitmap.get(), 10, 5)));
			EXPECT_TRUE(IsBlue(Pixel(bitmap.get(), 10, 34)));
		} else {
			ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 39, 19));
			EXPECT_TRUE(IsBlue(Pixel(bitmap.get(), 5, 10)));
			EXPECT_TRUE(IsRed(Pixel(bitmap.get(), 34, 10)));
		}
	}
}

TEST(NativeCodecTest, DngIsDevelopedUprightOrShownFromItsPreview)
{
	TempDir dir;
	// Orientation 6: the stored picture is shown a quarter turn clockwise.
	Bytes dng = MakeDng(dir / "made.dng", Halves(64, 40), 6);
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
	bitmap = Decode(MakeDng(dir / "preview.dng", Halves(64, 40), 6, green));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 749, 1199));
	EXPECT_EQ(Pixel(bitmap.get(), 300, 600), qRgb(30, 200, 40));

	// A plain TIFF stays a TIFF.
	EXPECT_EQ(Identify(Encode(Halves(16, 8), "tiff")), (uint32)B_TIFF_FORMAT);
}

TEST(NativeCodecTest, TruncatedAndCorruptFilesFailCleanly)
{
	TempDir dir;
	std::vector<std::pair<std::string, Bytes>> samples;
	for (const ToolCase& tool : kTools)
		samples.push_back({tool.name, tool_file(dir, tool.name, tool.command, Halves(64, 48))});
	samples.push_back({"dng", MakeDng(dir / "made.dng", Halves(64, 48), 1)});
	std::mt19937 random(14);
	for (const auto& [name, whole] : samples) {
		SCOPED_TRACE(name);
		if (whole.empty())
			continue;
		std::vector<Bytes> broken;
		for (double fraction : {0.0, 0.02, 0.1, 0.3, 0.5, 0.8, 0.99})
			broken.emplace_back(whole.begin(),
				whole.begin() + (size_t)(whole.size() * fraction));
		for (int round = 0; round < 8; round++) {
			Bytes corrupt = whole;
			size_t start = random() % corrupt.size();
			for (size_t i = start; i < std::min(corrupt.size(), start + 24); i++)
				corrupt[i] = (char)random();
			broken.push_back(corrupt);
		}
		ExpectWholeOrError(broken, BRect(0, 0, 63, 47));
	}
}

TEST(NativeCodecTest, HeifClaimingOverOneGibibyteIsRefusedBeforeDecoding)
{
	TempDir dir;
	Bytes heic = tool_file(dir, kTools[0].name, kTools[0].command, Halves(64, 48));
	if (heic.empty())
		GTEST_SKIP() << "heif-enc is not installed";
	// Every spatial extent property (the grid's and its tiles'): 30000 ×
	// 30000 pixels.
	const char kIspe[] = "ispe";
	const char kSize[8] = {0, 0, 0x75, 0x30, 0, 0, 0x75, 0x30};
	int patched = 0;
	for (auto box = heic.begin();
		 (box = std::search(box, heic.end(), kIspe, kIspe + 4)) != heic.end(); box += 4) {
		std::copy(kSize, kSize + 8, box + 8);
		patched++;
	}
	ASSERT_GT(patched, 0);
	status_t status;
	EXPECT_EQ(Decode(heic, &status), nullptr);
	EXPECT_EQ(status, B_NO_MEMORY);
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
	const ToolCase kDeep[] = {
		{"heic", "heif-enc -L -b 10 -o %2 %1"},
		{"avif", "avifenc -l -d 10 %1 %2"},
	};
	for (const ToolCase& tool : kDeep) {
		SCOPED_TRACE(tool.name);
		TempDir dir;
		Bytes data = tool_file(dir, tool.name, tool.command, ramp);
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
