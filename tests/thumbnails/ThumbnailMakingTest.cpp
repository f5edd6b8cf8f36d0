// The worker's thumbnails, decoded at a reduced size where the format allows,
// against thumbnails scaled from the whole decoded image: the same size, and
// pixels within 2 levels per channel on average.
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <File.h>
#include <TranslationUtils.h>
#include <TranslatorRoster.h>

#include <gtest/gtest.h>

#include "ImageDifference.h"
#include "settings/ImageServices.h"
#include "thumbnails/ThumbnailReader.h"
#include "thumbnails/ThumbnailStore.h"
#include "ViewerTestSupport.h"

using namespace glim;
using namespace glim_test;

namespace {

// A photograph-like image: shapes with edges and fine texture under sensor
// noise, so reductions have detail to lose.
bool
write_photo(const std::string& path, int width, int height, uint32 format)
{
	BBitmap* bitmap = new BBitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	std::mt19937 random(11);
	std::normal_distribution<float> noise(0, 6);
	for (int y = 0; y < height; y++) {
		uint32* row = (uint32*)((uint8*)bitmap->Bits() + y * bitmap->BytesPerRow());
		for (int x = 0; x < width; x++) {
			float u = (float)x / width;
			float v = (float)y / height;
			float ring = std::sin(40 * std::hypot(u - 0.4f, v - 0.6f));
			float base[3] = {200 * u + 30 * ring, 180 * v + 40 * (x / 37 % 2),
				120 + 60 * std::sin(25 * u * v) + 20 * ((x + y) / 9 % 2)};
			uint32 pixel = 0xff000000;
			for (int c = 0; c < 3; c++) {
				int value = (int)std::lround(base[c] + noise(random));
				pixel |= (uint32)std::clamp(value, 0, 255) << (16 - 8 * c);
			}
			row[x] = pixel;
		}
	}
	BBitmapStream stream(bitmap);
	BFile file(path.c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
	return BTranslatorRoster::Default()->Translate(&stream, NULL, NULL, &file, format) == B_OK;
}

class ThumbnailMakingTest : public ViewerTest {
protected:
	std::unique_ptr<BBitmap> Stored(const std::string& path)
	{
		std::vector<char> data;
		if (!read_stored_thumbnail(path.c_str(), data))
			return NULL;
		return std::unique_ptr<BBitmap>(decode_image(data.data(), data.size()));
	}

	TempDir fDir{"making"};
	TempDir fWhole{"making-whole"};
};

} // namespace

TEST_F(ThumbnailMakingTest, ReducedDecodingKeepsTheSizeRuleAndThePixels)
{
	struct Case {
		const char* name;
		int width, height;
		uint32 format;
	} cases[] = {
		{"photo.jpg", 1600, 1200, B_JPEG_FORMAT}, // an eighth is 200 x 150
		{"odd.jpg", 1001, 757, B_JPEG_FORMAT}, // a quarter, sizes rounded up
		{"tall.jpg", 700, 2100, B_JPEG_FORMAT},
		{"small.jpg", 150, 120, B_JPEG_FORMAT}, // no reduction
		{"photo.webp", 1200, 900, B_WEBP_FORMAT},
		{"photo.png", 640, 480, B_PNG_FORMAT},
	};
	for (const Case& c : cases)
		ASSERT_TRUE(write_photo(fDir / c.name, c.width, c.height, c.format)) << c.name;

	BViewerWin* window = OpenWindow(fDir.Path());
	ASSERT_TRUE(WaitFor(
		[&] {
			Settle();
			return !window->WorkerRunning();
		},
		60000000));

	for (const Case& c : cases) {
		SCOPED_TRACE(c.name);
		std::string path = fDir / c.name;
		std::unique_ptr<BBitmap> made = Stored(path);
		ASSERT_TRUE(made);

		// The thumbnail as made from the whole image, into a copy of the file.
		std::string copy = fWhole / c.name;
		WriteFile(copy, ReadFile(path));
		std::unique_ptr<BBitmap> whole(BTranslationUtils::GetBitmap(copy.c_str()));
		ASSERT_TRUE(whole);
		BRect bounds = whole->Bounds();
		float s = thumbnail_scale(bounds.Width(), bounds.Height(), 96, 96);
		BFile file(copy.c_str(), B_READ_WRITE);
		ASSERT_TRUE(window->CreateThumbnail(&file, whole.get(), true, copy.c_str()));
		std::unique_ptr<BBitmap> reference = Stored(copy);
		ASSERT_TRUE(reference);

		EXPECT_EQ(made->Bounds(), reference->Bounds());
		EXPECT_EQ(made->Bounds(),
			BRect(0, 0, std::round(bounds.Width() * s), std::round(bounds.Height() * s)));
		EXPECT_LT(mean_difference(made.get(), reference.get()), 2.0);
	}
}
