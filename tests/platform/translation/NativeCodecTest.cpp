// The translators on the image libraries (HEIF, AVIF, JPEG XL, camera RAW),
// through the roster as the viewer uses them, on files made by the
// libraries' own tools and by the libraries themselves.
#include <TranslatorRoster.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QImage>

#include <jxl/encode.h>
#include <libheif/heif.h>
// libtiff's own int32 and uint32 would clash with the platform's.
#define TIFF_DISABLE_DEPRECATED
#include <tiffio.h>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <TranslatorFormats.h>

#include "TestSupport.h"

using glim_test::TempDir;

namespace {

typedef std::vector<char> Bytes;

bool
have_tool(const char* tool)
{
	return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The tools of kTools that are not installed, named; empty when all are.
std::string
missing_tools()
{
	std::string missing;
	for (const char* tool :
		{"heif-enc", "heif-convert", "avifenc", "avifdec", "cjxl", "djxl"}) {
		if (!have_tool(tool))
			missing += std::string(" ") + tool;
	}
	return missing;
}

bool
run(const std::string& command)
{
	return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Red on the left half, blue on the right: orientation shows in the pixels.
QImage
halves(int width, int height)
{
	QImage image(width, height, QImage::Format_RGB32);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++)
			image.setPixel(x, y, x < width / 2 ? qRgb(220, 20, 20) : qRgb(20, 20, 220));
	}
	return image;
}

std::unique_ptr<BBitmap>
decode(const Bytes& data, status_t* _status = NULL)
{
	BMemoryIO source(data.data(), data.size());
	BBitmapStream stream;
	status_t status = BTranslatorRoster::Default()->Translate(&source, NULL, NULL, &stream,
		B_TRANSLATOR_BITMAP);
	if (_status != NULL)
		*_status = status;
	BBitmap* bitmap = NULL;
	if (status == B_OK) {
		EXPECT_EQ(stream.DetachBitmap(&bitmap), B_OK);
	}
	return std::unique_ptr<BBitmap>(bitmap);
}

uint32
identify(const Bytes& data)
{
	BMemoryIO source(data.data(), data.size());
	translator_info info;
	if (BTranslatorRoster::Default()->Identify(&source, NULL, &info, 0, NULL,
			B_TRANSLATOR_BITMAP)
		!= B_OK)
		return 0;
	return info.type;
}

QRgb
pixel(const BBitmap* bitmap, int x, int y)
{
	const uint8* p = (const uint8*)bitmap->Bits() + y * bitmap->BytesPerRow() + x * 4;
	return qRgb(p[2], p[1], p[0]);
}

bool
is_red(QRgb color)
{
	return qRed(color) > 150 && qBlue(color) < 90 && qGreen(color) < 90;
}

bool
is_blue(QRgb color)
{
	return qBlue(color) > 150 && qRed(color) < 90 && qGreen(color) < 90;
}

struct ToolCase {
	const char* name;
	uint32 type;
	const char* encoder;
	// Makes the file %2 from the PNG %1.
	const char* command;
	const char* decoder;
	// Reads the file %1 back into the PNG %2.
	const char* readBack;
};

const ToolCase kTools[] = {
	{"heic", B_HEIF_FORMAT, "heif-enc", "heif-enc -q 90 -o %2 %1", "heif-convert",
		"heif-convert %1 %2"},
	{"avif", B_AVIF_FORMAT, "avifenc", "avifenc -s 8 %1 %2", "avifdec", "avifdec %1 %2"},
	{"jxl", B_JXL_FORMAT, "cjxl", "cjxl %1 %2", "djxl", "djxl %1 %2"},
};

std::string
fill(std::string command, const std::string& first, const std::string& second)
{
	command.replace(command.find("%1"), 2, "'" + first + "'");
	command.replace(command.find("%2"), 2, "'" + second + "'");
	return command;
}

// The sample picture encoded by the format's own tool; empty when the tool
// is missing.
Bytes
tool_file(const TempDir& dir, const ToolCase& tool, const QImage& image)
{
	if (!have_tool(tool.encoder))
		return Bytes();
	std::string png = dir / "source.png";
	std::string made = dir / (std::string("made.") + tool.name);
	EXPECT_TRUE(image.save(QString::fromStdString(png), "png"));
	EXPECT_TRUE(run(fill(tool.command, png, made))) << tool.command;
	return glim_test::ReadFile(made);
}

heif_error
collect(heif_context*, const void* data, size_t size, void* userData)
{
	Bytes* output = (Bytes*)userData;
	output->insert(output->end(), (const char*)data, (const char*)data + size);
	return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

// An HEIC of image written by libheif with the given orientation stored as
// the rotation and mirror properties; empty without an HEVC encoder.
Bytes
heic_with_orientation(const QImage& source, heif_orientation orientation)
{
	if (!heif_have_encoder_for_format(heif_compression_HEVC))
		return Bytes();
	QImage rgb = source.convertToFormat(QImage::Format_RGB888);
	heif_image* image = NULL;
	heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
		heif_chroma_interleaved_RGB, &image);
	heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
	int stride = 0;
	uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
	for (int y = 0; y < rgb.height(); y++)
		memcpy(plane + y * stride, rgb.constScanLine(y), rgb.width() * 3);
	heif_context* context = heif_context_alloc();
	heif_encoder* encoder = NULL;
	heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
	heif_encoder_set_lossy_quality(encoder, 90);
	heif_encoding_options* options = heif_encoding_options_alloc();
	options->image_orientation = orientation;
	heif_context_encode_image(context, image, encoder, options, NULL);
	Bytes output;
	heif_writer writer = {1, collect};
	heif_context_write(context, &writer, &output);
	heif_encoding_options_free(options);
	heif_encoder_release(encoder);
	heif_context_free(context);
	heif_image_release(image);
	return output;
}

// A JPEG XL of image written by libjxl with the given EXIF orientation.
Bytes
jxl_with_orientation(const QImage& source, JxlOrientation orientation)
{
	QImage rgb = source.convertToFormat(QImage::Format_RGB888);
	JxlEncoder* encoder = JxlEncoderCreate(NULL);
	JxlBasicInfo info;
	JxlEncoderInitBasicInfo(&info);
	info.xsize = rgb.width();
	info.ysize = rgb.height();
	info.bits_per_sample = 8;
	info.orientation = orientation;
	JxlEncoderSetBasicInfo(encoder, &info);
	JxlColorEncoding color;
	JxlColorEncodingSetToSRGB(&color, JXL_FALSE);
	JxlEncoderSetColorEncoding(encoder, &color);
	JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, NULL);
	JxlPixelFormat format = {3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, (size_t)rgb.bytesPerLine()};
	JxlEncoderAddImageFrame(settings, &format, rgb.constBits(), rgb.sizeInBytes());
	JxlEncoderCloseInput(encoder);
	Bytes output(1 << 20);
	uint8_t* next = (uint8_t*)output.data();
	size_t available = output.size();
	EXPECT_EQ(JxlEncoderProcessOutput(encoder, &next, &available), JXL_ENC_SUCCESS);
	output.resize(output.size() - available);
	JxlEncoderDestroy(encoder);
	return output;
}

