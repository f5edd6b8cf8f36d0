// Stored thumbnails read back as untrusted input: only whole JPEG streams of
// thumbnail size are decoded, hostile ones count as missing and are made
// again, and side files are read without following links and with a bound.
#include "thumbnails/ThumbnailReader.h"

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <Bitmap.h>
#include <DataIO.h>
#include <File.h>

#include <gtest/gtest.h>

#include "settings/ImageServices.h"
#include "thumbnails/ThumbnailStore.h"
#include "ViewerTestSupport.h"

using namespace glim;
using namespace glim_test;

namespace {

// A lossless WebP of 16000 x 16000 pixels in 28 bytes: after the signature
// 0x2f come the width and height less one (14 bits each), no alpha, version
// 0, no transform, colour cache or meta prefix codes, then five simple
// prefix codes of one symbol each, so its pixels take no bits at all.
// Decoded it is a gigabyte.
std::vector<char>
webp_bomb()
{
	const char bytes[] = "RIFF\x14\0\0\0WEBPVP8L\x08\0\0\0\x2f\x7f\xfe\x9f\x0f\x88\x88\x08";
	return std::vector<char>(bytes, bytes + sizeof(bytes) - 1);
}

std::vector<char>
encoded(int width, int height, uint32 format = 'JPEG')
{
	BBitmap bitmap(BRect(0, 0, width - 1, height - 1), B_RGB32);
	memset(bitmap.Bits(), 0x60, bitmap.BitsLength());
	BMallocIO io;
	if (encode_image(&bitmap, &io, format) != B_OK)
		return {};
	return std::vector<char>((const char*)io.Buffer(),
		(const char*)io.Buffer() + io.BufferLength());
}

// The JPEG stream with its first frame header claiming width x height.
std::vector<char>
with_frame_size(std::vector<char> jpeg, int width, int height)
{
	for (size_t i = 2; i + 8 < jpeg.size(); i++) {
		if ((uint8)jpeg[i] == 0xff && (uint8)jpeg[i + 1] == 0xc0) {
			jpeg[i + 5] = (char)(height >> 8);
			jpeg[i + 6] = (char)height;
			jpeg[i + 7] = (char)(width >> 8);
			jpeg[i + 8] = (char)width;
			return jpeg;
		}
	}
	ADD_FAILURE() << "no frame header";
	return jpeg;
}

std::vector<char>
random_bytes(size_t length, unsigned seed)
{
	std::mt19937 random(seed);
	std::vector<char> bytes(length);
	for (char& byte : bytes)
		byte = (char)random();
	return bytes;
}

class StoredThumbnailTest : public ViewerTest {
protected:
	// An image whose size attributes match it, as if its thumbnail was made
	// for the default width.
	std::string Image(const char* name)
	{
		std::string path = fDir / name;
		EXPECT_TRUE(WriteImage(path, 200, 150, 0x336699));
		struct stat st;
		EXPECT_EQ(stat(path.c_str(), &st), 0);
		int32 size = (int32)st.st_size, width = 96;
		EXPECT_EQ(setxattr(path.c_str(), "user.GLIM:Filesize", &size, 4, 0), 0);
		EXPECT_EQ(setxattr(path.c_str(), "user.GLIM:Thumbsize", &width, 4, 0), 0);
		return path;
	}

	static bool IsCurrent(const std::string& path)
	{
		BFile file(path.c_str(), B_READ_ONLY);
		struct stat st;
		stat(path.c_str(), &st);
		return thumbnail_is_current(path.c_str(), file, st.st_size, 96);
	}

	TempDir fDir{"stored"};
};

} // namespace

