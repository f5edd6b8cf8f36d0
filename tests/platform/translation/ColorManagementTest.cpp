// Colour profiles and deep pixels, through the roster: every decoded image
// reaches its bitmap in 8-bit sRGB.
#include <TranslatorRoster.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QColorSpace>
#include <QFile>

#include "TestSupport.h"
#include "TranslationTestSupport.h"

using namespace translation_test;

// colord-data's test profile whose red primary is green and green red.
static const char* kSwappedProfile = "/usr/share/color/icc/colord/SwappedRedAndGreen.icc";

TEST(ColorManagementTest, RedPixelsInASwappedProfileShowGreen)
{
	QFile file(kSwappedProfile);
	QByteArray profile = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
	if (profile.isEmpty())
		GTEST_SKIP() << kSwappedProfile << " is missing (colord-data)";
	QImage tagged(24, 16, QImage::Format_RGB32);
	tagged.fill(qRgb(230, 10, 10));
	tagged.setColorSpace(QColorSpace::fromIccProfile(profile));
	ASSERT_TRUE(tagged.colorSpace().isValid());
	std::vector<std::pair<const char*, Bytes>> cases;
	for (const char* format : {"jpeg", "png", "tiff", "webp"})
		cases.push_back({format, Encode(tagged, format)});
	// The libraries' tools carry the PNG's profile into their files; a
	// missing tool leaves its format out.
	glim_test::TempDir dir;
	glim_test::WriteFile(dir / "swapped.icc", Bytes(profile.begin(), profile.end()));
	const std::pair<const char*, std::string> kTools[] = {
		{"avif", "avifenc -l --icc '" + (dir / "swapped.icc") + "' %1 %2"},
		{"jxl", "cjxl -d 0 %1 %2"},
		{"heic", "heif-enc -q 95 -o %2 %1"},
	};
	for (const auto& [format, command] : kTools) {
		Bytes data = ToolFile(command, tagged, format);
		if (!data.empty())
			cases.push_back({format, data});
	}

	for (const auto& [name, data] : cases) {
		SCOPED_TRACE(name);
		std::unique_ptr<BBitmap> bitmap = Decode(data);
		ASSERT_NE(bitmap, nullptr);
		QRgb color = Pixel(bitmap.get(), 12, 8);
		EXPECT_GT(qGreen(color), 150) << std::hex << color;
		EXPECT_LT(qRed(color), 100) << std::hex << color;
	}
}

TEST(ColorManagementTest, SixteenBitPixelsAreRoundedToTheNearestLevel)
{
	// Every 16-bit value between two 8-bit levels must land on the nearer.
	QImage deep(2048, 2, QImage::Format_RGBX64);
	for (int x = 0; x < deep.width(); x++) {
		quint16 value = x * 32;
		quint16 other = 65535 - value;
		deep.setPixelColor(x, 0, QColor::fromRgba64(value, other, value / 2));
		deep.setPixelColor(x, 1, QColor::fromRgba64(value, other, value / 2));
	}
	QImage tagged = deep;
	tagged.setColorSpace(QColorSpace::SRgb);
	for (const QImage& image : {deep, tagged}) {
		SCOPED_TRACE(image.colorSpace().isValid() ? "with an sRGB profile" : "untagged");
		for (const char* format : {"png", "tiff"}) {
			SCOPED_TRACE(format);
			std::unique_ptr<BBitmap> bitmap = Decode(Encode(image, format));
			ASSERT_NE(bitmap, nullptr);
			int worst = 0;
			for (int x = 0; x < deep.width(); x++) {
				QRgba64 source = deep.pixelColor(x, 1).rgba64();
				QRgb shown = Pixel(bitmap.get(), x, 1);
				int wanted[3] = {(source.red() + 128) / 257, (source.green() + 128) / 257,
					(source.blue() + 128) / 257};
				int got[3] = {qRed(shown), qGreen(shown), qBlue(shown)};
				for (int c = 0; c < 3; c++)
					worst = std::max(worst, std::abs(got[c] - wanted[c]));
			}
			// lcms's sRGB round trip may differ by one level.
			EXPECT_LE(worst, image.colorSpace().isValid() ? 1 : 0);
		}
	}
}

// One colour stored in Display P3, in BT.709 (sRGB's primaries), in PQ,
// which is shown as it is, and with a profile that does not parse, which
// leaves the pixels as they are.
TEST(ColorManagementTest, AvifColourFollowsItsCodePointsOrAProfileThatParses)
{
	QImage image(16, 16, QImage::Format_RGB32);
	image.fill(qRgb(200, 120, 60));
	QColor inSRGB = QColorSpace(QColorSpace::DisplayP3)
						.transformationToColorSpace(QColorSpace::SRgb)
						.map(QColor(200, 120, 60));
	ASSERT_NE(inSRGB.rgb(), qRgb(200, 120, 60));
	glim_test::TempDir dir;
	std::string junk(600, 'x');
	junk.replace(36, 4, "acsp");
	glim_test::WriteFile(dir / "broken.icc", junk);
	const struct {
		std::string options;
		QRgb wanted;
	} kCases[] = {
		{"--cicp 12/13/0", inSRGB.rgb()},
		{"--cicp 1/13/0", qRgb(200, 120, 60)},
		{"--cicp 9/16/0", qRgb(200, 120, 60)},
		{"--icc '" + (dir / "broken.icc") + "'", qRgb(200, 120, 60)},
	};
	for (const auto& test : kCases) {
		SCOPED_TRACE(test.options);
		Bytes avif = ToolFile("avifenc -l " + test.options + " %1 %2", image, "avif");
		if (avif.empty())
			GTEST_SKIP() << "avifenc is not installed";
		std::unique_ptr<BBitmap> bitmap = Decode(avif);
		ASSERT_NE(bitmap, nullptr);
		QRgb color = Pixel(bitmap.get(), 8, 8);
		EXPECT_TRUE(Near(color, test.wanted, 2)) << std::hex << color << " for " << test.wanted;
	}
}