// A linear DNG of pixels (16-bit RGB from the 8-bit image) with the given
// TIFF orientation, and optionally an 8-bit preview in IFD 0 with the raw
// data in a sub-IFD, as cameras write them.
Bytes
make_dng(const TempDir& dir, const QImage& pixels, int orientation,
	const QImage& preview = QImage())
{
	std::string path = dir / "made.dng";
	TIFF* tiff = TIFFOpen(path.c_str(), "w");
	if (tiff == NULL)
		return Bytes();
	static const uint8 kVersion[4] = {1, 4, 0, 0};
	static const float kMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
	static const float kNeutral[3] = {1, 1, 1};
	auto writeImage = [&](const QImage& image, bool raw) {
		TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, raw ? 0 : FILETYPE_REDUCEDIMAGE);
		TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width());
		TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height());
		TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, raw ? 16 : 8);
		TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
		TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
		TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, raw ? 34892 : PHOTOMETRIC_RGB);
		TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
		TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, image.height());
		for (int y = 0; y < image.height(); y++) {
			std::vector<uint16> wide(image.width() * 3);
			std::vector<uint8> narrow(image.width() * 3);
			for (int x = 0; x < image.width(); x++) {
				QRgb color = image.pixel(x, y);
				int values[3] = {qRed(color), qGreen(color), qBlue(color)};
				for (int c = 0; c < 3; c++) {
					wide[x * 3 + c] = values[c] * 257;
					narrow[x * 3 + c] = values[c];
				}
			}
			TIFFWriteScanline(tiff, raw ? (void*)wide.data() : (void*)narrow.data(), y, 0);
		}
	};
	TIFFSetField(tiff, TIFFTAG_DNGVERSION, kVersion);
	TIFFSetField(tiff, TIFFTAG_UNIQUECAMERAMODEL, "Glim test camera");
	TIFFSetField(tiff, TIFFTAG_MAKE, "Glim");
	TIFFSetField(tiff, TIFFTAG_MODEL, "Test camera");
	TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
	TIFFSetField(tiff, TIFFTAG_COLORMATRIX1, 9, kMatrix);
	TIFFSetField(tiff, TIFFTAG_ASSHOTNEUTRAL, 3, kNeutral);
	TIFFSetField(tiff, TIFFTAG_CALIBRATIONILLUMINANT1, 21);
	if (preview.isNull()) {
		writeImage(pixels, true);
		TIFFWriteDirectory(tiff);
	} else {
		toff_t offset = 0;
		TIFFSetField(tiff, TIFFTAG_SUBIFD, 1, &offset);
		writeImage(preview, false);
		TIFFWriteDirectory(tiff);
		writeImage(pixels, true);
		TIFFWriteDirectory(tiff);
	}
	TIFFClose(tiff);
	return glim_test::ReadFile(path);
}

} // namespace

