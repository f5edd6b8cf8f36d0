#include <TranslatorRoster.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <TranslatorFormats.h>

#include "TestSupport.h"

namespace {

typedef std::vector<char> Bytes;

// A read-only stream over a real file.
class FileIO : public BPositionIO {
public:
	explicit FileIO(const std::string& path) :
		fFD(open(path.c_str(), O_RDONLY)),
		fPosition(0)
	{
	}
	~FileIO() override
	{
		if (fFD >= 0)
			close(fFD);
	}
	bool IsOpen() const { return fFD >= 0; }
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override
	{
		ssize_t read = pread(fFD, buffer, size, position);
		return read < 0 ? BPrivate::status_from_errno(errno) : read;
	}
	ssize_t WriteAt(off_t, const void*, size_t) override { return B_NOT_ALLOWED; }
	off_t Seek(off_t position, uint32 mode) override
	{
		if (mode == SEEK_END) {
			struct stat info;
			fstat(fFD, &info);
			position += info.st_size;
		} else if (mode == SEEK_CUR)
			position += fPosition;
		return fPosition = position;
	}
	off_t Position() const override { return fPosition; }

private:
	int fFD;
	off_t fPosition;
};

// A picture with a left red half and a right blue half, opaque or with a
// half-transparent bottom row.
QImage
make_image(int width, int height, bool alpha = false)
{
	QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++) {
			QRgb color = x < width / 2 ? qRgb(220, 20, 20) : qRgb(20, 20, 220);
			if (alpha && y == height - 1)
				color = qRgba(qRed(color), qGreen(color), qBlue(color), 128);
			image.setPixel(x, y, color);
		}
	}
	return image;
}

Bytes
encode(const QImage& image, const char* format)
{
	QByteArray data;
	QBuffer buffer(&data);
	buffer.open(QIODevice::WriteOnly);
	QImageWriter writer(&buffer, format);
	EXPECT_TRUE(writer.write(image)) << format << ": " << qPrintable(writer.errorString());
	return Bytes(data.begin(), data.end());
}

// Qt cannot write GIF, so the test writes one itself: 8-bit LZW codes with
// a clear code before the table would need wider codes.
Bytes
make_gif(int width, int height)
{
	Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
	auto put16 = [&](int value) {
		gif.push_back(value & 0xff);
		gif.push_back(value >> 8);
	};
	put16(width);
	put16(height);
	gif.insert(gif.end(), {(char)0xf6, 0, 0});
	for (int i = 0; i < 128; i++)
		gif.insert(gif.end(), {(char)(i * 2), (char)(255 - i * 2), (char)i});
	gif.push_back(0x2c);
	put16(0);
	put16(0);
	put16(width);
	put16(height);
	gif.push_back(0);
	gif.push_back(7);
	Bytes codes;
	for (int i = 0; i < width * height; i++) {
		if (i % 64 == 0)
			codes.push_back((char)128);
		codes.push_back((char)(i % 128));
	}
	codes.push_back((char)129);
	for (size_t start = 0; start < codes.size(); start += 255) {
		size_t count = std::min<size_t>(255, codes.size() - start);
		gif.push_back((char)count);
		gif.insert(gif.end(), codes.begin() + start, codes.begin() + start + count);
	}
	gif.push_back(0);
	gif.push_back(0x3b);
	return gif;
}

BTranslatorRoster*
roster()
{
	return BTranslatorRoster::Default();
}

// Decodes through the roster as the viewer does; the bitmap or NULL and the
// status.
std::unique_ptr<BBitmap>
decode(const Bytes& data, status_t* _status = NULL)
{
	BMemoryIO source(data.data(), data.size());
	BBitmapStream stream;
	status_t status = roster()->Translate(&source, NULL, NULL, &stream, B_TRANSLATOR_BITMAP);
	if (_status != NULL)
		*_status = status;
	BBitmap* bitmap = NULL;
	if (status == B_OK) {
		EXPECT_EQ(stream.DetachBitmap(&bitmap), B_OK);
	}
	return std::unique_ptr<BBitmap>(bitmap);
}

