#include <BitmapStream.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include <Bitmap.h>
#include <TranslatorFormats.h>

namespace {

typedef std::vector<uint8> Bytes;

// A 3 x 2 bitmap at (10, 20) whose pixel bytes count up from 1.
BBitmap*
make_bitmap(color_space space = B_RGB32)
{
	BBitmap* bitmap = new BBitmap(BRect(10, 20, 12, 21), space);
	uint8* bits = (uint8*)bitmap->Bits();
	for (int32 i = 0; i < bitmap->BitsLength(); i++)
		bits[i] = i + 1;
	return bitmap;
}

Bytes
read_all(BPositionIO& stream)
{
	off_t size = 0;
	EXPECT_EQ(stream.GetSize(&size), B_OK);
	Bytes data(size);
	EXPECT_EQ(stream.ReadAt(0, data.data(), data.size()), (ssize_t)size);
	return data;
}

Bytes
header_bytes(float left, float top, float right, float bottom, uint32 rowBytes, uint32 colors,
	uint32 dataSize, uint32 magic = B_TRANSLATOR_BITMAP)
{
	Bytes header;
	auto put = [&](uint32 value) {
		for (int shift = 24; shift >= 0; shift -= 8)
			header.push_back(value >> shift);
	};
	put(magic);
	for (float value : {left, top, right, bottom}) {
		uint32 bits;
		memcpy(&bits, &value, 4);
		put(bits);
	}
	put(rowBytes);
	put(colors);
	put(dataSize);
	return header;
}

} // namespace

TEST(BitmapStreamTest, ReadsAsBigEndianHeaderThenPixelRows)
{
	BBitmapStream stream(make_bitmap());
	EXPECT_EQ(stream.Size(), 32 + 24);
	Bytes expected = header_bytes(10, 20, 12, 21, 12, B_RGB32, 24);
	for (int i = 0; i < 24; i++)
		expected.push_back(i + 1);
	EXPECT_EQ(read_all(stream), expected);
}

TEST(BitmapStreamTest, WritingHeaderThenPixelsMakesTheBitmap)
{
	BBitmapStream source(make_bitmap(B_RGBA32));
	Bytes data = read_all(source);

	BBitmapStream stream;
	uint8 pixel[4] = {1, 2, 3, 4};
	EXPECT_EQ(stream.WriteAt(40, pixel, 4), B_ERROR);
	// The header in two pieces, then the pixels a few bytes at a time
	// through Write.
	EXPECT_EQ(stream.Write(data.data(), 10), 10);
	EXPECT_EQ(stream.Write(data.data() + 10, 22), 22);
	EXPECT_EQ(stream.Size(), 56);
	for (size_t offset = 32; offset < data.size(); offset += 5) {
		size_t count = std::min<size_t>(5, data.size() - offset);
		ASSERT_EQ(stream.Write(data.data() + offset, count), (ssize_t)count);
	}
	EXPECT_EQ(stream.Position(), 56);
	EXPECT_EQ(stream.Write(pixel, 4), B_BAD_VALUE);
	EXPECT_EQ(read_all(stream), data);

	// The bitmap made, in a stream of its own, reads back as what was written:
	// its bounds, colour space and pixels.
	BBitmap* bitmap = NULL;
	ASSERT_EQ(stream.DetachBitmap(&bitmap), B_OK);
	BBitmapStream detached(bitmap);
	EXPECT_EQ(read_all(detached), data);
}

TEST(BitmapStreamTest, HeadersOfBitmapsWeCannotMakeAreRefused)
{
	const Bytes kBad[] = {
		header_bytes(0, 0, 2, 1, 12, B_RGB32, 24, 'BITS'),
		header_bytes(0, 0, 2, 1, 3, B_CMAP8, 6),
		header_bytes(0, 0, 2, 1, 16, B_RGB32, 32),
		header_bytes(0, 0, 2, 1, 12, B_RGB32, 20),
		header_bytes(0, 0, -1, 1, 0, B_RGB32, 0),
		header_bytes(0, 0, 99999, 99999, 400000, B_RGB32, 400000u * 100000u),
	};
	for (const Bytes& header : kBad) {
		BBitmapStream stream;
		EXPECT_EQ(stream.WriteAt(0, header.data(), header.size()), B_BAD_VALUE);
		BBitmap* bitmap = NULL;
		EXPECT_EQ(stream.DetachBitmap(&bitmap), B_ERROR);
	}

	// A held bitmap keeps its header when a bad one is written over it.
	BBitmapStream stream(make_bitmap());
	Bytes before = read_all(stream);
	EXPECT_EQ(stream.WriteAt(0, kBad[1].data(), 32), B_BAD_VALUE);
	EXPECT_EQ(read_all(stream), before);
}

TEST(BitmapStreamTest, SeekAndSizeStayWithinTheData)
{
	BBitmapStream stream(make_bitmap());
	EXPECT_EQ(stream.Seek(10, SEEK_SET), 10);
	EXPECT_EQ(stream.Seek(5, SEEK_CUR), 15);
	EXPECT_EQ(stream.Seek(-6, SEEK_END), 50);
	EXPECT_EQ(stream.Position(), 50);
	EXPECT_EQ(stream.Seek(57, SEEK_SET), B_BAD_VALUE);
	EXPECT_EQ(stream.Seek(-1, SEEK_SET), B_BAD_VALUE);
	EXPECT_EQ(stream.Position(), 50);

	EXPECT_EQ(stream.SetSize(57), B_BAD_VALUE);
	EXPECT_EQ(stream.SetSize(40), B_OK);
	EXPECT_EQ(read_all(stream).size(), 40u);
	uint8 buffer[16];
	EXPECT_EQ(stream.ReadAt(36, buffer, 16), 4);
	EXPECT_EQ(stream.SetSize(56), B_OK);
}