TEST(NativeCodecTest, FilesOfEachLibraryToolAreIdentifiedAndDecoded)
{
	if (!missing_tools().empty())
		GTEST_SKIP() << "not installed:" << missing_tools();
	for (const ToolCase& tool : kTools) {
		SCOPED_TRACE(tool.name);
		TempDir dir;
		Bytes data = tool_file(dir, tool, halves(48, 32));
		EXPECT_EQ(identify(data), tool.type);
		std::unique_ptr<BBitmap> bitmap = decode(data);
		ASSERT_NE(bitmap, nullptr);
		EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 47, 31));
		EXPECT_EQ(bitmap->ColorSpace(), B_RGB32);
		EXPECT_TRUE(is_red(pixel(bitmap.get(), 5, 16)));
		EXPECT_TRUE(is_blue(pixel(bitmap.get(), 42, 16)));
	}
}

TEST(NativeCodecTest, OrientationOfTheFileIsApplied)
{
	// A 40 × 20 picture stored turned: shown upright it is 20 × 40 with red
	// on top (a quarter turn clockwise), or red on the right (mirrored).
	QImage image = halves(40, 20);
	struct Case {
		const char* name;
		Bytes data;
		bool turned;
	};
	std::vector<Case> cases = {
		{"heic rotated", heic_with_orientation(image, heif_orientation_rotate_90_cw), true},
		{"heic mirrored", heic_with_orientation(image, heif_orientation_flip_horizontally),
			false},
		{"jxl rotated", jxl_with_orientation(image, JXL_ORIENT_ROTATE_90_CW), true},
		{"jxl mirrored", jxl_with_orientation(image, JXL_ORIENT_FLIP_HORIZONTAL), false},
	};
	TempDir dir;
	if (have_tool("avifenc")) {
		// irot turns anticlockwise: three quarters of it are one clockwise.
		ToolCase rotated = {"avif", B_AVIF_FORMAT, "avifenc", "avifenc --irot 3 %1 %2", "", ""};
		ToolCase mirrored = {"avif", B_AVIF_FORMAT, "avifenc", "avifenc --imir 1 %1 %2", "",
			""};
		cases.push_back({"avif rotated", tool_file(dir, rotated, image), true});
		cases.push_back({"avif mirrored", tool_file(dir, mirrored, image), false});
	}
	for (const Case& test : cases) {
		SCOPED_TRACE(test.name);
		if (test.data.empty())
			continue;
		std::unique_ptr<BBitmap> bitmap = decode(test.data);
		ASSERT_NE(bitmap, nullptr);
		if (test.turned) {
			ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 19, 39));
			EXPECT_TRUE(is_red(pixel(bitmap.get(), 10, 5)));
			EXPECT_TRUE(is_blue(pixel(bitmap.get(), 10, 34)));
		} else {
			ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 39, 19));
			EXPECT_TRUE(is_blue(pixel(bitmap.get(), 5, 10)));
			EXPECT_TRUE(is_red(pixel(bitmap.get(), 34, 10)));
		}
	}
}

