#include <TranslatorRoster.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <BitmapStream.h>
#include <DataIO.h>

#include "TranslationTestSupport.h"

using namespace translation_test;

namespace {

BTranslatorRoster*
roster()
{
	return BTranslatorRoster::Default();
}

Bytes
malloc_bytes(const BMallocIO& io)
{
	const char* data = (const char*)io.Buffer();
	return data == NULL ? Bytes() : Bytes(data, data + io.BufferLength());
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
		return MakeGif(width, height);
	return Encode(Halves(width, height), format.name);
}

} // namespace

// Each test runs in its own process, so this is also the roster's first use.
TEST(TranslatorRosterTest, TwoThreadsDecodeAndEncodeAtOnce)
{
	EXPECT_EQ(QCoreApplication::instance(), nullptr);
	Bytes jpeg = Encode(Halves(120, 80), "jpeg");
	Bytes png = Encode(Halves(90, 70, true), "png");
	std::atomic<int> failures{0};
	auto work = [&failures](const Bytes* data, int width) {
		for (int i = 0; i < 15; i++) {
			std::unique_ptr<BBitmap> bitmap = Decode(*data);
			if (bitmap == NULL || bitmap->Bounds().IntegerWidth() + 1 != width) {
				failures++;
				continue;
			}
			BBitmapStream stream(bitmap.release());
			BMallocIO out;
			if (roster()->Translate(&stream, NULL, NULL, &out, B_JPEG_FORMAT) != B_OK)
				failures++;
		}
	};
	std::thread first(work, &jpeg, 120);
	std::thread second(work, &png, 90);
	first.join();
	second.join();
	EXPECT_EQ(failures, 0);
}

// Every writer's image reads back as its type. The writers' names and order
// are checked where the save panel's menu lists them.
TEST(TranslatorRosterTest, TheWritersImagesReadBack)
{
	translator_id* ids = NULL;
	int32 count = 0;
	ASSERT_EQ(roster()->GetAllTranslators(&ids, &count), B_OK);
	std::unique_ptr<translator_id[]> owner(ids);
	ASSERT_GE(count, 6);
	bool heifOffered = false;
	for (int32 i = 0; i < count; i++) {
		const char* name = NULL;
		ASSERT_EQ(roster()->GetTranslatorInfo(ids[i], &name, NULL, NULL), B_OK);
		SCOPED_TRACE(name);
		const translation_format *outputs = NULL, *inputs = NULL;
		int32 outputCount = 0, inputCount = 0;
		ASSERT_EQ(roster()->GetOutputFormats(ids[i], &outputs, &outputCount), B_OK);
		ASSERT_EQ(roster()->GetInputFormats(ids[i], &inputs, &inputCount), B_OK);
		// A reader reads its type into bitmaps; a writer also reads bitmaps
		// and writes its own type first.
		ASSERT_GE(outputCount, 1);
		ASSERT_EQ(inputCount, outputCount);
		EXPECT_EQ(outputs[outputCount - 1].type, (uint32)B_TRANSLATOR_BITMAP);
		EXPECT_LE(outputCount, 2);
		if (outputCount == 1)
			continue;
		uint32 type = outputs[0].type;
		EXPECT_EQ(type, inputs[0].type);
		heifOffered = heifOffered || type == B_HEIF_FORMAT;
		BBitmapStream stream(Decode(Encode(Halves(37, 23, true), "png")).release());
		BMallocIO output;
		ASSERT_EQ(roster()->Translate(&stream, NULL, NULL, &output, type), B_OK);
		Bytes image = malloc_bytes(output);
		EXPECT_EQ(Identify(image), type);
		std::unique_ptr<BBitmap> back = Decode(image);
		ASSERT_NE(back, nullptr);
		EXPECT_EQ(back->Bounds(), BRect(0, 0, 36, 22));
	}
	// Saving as HEIF is offered only where there is an encoder for it.
	EXPECT_EQ(heifOffered, CanWriteHeic());

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

		// That one translator, and no other, can read it.
		translator_info* infos = NULL;
		int32 count = 0;
		ASSERT_EQ(roster()->GetTranslators(&source, NULL, &infos, &count), B_OK);
		std::unique_ptr<translator_info[]> owner(infos);
		ASSERT_EQ(count, 1);
		EXPECT_EQ(infos[0].translator, info.translator);

		std::unique_ptr<BBitmap> bitmap = Decode(data);
		ASSERT_NE(bitmap, nullptr);
		EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 36, 22));
		EXPECT_EQ(bitmap->ColorSpace(), B_RGB32);
		EXPECT_EQ(bitmap->BytesPerRow(), 37 * 4);
	}
}

TEST(TranslatorRosterTest, DataThatIsNoImageIsNotIdentified)
{
	std::mt19937 random(7);
	Bytes noise(5000);
	for (char& byte : noise)
		byte = (char)random();
	const Bytes kCases[] = {Bytes(), Bytes{'\xff', '\xd8'}, Bytes(5000, 0), noise,
		Bytes{'h', 'e', 'l', 'l', 'o'}};
	for (const Bytes& data : kCases) {
		SCOPED_TRACE(data.size());
		status_t status;
		Identify(data, B_TRANSLATOR_BITMAP, &status);
		EXPECT_EQ(status, B_NO_TRANSLATOR);
		Decode(data, &status);
		EXPECT_EQ(status, B_NO_TRANSLATOR);
	}
}