uint32
identify(const Bytes& data, uint32 wantType = B_TRANSLATOR_BITMAP, status_t* _status = NULL)
{
	BMemoryIO source(data.data(), data.size());
	translator_info info;
	status_t status = roster()->Identify(&source, NULL, &info, 0, NULL, wantType);
	if (_status != NULL)
		*_status = status;
	return status == B_OK ? info.type : 0;
}

Bytes
malloc_bytes(const BMallocIO& io)
{
	const char* data = (const char*)io.Buffer();
	return data == NULL ? Bytes() : Bytes(data, data + io.BufferLength());
}

uint32
crc32(const unsigned char* data, size_t length)
{
	uint32 crc = 0xffffffff;
	for (size_t i = 0; i < length; i++) {
		crc ^= data[i];
		for (int bit = 0; bit < 8; bit++)
			crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
	}
	return ~crc;
}

void
put_be32(Bytes& bytes, uint32 value)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		bytes.push_back((char)(value >> shift));
}

struct FormatCase {
	const char* name;
	uint32 type;
};

const FormatCase kDecodedFormats[] = {
	{"jpeg", B_JPEG_FORMAT},
	{"png", B_PNG_FORMAT},
	{"gif", B_GIF_FORMAT},
	{"bmp", B_BMP_FORMAT},
	{"tiff", B_TIFF_FORMAT},
	{"webp", B_WEBP_FORMAT},
};

Bytes
sample_file(const FormatCase& format, int width, int height)
{
	if (format.type == B_GIF_FORMAT)
		return make_gif(width, height);
	return encode(make_image(width, height), format.name);
}

} // namespace

// Each test runs in its own process, so this is also the roster's first use.
TEST(TranslatorRosterTest, TwoThreadsDecodeAndEncodeAtOnce)
{
	EXPECT_EQ(QCoreApplication::instance(), nullptr);
	Bytes jpeg = encode(make_image(120, 80), "jpeg");
	Bytes png = encode(make_image(90, 70, true), "png");
	auto work = [](const Bytes* data, int width, int* failures) {
		for (int i = 0; i < 15; i++) {
			std::unique_ptr<BBitmap> bitmap = decode(*data);
			if (bitmap == NULL || bitmap->Bounds().IntegerWidth() + 1 != width) {
				(*failures)++;
				continue;
			}
			BBitmapStream stream(bitmap.release());
			BMallocIO out;
			if (roster()->Translate(&stream, NULL, NULL, &out, B_JPEG_FORMAT) != B_OK)
				(*failures)++;
		}
	};
	int failures[2] = {0, 0};
	std::thread first(work, &jpeg, 120, &failures[0]);
	std::thread second(work, &png, 90, &failures[1]);
	first.join();
	second.join();
	EXPECT_EQ(failures[0], 0);
	EXPECT_EQ(failures[1], 0);
}