TEST(ThumbnailReaderTest, OnlyWholeJpegStreamsOfThumbnailSizeAreAccepted)
{
	std::vector<char> small = encoded(97, 73);
	ASSERT_GT(small.size(), 100u);
	std::vector<char> overrun = small;
	// The first segment's length reaches past the end.
	overrun[4] = overrun[5] = (char)0xff;
	std::vector<char> randomWithMarkers = random_bytes(4000, 3);
	randomWithMarkers[0] = randomWithMarkers[3998] = (char)0xff;
	randomWithMarkers[1] = (char)0xd8;
	randomWithMarkers[3999] = (char)0xd9;

	struct {
		const char* name;
		std::vector<char> data;
		bool accepted;
		int32 width, height;
	} cases[] = {
		{"a thumbnail", small, true, 97, 73},
		{"the longest side allowed", encoded(kMaxStoredThumbnailSide, 20), true,
			kMaxStoredThumbnailSide, 20},
		{"one pixel too wide", encoded(kMaxStoredThumbnailSide + 1, 20), false, 0, 0},
		{"a frame header of 16000 x 16000", with_frame_size(small, 16000, 16000), false, 0, 0},
		{"a frame of no width", with_frame_size(small, 0, 73), false, 0, 0},
		{"a truncated stream",
			std::vector<char>(small.begin(), small.begin() + small.size() / 2), false, 0, 0},
		{"a segment past the end", overrun, false, 0, 0},
		{"no frame header", {(char)0xff, (char)0xd8, (char)0xff, (char)0xd9}, false, 0, 0},
		{"a PNG", encoded(10, 10, 'PNG '), false, 0, 0},
		{"the WebP bomb", webp_bomb(), false, 0, 0},
		{"random bytes between JPEG markers", randomWithMarkers, false, 0, 0},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		ASSERT_GT(test.data.size(), 3u);
		int32 width = -1, height = -1;
		EXPECT_EQ(check_stored_thumbnail(test.data.data(), test.data.size(), &width, &height),
			test.accepted);
		std::unique_ptr<BBitmap> bitmap(
			decode_stored_thumbnail(test.data.data(), test.data.size()));
		EXPECT_EQ(bitmap != nullptr, test.accepted);
		if (test.accepted) {
			EXPECT_EQ(width, test.width);
			EXPECT_EQ(height, test.height);
			ASSERT_TRUE(bitmap);
			EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, test.width - 1, test.height - 1));
		}
	}
	EXPECT_FALSE(check_stored_thumbnail(NULL, 0));
	EXPECT_FALSE(check_stored_thumbnail(small.data(), 3));
}

TEST_F(StoredThumbnailTest, HostileThumbnailsAreNotCurrentAndNeverDecoded)
{
	const std::pair<const char*, std::vector<char>> cases[] = {
		{"bomb.png", webp_bomb()},
		{"random.png", random_bytes(3000, 2)},
		{"huge.png", with_frame_size(encoded(97, 73), 16000, 16000)},
	};
	for (const auto& [name, data] : cases) {
		SCOPED_TRACE(name);
		std::string path = Image(name);
		ASSERT_EQ(setxattr(path.c_str(), "user.GLIM:Thumbnail", data.data(), data.size(), 0),
			0);
		struct rusage before, after;
		getrusage(RUSAGE_SELF, &before);
		auto start = std::chrono::steady_clock::now();
		EXPECT_FALSE(IsCurrent(path));
		EXPECT_EQ(std::unique_ptr<BBitmap>(read_thumbnail_bitmap(path.c_str())), nullptr);
		EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
		getrusage(RUSAGE_SELF, &after);
		EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 100 * 1024) << "decoded after all";
	}
	// A missing stream behind matching sizes is made again too.
	EXPECT_FALSE(IsCurrent(Image("bare.png")));
}

TEST_F(StoredThumbnailTest, SideFilesAreReadOnlyWhenRegularAndSmall)
{
	// On a volume with attributes the side file counts for images that carry
	// the size attributes without the stream.
	std::vector<char> good = encoded(60, 40);
	struct {
		const char* name;
		std::function<void(const std::string& side)> make;
		bool read;
	} cases[] = {
		{"plain.png", [&](const std::string& side) { WriteFile(side, good); }, true},
		{"link.png",
			[&](const std::string& side) {
				WriteFile(fDir / "elsewhere.jpg", good);
				ASSERT_EQ(symlink((fDir / "elsewhere.jpg").c_str(), side.c_str()), 0);
			},
			false},
		{"sparse.png",
			[&](const std::string& side) {
				// 64 GiB that take no room: refused by its size, unread.
				WriteFile(side, good);
				ASSERT_EQ(truncate(side.c_str(), (off_t)64 << 30), 0);
			},
			false},
		{"justover.png",
			[&](const std::string& side) {
				std::vector<char> padded = good;
				padded.resize(kMaxStoredThumbnailBytes + 1);
				WriteFile(side, padded);
			},
			false},
		{"fifo.png", [&](const std::string& side) { ASSERT_EQ(mkfifo(side.c_str(), 0644), 0); },
			false},
		{"folder.png", [&](const std::string& side) { MakeDirs(side); }, false},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.name);
		std::string path = Image(test.name);
		test.make(side_file_path(path.c_str()));
		auto start = std::chrono::steady_clock::now();
		std::vector<char> data;
		EXPECT_EQ(read_stored_thumbnail(path.c_str(), data), test.read);
		if (test.read) {
			EXPECT_EQ(data, good);
		}
		EXPECT_EQ(IsCurrent(path), test.read);
		EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
	}
}