TEST(TranslatorRosterTest, TruncatedAndCorruptFilesDecodeOrFail)
{
	for (const FormatCase& format : kDecodedFormats) {
		SCOPED_TRACE(format.name);
		ExpectWholeOrError(sample_file(format, 64, 48), BRect(0, 0, 63, 47), 11);
	}
}

TEST(TranslatorRosterTest, ImagesOverOneGibibyteAreRefused)
{
	// A JPEG whose frame header claims 40000 x 40000 pixels.
	Bytes jpeg = Encode(Halves(16, 16), "jpeg");
	auto frame = std::search(jpeg.begin(), jpeg.end(), "\xff\xc0", "\xff\xc0" + 2);
	ASSERT_NE(frame, jpeg.end());
	const char kSize[] = {(char)0x9c, 0x40, (char)0x9c, 0x40};
	std::copy(kSize, kSize + 4, frame + 5);
	EXPECT_EQ(Identify(jpeg), (uint32)B_JPEG_FORMAT);
	// An HEIC whose every spatial extent property (the grid's and its
	// tiles') claims 30000 x 30000 pixels; none when heif-enc is missing.
	Bytes heic = ToolFile("heif-enc -q 90 -o %2 %1", Halves(64, 48), "heic");
	const char kIspe[] = "ispe";
	const char kHeifSize[8] = {0, 0, 0x75, 0x30, 0, 0, 0x75, 0x30};
	for (auto box = heic.begin();
		 (box = std::search(box, heic.end(), kIspe, kIspe + 4)) != heic.end(); box += 4)
		std::copy(kHeifSize, kHeifSize + 8, box + 8);
	for (const Bytes* data : {&jpeg, &heic}) {
		SCOPED_TRACE(data == &jpeg ? "jpeg" : "heic");
		if (data->empty())
			continue;
		status_t status;
		EXPECT_EQ(Decode(*data, &status), nullptr);
		EXPECT_EQ(status, B_NO_MEMORY);
	}
}

// Qt refuses images over 128 MB unless told otherwise; a 36-megapixel photo
// must decode.
TEST(TranslatorRosterTest, ImagesOverQtsDefaultLimitDecode)
{
	QImage large(6100, 6100, QImage::Format_RGB32);
	large.fill(qRgb(1, 2, 3));
	std::unique_ptr<BBitmap> bitmap = Decode(Encode(large, "png"));
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 6099, 6099));
}

TEST(TranslatorRosterTest, WantedTypeChoosesTheOutput)
{
	BBitmapStream stream(Decode(Encode(Halves(8, 8), "bmp")).release());

	BMallocIO png;
	ASSERT_EQ(roster()->Translate(&stream, NULL, NULL, &png, 0), B_OK);
	EXPECT_EQ(Identify(malloc_bytes(png)), (uint32)B_PNG_FORMAT);

	BMallocIO jpeg;
	ASSERT_EQ(roster()->Translate(&stream, NULL, NULL, &jpeg, B_JPEG_FORMAT), B_OK);
	EXPECT_EQ(Identify(malloc_bytes(jpeg)), (uint32)B_JPEG_FORMAT);

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
	EXPECT_EQ(Identify(jpegData, B_PNG_FORMAT), 0u);
	BMemoryIO source(jpegData.data(), jpegData.size());
	BMallocIO copy;
	ASSERT_EQ(roster()->Translate(&source, NULL, NULL, &copy, B_JPEG_FORMAT), B_OK);
	EXPECT_EQ(malloc_bytes(copy), jpegData);
}

TEST(TranslatorRosterTest, BitmapDataTravelsBetweenStreams)
{
	Bytes png = Encode(Halves(6, 5, true), "png");
	BMemoryIO source(png.data(), png.size());
	BMallocIO bits;
	ASSERT_EQ(roster()->Translate(&source, NULL, NULL, &bits, B_TRANSLATOR_BITMAP), B_OK);
	Bytes data = malloc_bytes(bits);
	ASSERT_EQ(data.size(), 32u + 6 * 5 * 4);
	EXPECT_EQ(std::string(data.data(), 4), "bits");
	EXPECT_EQ(Identify(data), (uint32)B_TRANSLATOR_BITMAP);

	std::unique_ptr<BBitmap> bitmap = Decode(data);
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
	std::unique_ptr<BBitmap> back = Decode(malloc_bytes(again));
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
		Decode(*bad, &status);
		EXPECT_TRUE(status == B_ILLEGAL_DATA || (bad != &cut && status == B_NO_TRANSLATOR))
			<< status;
	}
}

// Found by fuzzing: a PNG of a few hundred bytes whose text chunk claims
// nearly 2 GB made the decoder reserve all of it.
TEST(TranslatorRosterTest, PngChunkThatClaimsGigabytesCostsNothing)
{
	Bytes png = Encode(Halves(7, 5), "png");
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
		Identify(data);
		Decode(data);
		getrusage(RUSAGE_SELF, &after);
		EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "kilobytes more at peak";
	}
}