TEST(TranslatorRosterTest, TranslatorsComeInFixedOrderWithTheirFormats)
{
	translator_id* ids = NULL;
	int32 count = 0;
	ASSERT_EQ(roster()->GetAllTranslators(&ids, &count), B_OK);
	std::unique_ptr<translator_id[]> owner(ids);
	ASSERT_GE(count, 6);

	const struct {
		const char* name;
		uint32 type;
		bool writes;
	} kExpected[] = {
		{"JPEG images", B_JPEG_FORMAT, true},
		{"PNG images", B_PNG_FORMAT, true},
		{"GIF images", B_GIF_FORMAT, false},
		{"BMP images", B_BMP_FORMAT, true},
		{"TIFF images", B_TIFF_FORMAT, true},
		{"WebP images", B_WEBP_FORMAT, true},
	};
	for (int32 i = 0; i < count; i++) {
		const char* name = NULL;
		const char* info = NULL;
		int32 version = 0;
		ASSERT_EQ(roster()->GetTranslatorInfo(ids[i], &name, &info, &version), B_OK);
		SCOPED_TRACE(name);
		EXPECT_GT(strlen(info), 0u);
		EXPECT_EQ(version, B_TRANSLATION_MAKE_VERSION(1, 0, 0));

		const translation_format* outputs = NULL;
		int32 outputCount = 0;
		ASSERT_EQ(roster()->GetOutputFormats(ids[i], &outputs, &outputCount), B_OK);
		ASSERT_GE(outputCount, 1);
		EXPECT_EQ(outputs[outputCount - 1].type, (uint32)B_TRANSLATOR_BITMAP);
		for (int32 j = 0; j < outputCount; j++)
			EXPECT_EQ(outputs[j].group, (uint32)B_TRANSLATOR_BITMAP);

		const translation_format* inputs = NULL;
		int32 inputCount = 0;
		ASSERT_EQ(roster()->GetInputFormats(ids[i], &inputs, &inputCount), B_OK);
		ASSERT_GE(inputCount, 1);
		EXPECT_NE(inputs[0].type, (uint32)B_TRANSLATOR_BITMAP);
		// A writer reads bitmaps and writes its own type first.
		EXPECT_EQ(inputCount, outputCount);
		if (outputCount == 2) {
			EXPECT_EQ(outputs[0].type, inputs[0].type);
		}

		if (i < 6) {
			EXPECT_STREQ(name, kExpected[i].name);
			EXPECT_EQ(inputs[0].type, kExpected[i].type);
			EXPECT_EQ(outputCount, kExpected[i].writes ? 2 : 1);
		}
	}

	const translation_format* formats = NULL;
	int32 formatCount = 0;
	EXPECT_EQ(roster()->GetOutputFormats(count + 1, &formats, &formatCount), B_NO_TRANSLATOR);
	EXPECT_EQ(roster()->GetOutputFormats(0, &formats, &formatCount), B_NO_TRANSLATOR);
	EXPECT_EQ(roster()->GetTranslatorInfo(count + 1, NULL, NULL, NULL), B_NO_TRANSLATOR);
	EXPECT_EQ(roster()->GetAllTranslators(NULL, &count), B_BAD_VALUE);
	EXPECT_EQ(roster()->GetInputFormats(ids[0], NULL, &formatCount), B_BAD_VALUE);
}

TEST(TranslatorRosterTest, IdentifiesAndDecodesEachCommonFormat)
{
	for (const FormatCase& format : kDecodedFormats) {
		SCOPED_TRACE(format.name);
		Bytes data = sample_file(format, 37, 23);
		BMemoryIO source(data.data(), data.size());
		translator_info info;
		ASSERT_EQ(roster()->Identify(&source, NULL, &info, 0, NULL, B_TRANSLATOR_BITMAP), B_OK);
		EXPECT_EQ(info.type, format.type);
		EXPECT_EQ(info.group, (uint32)B_TRANSLATOR_BITMAP);
		EXPECT_GT(strlen(info.MIME), 0u);
		EXPECT_EQ(source.Position(), 0);

		const char* name = NULL;
		ASSERT_EQ(roster()->GetTranslatorInfo(info.translator, &name, NULL, NULL), B_OK);
		EXPECT_NE(std::string(name).find(' '), std::string::npos);

		status_t status;
		std::unique_ptr<BBitmap> bitmap = decode(data, &status);
		ASSERT_EQ(status, B_OK);
		ASSERT_NE(bitmap, nullptr);
		EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 36, 22));
		EXPECT_EQ(bitmap->ColorSpace(), B_RGB32);
		EXPECT_EQ(bitmap->BytesPerRow(), 37 * 4);
	}
}

TEST(TranslatorRosterTest, DecodedPixelsAndColourSpaceFollowTheImage)
{
	std::unique_ptr<BBitmap> bitmap = decode(encode(make_image(4, 3, true), "png"));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->ColorSpace(), B_RGBA32);
	const uint8* bits = (const uint8*)bitmap->Bits();
	// B, G, R, A in memory; the bottom row is half transparent, straight.
	const uint8 topLeft[] = {20, 20, 220, 255};
	EXPECT_EQ(memcmp(bits, topLeft, 4), 0);
	const uint8* bottomRight = bits + 2 * bitmap->BytesPerRow() + 3 * 4;
	const uint8 expected[] = {220, 20, 20, 128};
	EXPECT_EQ(memcmp(bottomRight, expected, 4), 0);

	QImage gray(5, 5, QImage::Format_Grayscale8);
	gray.fill(100);
	bitmap = decode(encode(gray, "png"));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->ColorSpace(), B_RGB32);
	EXPECT_EQ(((const uint8*)bitmap->Bits())[1], 100);
}