TEST(NativeCodecTest, DngIsDevelopedUprightOrShownFromItsPreview)
{
	TempDir dir;
	// Orientation 6: the stored picture is shown a quarter turn clockwise.
	Bytes dng = make_dng(dir, halves(64, 40), 6);
	ASSERT_FALSE(dng.empty());
	EXPECT_EQ(identify(dng), (uint32)B_RAW_FORMAT);
	std::unique_ptr<BBitmap> bitmap = decode(dng);
	ASSERT_NE(bitmap, nullptr);
	ASSERT_EQ(bitmap->Bounds(), BRect(0, 0, 39, 63));
	EXPECT_GT(qRed(pixel(bitmap.get(), 20, 8)), qBlue(pixel(bitmap.get(), 20, 8)));
	EXPECT_GT(qBlue(pixel(bitmap.get(), 20, 56)), qRed(pixel(bitmap.get(), 20, 56)));

	// A preview of the camera's size is used as it is: here it is green,
	// where the sensor data is red and blue.
	QImage green(1200, 750, QImage::Format_RGB32);
	green.fill(qRgb(30, 200, 40));
	Bytes withPreview = make_dng(dir, halves(64, 40), 6, green);
	bitmap = decode(withPreview);
	ASSERT_NE(bitmap, nullptr);
	EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 749, 1199));
	EXPECT_EQ(pixel(bitmap.get(), 300, 600), qRgb(30, 200, 40));

	// A plain TIFF stays a TIFF.
	std::string tiff = dir / "plain.tif";
	ASSERT_TRUE(halves(16, 8).save(QString::fromStdString(tiff), "tiff"));
	EXPECT_EQ(identify(glim_test::ReadFile(tiff)), (uint32)B_TIFF_FORMAT);
}