TEST(TranslatorRosterTest, IdentifyGoesByContentNotByName)
{
	glim_test::TempDir dir;
	Bytes png = encode(make_image(10, 10), "png");
	glim_test::WriteFile(dir / "x.jpg", png);
	glim_test::WriteFile(dir / "y.png", std::string("just some words, no picture\n"));
	glim_test::WriteFile(dir / "z.ppm", std::string("P3 is how this note starts\n"));

	translator_info info;
	FileIO pngFile(dir / "x.jpg");
	ASSERT_TRUE(pngFile.IsOpen());
	ASSERT_EQ(roster()->Identify(&pngFile, NULL, &info, B_JPEG_FORMAT, "image/jpeg",
				  B_TRANSLATOR_BITMAP),
		B_OK);
	EXPECT_EQ(info.type, (uint32)B_PNG_FORMAT);

	FileIO textFile(dir / "y.png");
	EXPECT_EQ(roster()->Identify(&textFile, NULL, &info, B_PNG_FORMAT, "image/png",
				  B_TRANSLATOR_BITMAP),
		B_NO_TRANSLATOR);
	FileIO noteFile(dir / "z.ppm");
	EXPECT_EQ(roster()->Identify(&noteFile, NULL, &info, 0, NULL, B_TRANSLATOR_BITMAP),
		B_NO_TRANSLATOR);
}

TEST(TranslatorRosterTest, DataThatIsNoImageIsNotIdentified)
{
	std::mt19937 random(7);
	Bytes noise(5000);
	for (char& byte : noise)
		byte = (char)random();
	Bytes zeros(5000, 0);
	Bytes cutPng = encode(make_image(10, 10), "png");
	cutPng.resize(12);
	const Bytes kCases[] = {Bytes(), Bytes{'\xff', '\xd8'}, zeros, noise, cutPng,
		Bytes{'h', 'e', 'l', 'l', 'o'}};
	for (const Bytes& data : kCases) {
		SCOPED_TRACE(data.size());
		status_t status;
		identify(data, B_TRANSLATOR_BITMAP, &status);
		EXPECT_EQ(status, B_NO_TRANSLATOR);
		decode(data, &status);
		EXPECT_EQ(status, B_NO_TRANSLATOR);
	}
	translator_info info;
	EXPECT_EQ(roster()->Identify(NULL, NULL, &info), B_BAD_VALUE);
}

TEST(TranslatorRosterTest, TruncatedAndCorruptFilesDecodeOrFail)
{
	std::mt19937 random(11);
	for (const FormatCase& format : kDecodedFormats) {
		SCOPED_TRACE(format.name);
		Bytes whole = sample_file(format, 64, 48);
		for (double fraction : {0.05, 0.3, 0.5, 0.8, 0.99}) {
			Bytes cut(whole.begin(), whole.begin() + (size_t)(whole.size() * fraction));
			status_t status;
			std::unique_ptr<BBitmap> bitmap = decode(cut, &status);
			if (status == B_OK) {
				EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 63, 47)) << fraction;
			} else {
				EXPECT_LT(status, 0);
			}
		}
		for (int round = 0; round < 5; round++) {
			Bytes corrupt = whole;
			size_t start = corrupt.size() / 4 + random() % (corrupt.size() / 2);
			for (size_t i = start; i < std::min(corrupt.size(), start + 40); i++)
				corrupt[i] = (char)random();
			status_t status;
			std::unique_ptr<BBitmap> bitmap = decode(corrupt, &status);
			if (status == B_OK) {
				EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 63, 47));
			} else {
				EXPECT_LT(status, 0);
			}
		}
	}
}

TEST(TranslatorRosterTest, ExifOrientationIsApplied)
{
	Bytes jpeg = encode(make_image(40, 20), "jpeg");
	// An APP1 segment with one IFD entry: Orientation (0x0112), SHORT, 6,
	// which means the picture is shown turned a quarter clockwise.
	const unsigned char kExif[] = {0xff, 0xe1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I',
		0x2a, 0x00, 0x08, 0x00, 0x00, 0x00, 0x01, 0x00, 0x12, 0x01, 0x03, 0x00, 0x01, 0x00,
		0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
	static_assert(sizeof(kExif) == 0x22 + 2);
	jpeg.insert(jpeg.begin() + 2, kExif, kExif + sizeof(kExif));

	std::unique_ptr<BBitmap> bitmap = decode(jpeg);
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 19, 39));
	// The red left half is now on top.
	const uint8* top = (const uint8*)bitmap->Bits() + 5 * bitmap->BytesPerRow() + 10 * 4;
	const uint8* bottom = (const uint8*)bitmap->Bits() + 34 * bitmap->BytesPerRow() + 10 * 4;
	EXPECT_GT(top[2], top[0]);
	EXPECT_GT(bottom[0], bottom[2]);
}

void
put_png_chunk(Bytes& png, const char* type, const Bytes& content)
{
	Bytes chunk(type, type + 4);
	chunk.insert(chunk.end(), content.begin(), content.end());
	put_be32(png, content.size());
	png.insert(png.end(), chunk.begin(), chunk.end());
	put_be32(png, crc32((const unsigned char*)chunk.data(), chunk.size()));
}

TEST(TranslatorRosterTest, ImagesOverOneGibibyteAreRefused)
{
	// A PNG claiming 40000 x 40000 pixels, with a little pixel data.
	Bytes png = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
	Bytes header;
	put_be32(header, 40000);
	put_be32(header, 40000);
	header.insert(header.end(), {8, 2, 0, 0, 0});
	put_png_chunk(png, "IHDR", header);
	put_png_chunk(png, "IDAT", Bytes{0x78, (char)0x9c, 0x01, 0x02, 0x03});

	// A JPEG whose frame header claims 40000 x 40000 pixels.
	Bytes jpeg = encode(make_image(16, 16), "jpeg");
	auto frame = std::search(jpeg.begin(), jpeg.end(), "\xff\xc0", "\xff\xc0" + 2);
	ASSERT_NE(frame, jpeg.end());
	const char kSize[] = {(char)0x9c, 0x40, (char)0x9c, 0x40};
	std::copy(kSize, kSize + 4, frame + 5);

	for (const Bytes& data : {png, jpeg}) {
		status_t status;
		EXPECT_EQ(identify(data), (data == png ? (uint32)B_PNG_FORMAT : (uint32)B_JPEG_FORMAT));
		EXPECT_EQ(decode(data, &status), nullptr);
		EXPECT_EQ(status, B_NO_MEMORY);
	}

	// Qt's BMP reader already refuses headers of that size.
	QImage small(2, 2, QImage::Format_RGB32);
	small.fill(Qt::white);
	Bytes bmp = encode(small, "bmp");
	int32 side = 40000;
	memcpy(bmp.data() + 18, &side, 4);
	memcpy(bmp.data() + 22, &side, 4);
	status_t status;
	EXPECT_EQ(decode(bmp, &status), nullptr);
	EXPECT_LT(status, 0);
}

// Qt refuses images over 128 MB unless told otherwise; a 36-megapixel photo
// must decode.
TEST(TranslatorRosterTest, ImagesOverQtsDefaultLimitDecode)
{
	QImage large(6100, 6100, QImage::Format_RGB32);
	large.fill(qRgb(1, 2, 3));
	std::unique_ptr<BBitmap> bitmap = decode(encode(large, "png"));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 6099, 6099));
}