TEST(NativeCodecTest, TruncatedAndCorruptFilesFailCleanly)
{
	TempDir dir;
	std::vector<std::pair<std::string, Bytes>> samples;
	for (const ToolCase& tool : kTools)
		samples.push_back({tool.name, tool_file(dir, tool, halves(64, 48))});
	samples.push_back({"dng", make_dng(dir, halves(64, 48), 1)});
	std::mt19937 random(14);
	for (const auto& [name, whole] : samples) {
		SCOPED_TRACE(name);
		if (whole.empty())
			continue;
		auto check = [](const Bytes& data, const char* what) {
			SCOPED_TRACE(what);
			status_t status;
			std::unique_ptr<BBitmap> bitmap = decode(data, &status);
			if (status == B_OK) {
				ASSERT_NE(bitmap, nullptr);
				EXPECT_EQ(bitmap->Bounds(), BRect(0, 0, 63, 47));
			} else
				EXPECT_LT(status, 0);
		};
		for (double fraction : {0.0, 0.02, 0.1, 0.3, 0.5, 0.8, 0.99}) {
			check(Bytes(whole.begin(), whole.begin() + (size_t)(whole.size() * fraction)),
				"truncated");
		}
		for (int round = 0; round < 8; round++) {
			Bytes corrupt = whole;
			size_t start = random() % corrupt.size();
			for (size_t i = start; i < std::min(corrupt.size(), start + 24); i++)
				corrupt[i] = (char)random();
			check(corrupt, "corrupt");
		}
	}
}

TEST(NativeCodecTest, HeifClaimingOverOneGibibyteIsRefusedBeforeDecoding)
{
	TempDir dir;
	Bytes heic = tool_file(dir, kTools[0], halves(64, 48));
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
	EXPECT_EQ(decode(heic, &status), nullptr);
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
		{"heic", B_HEIF_FORMAT, "heif-enc", "heif-enc -L -b 10 -o %2 %1", "", ""},
		{"avif", B_AVIF_FORMAT, "avifenc", "avifenc -l -d 10 %1 %2", "", ""},
	};
	for (const ToolCase& tool : kDeep) {
		SCOPED_TRACE(tool.name);
		TempDir dir;
		Bytes data = tool_file(dir, tool, ramp);
		if (data.empty())
			continue;
		std::unique_ptr<BBitmap> bitmap = decode(data);
		ASSERT_NE(bitmap, nullptr);
		int previous = qGreen(pixel(bitmap.get(), 0, 4));
		EXPECT_LE(previous, 1);
		int largestStep = 0;
		for (int x = 1; x < 1024; x++) {
			int level = qGreen(pixel(bitmap.get(), x, 4));
			largestStep = std::max(largestStep, std::abs(level - previous));
			previous = level;
		}
		EXPECT_LE(largestStep, 1);
		EXPECT_GE(previous, 254);
	}
}

TEST(NativeCodecTest, SavedFilesAreReadBackByTheLibrariesOwnTools)
{
	if (!missing_tools().empty())
		GTEST_SKIP() << "not installed:" << missing_tools();
	for (const ToolCase& tool : kTools) {
		SCOPED_TRACE(tool.name);
		translator_id* ids = NULL;
		int32 count = 0;
		ASSERT_EQ(BTranslatorRoster::Default()->GetAllTranslators(&ids, &count), B_OK);
		std::unique_ptr<translator_id[]> owner(ids);
		bool offered = false;
		for (int32 i = 0; i < count; i++) {
			const translation_format* formats = NULL;
			int32 formatCount = 0;
			BTranslatorRoster::Default()->GetOutputFormats(ids[i], &formats, &formatCount);
			offered = offered || formats[0].type == tool.type;
		}
		if (tool.type == B_HEIF_FORMAT
			&& !heif_have_encoder_for_format(heif_compression_HEVC)) {
			EXPECT_FALSE(offered);
			continue;
		}
		EXPECT_TRUE(offered);

		TempDir dir;
		std::string saved = dir / (std::string("saved.") + tool.name);
		ASSERT_TRUE(glim_test::WriteImage(saved, 48, 32, 0x1414dc, tool.type, 0xdc1414));
		std::string png = dir / "back.png";
		ASSERT_TRUE(run(fill(tool.readBack, saved, png))) << tool.readBack;
		QImage back(QString::fromStdString(png));
		ASSERT_EQ(back.size(), QSize(48, 32));
		EXPECT_TRUE(is_red(back.pixel(5, 16)));
		EXPECT_TRUE(is_blue(back.pixel(42, 16)));
	}
}