TEST(TranslatorRosterTest, EveryWriterEncodesAndDecodesBack)
{
	translator_id* ids = NULL;
	int32 count = 0;
	ASSERT_EQ(roster()->GetAllTranslators(&ids, &count), B_OK);
	std::unique_ptr<translator_id[]> owner(ids);
	int writers = 0;
	for (int32 i = 0; i < count; i++) {
		const translation_format* formats = NULL;
		int32 formatCount = 0;
		roster()->GetOutputFormats(ids[i], &formats, &formatCount);
		uint32 type = formats[0].type;
		if (type == B_TRANSLATOR_BITMAP)
			continue;
		writers++;
		SCOPED_TRACE(formats[0].name);

		BBitmapStream stream(decode(encode(make_image(37, 23, true), "png")).release());
		BMallocIO output;
		ASSERT_EQ(output.Write("HEAD", 4), 4);
		ASSERT_EQ(roster()->Translate(&stream, NULL, NULL, &output, type), B_OK);
		EXPECT_EQ(output.Position(), (off_t)output.BufferLength());

		// The image follows what the destination held.
		Bytes written = malloc_bytes(output);
		ASSERT_GT(written.size(), 4u);
		EXPECT_EQ(std::string(written.data(), 4), "HEAD");
		Bytes image(written.begin() + 4, written.end());
		EXPECT_EQ(identify(image), type);
		std::unique_ptr<BBitmap> back = decode(image);
		ASSERT_NE(back, nullptr);
		EXPECT_EQ(back->Bounds(), BRect(0, 0, 36, 22));
	}
	EXPECT_GE(writers, 5);
}

TEST(TranslatorRosterTest, WantedTypeChoosesTheOutput)
{
	BBitmap* bitmap = decode(encode(make_image(8, 8), "bmp")).release();
	ASSERT_NE(bitmap, nullptr);
	BBitmapStream stream(bitmap);

	BMallocIO png;
	ASSERT_EQ(roster()->Translate(&stream, NULL, NULL, &png, 0), B_OK);
	Bytes data = malloc_bytes(png);
	ASSERT_GE(data.size(), 8u);
	EXPECT_EQ(memcmp(data.data(), "\x89PNG\r\n\x1a\n", 8), 0);

	BMallocIO jpeg;
	ASSERT_EQ(roster()->Translate(&stream, NULL, NULL, &jpeg, B_JPEG_FORMAT), B_OK);
	EXPECT_EQ(identify(malloc_bytes(jpeg)), (uint32)B_JPEG_FORMAT);

	BMallocIO none;
	EXPECT_EQ(roster()->Translate(&stream, NULL, NULL, &none, 'ABCD'), B_NO_TRANSLATOR);
	EXPECT_EQ(roster()->Translate(&stream, NULL, NULL, &none, B_GIF_FORMAT), B_NO_TRANSLATOR);
	EXPECT_EQ(none.BufferLength(), 0u);

	// After the bitmap left the stream there is nothing to translate.
	BBitmap* detached = NULL;
	ASSERT_EQ(stream.DetachBitmap(&detached), B_OK);
	delete detached;
	EXPECT_EQ(roster()->Translate(&stream, NULL, NULL, &none, 0), B_NO_TRANSLATOR);

	// An image is only read into bitmaps, or copied as it is.
	Bytes jpegData = malloc_bytes(jpeg);
	EXPECT_EQ(identify(jpegData, B_PNG_FORMAT), 0u);
	BMemoryIO source(jpegData.data(), jpegData.size());
	BMallocIO copy;
	ASSERT_EQ(roster()->Translate(&source, NULL, NULL, &copy, B_JPEG_FORMAT), B_OK);
	EXPECT_EQ(malloc_bytes(copy), jpegData);
}

TEST(TranslatorRosterTest, BitmapDataTravelsBetweenStreams)
{
	Bytes png = encode(make_image(6, 5, true), "png");
	BMemoryIO source(png.data(), png.size());
	BMallocIO bits;
	ASSERT_EQ(roster()->Translate(&source, NULL, NULL, &bits, B_TRANSLATOR_BITMAP), B_OK);
	Bytes data = malloc_bytes(bits);
	ASSERT_EQ(data.size(), 32u + 6 * 5 * 4);
	EXPECT_EQ(std::string(data.data(), 4), "bits");
	EXPECT_EQ(identify(data), (uint32)B_TRANSLATOR_BITMAP);

	std::unique_ptr<BBitmap> bitmap = decode(data);
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->ColorSpace(), B_RGBA32);
	EXPECT_EQ(memcmp(bitmap->Bits(), data.data() + 32, bitmap->BitsLength()), 0);

	// The same, by a translator chosen by id, into PNG and back.
	BMemoryIO bitsSource(data.data(), data.size());
	translator_info info;
	ASSERT_EQ(roster()->Identify(&bitsSource, NULL, &info, 0, NULL, B_PNG_FORMAT), B_OK);
	BMallocIO again;
	ASSERT_EQ(roster()->Translate(info.translator, &bitsSource, NULL, &again, B_PNG_FORMAT),
		B_OK);
	std::unique_ptr<BBitmap> back = decode(malloc_bytes(again));
	ASSERT_NE(back, nullptr);
	EXPECT_EQ(memcmp(back->Bits(), bitmap->Bits(), bitmap->BitsLength()), 0);

	// A cut bitmap stream is bad data; a header whose colour space is no
	// colour space, or that claims 1 GiB of pixels it lacks, is either not
	// recognised or bad data.
	Bytes cut(data.begin(), data.end() - 1);
	Bytes noColourSpace = data;
	noColourSpace[24] = 0x08;
	Bytes gigabyte(data.begin(), data.begin() + 32);
	const uint8 kGigabyte[] = {0x46, 0x7f, 0xfc, 0x00, 0x46, 0x7f, 0xfc, 0x00, 0, 0x01, 0, 0, 0,
		0, 0, 0x08, 0x40, 0, 0, 0};
	memcpy(gigabyte.data() + 12, kGigabyte, sizeof(kGigabyte));
	for (const Bytes* bad : {&cut, &noColourSpace, &gigabyte}) {
		status_t status;
		decode(*bad, &status);
		EXPECT_TRUE(status == B_ILLEGAL_DATA || (bad != &cut && status == B_NO_TRANSLATOR))
			<< status;
	}
}

// Found by fuzzing: a PNG of a few hundred bytes whose text chunk claims
// nearly 2 GB made the decoder reserve all of it.
TEST(TranslatorRosterTest, PngChunkThatClaimsGigabytesCostsNothing)
{
	Bytes png = encode(make_image(7, 5), "png");
	ASSERT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
	const size_t kAfterHeader = 8 + 12 + 13;
	ASSERT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
	struct Case {
		const char* what;
		size_t at;
		size_t cut;
	} cases[] = {
		{"in place of the end", png.size() - 12, 12},
		{"before the end", png.size() - 12, 0},
		{"before the image data", kAfterHeader, 0},
	};
	for (const Case& entry : cases) {
		SCOPED_TRACE(entry.what);
		Bytes data(png.begin(), png.end() - entry.cut);
		const char kLyingText[] = "\x75\x00\x00\x25tEXtdate:create\0002026";
		data.insert(data.begin() + entry.at, kLyingText, kLyingText + sizeof(kLyingText) - 1);
		rusage before, after;
		getrusage(RUSAGE_SELF, &before);
		identify(data);
		decode(data);
		getrusage(RUSAGE_SELF, &after);
		EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "kilobytes more at peak";
	}
}

TEST(TranslatorRosterTest, GetTranslatorsListsWhoCanDoIt)
{
	Bytes jpeg = encode(make_image(8, 8), "jpeg");
	BMemoryIO source(jpeg.data(), jpeg.size());
	translator_info* infos = NULL;
	int32 count = 0;
	ASSERT_EQ(roster()->GetTranslators(&source, NULL, &infos, &count), B_OK);
	std::unique_ptr<translator_info[]> owner(infos);
	ASSERT_EQ(count, 1);
	EXPECT_EQ(infos[0].type, (uint32)B_JPEG_FORMAT);

	BBitmapStream stream(decode(jpeg).release());
	translator_info* writers = NULL;
	ASSERT_EQ(roster()->GetTranslators(&stream, NULL, &writers, &count), B_OK);
	std::unique_ptr<translator_info[]> writersOwner(writers);
	EXPECT_GE(count, 5);
	for (int32 i = 0; i < count; i++)
		EXPECT_EQ(writers[i].type, (uint32)B_TRANSLATOR_BITMAP);
}
