#include "TranslationTestSupport.h"

#include <cstdlib>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include <QBuffer>

#include <jxl/encode.h>
#include <libheif/heif.h>
// libtiff's own int32 and uint32 would clash with the platform's.
#define TIFF_DISABLE_DEPRECATED
#include <tiffio.h>

#include <BitmapStream.h>
#include <DataIO.h>
#include <TranslatorRoster.h>

#include "TestSupport.h"

namespace translation_test {

QImage
Halves(int width, int height, bool alpha)
{
	QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++) {
			QRgb color = x < width / 2 ? kRed : kBlue;
			if (alpha && y == height - 1)
				color = qRgba(qRed(color), qGreen(color), qBlue(color), 128);
			image.setPixel(x, y, color);
		}
	}
	return image;
}

Bytes
Encode(const QImage& image, const char* format)
{
	QByteArray data;
	QBuffer buffer(&data);
	if (!image.save(&buffer, format))
		return Bytes();
	return Bytes(data.begin(), data.end());
}

// 8-bit LZW codes, with a clear code before the table would need wider ones.
Bytes
MakeGif(int width, int height)
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
	for (int value : {0, 0, width, height})
		put16(value);
	gif.insert(gif.end(), {0, 7});
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
	gif.insert(gif.end(), {0, 0x3b});
	return gif;
}

Bytes
MakeDng(const QImage& pixels, int orientation, const QImage& preview)
{
	glim_test::TempDir dir("dng");
	TIFF* tiff = TIFFOpen((dir / "made.dng").c_str(), "w");
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
			std::vector<uint16> wide;
			std::vector<uint8> narrow;
			for (int x = 0; x < image.width(); x++) {
				QRgb color = image.pixel(x, y);
				for (int value : {qRed(color), qGreen(color), qBlue(color)}) {
					wide.push_back(value * 257);
					narrow.push_back(value);
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
	if (!preview.isNull()) {
		toff_t offset = 0;
		TIFFSetField(tiff, TIFFTAG_SUBIFD, 1, &offset);
		writeImage(preview, false);
		TIFFWriteDirectory(tiff);
	}
	writeImage(pixels, true);
	TIFFWriteDirectory(tiff);
	TIFFClose(tiff);
	return glim_test::ReadFile(dir / "made.dng");
}

bool
CanWriteHeic()
{
	return heif_have_encoder_for_format(heif_compression_HEVC);
}

Bytes
MakeHeic(const QImage& source, int orientation)
{
	if (!CanWriteHeic())
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
	options->image_orientation = (heif_orientation)orientation;
	heif_context_encode_image(context, image, encoder, options, NULL);
	glim_test::TempDir dir("heic");
	heif_context_write_to_file(context, (dir / "made.heic").c_str());
	heif_encoding_options_free(options);
	heif_encoder_release(encoder);
	heif_context_free(context);
	heif_image_release(image);
	return glim_test::ReadFile(dir / "made.heic");
}

Bytes
MakeJxl(const QImage& source, int orientation)
{
	QImage rgb = source.convertToFormat(QImage::Format_RGB888);
	JxlEncoder* encoder = JxlEncoderCreate(NULL);
	JxlBasicInfo info;
	JxlEncoderInitBasicInfo(&info);
	info.xsize = rgb.width();
	info.ysize = rgb.height();
	info.bits_per_sample = 8;
	info.orientation = (JxlOrientation)orientation;
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

static bool
run_quietly(const std::string& command)
{
	return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

Bytes
ToolFile(const std::string& command, const QImage& image, const char* extension)
{
	if (!run_quietly("command -v " + command.substr(0, command.find(' '))))
		return Bytes();
	glim_test::TempDir dir("tool");
	std::string source = dir / "source.png";
	std::string made = dir / (std::string("made.") + extension);
	EXPECT_TRUE(image.save(QString::fromStdString(source), "png"));
	std::string line = command;
	line.replace(line.find("%1"), 2, "'" + source + "'");
	line.replace(line.find("%2"), 2, "'" + made + "'");
	EXPECT_TRUE(run_quietly(line)) << line;
	return glim_test::ReadFile(made);
}

std::unique_ptr<BBitmap>
Decode(const Bytes& data, status_t* _status, BMessage* ioExtension)
{
	BMemoryIO source(data.data(), data.size());
	BBitmapStream stream;
	status_t status = BTranslatorRoster::Default()->Translate(&source, NULL, ioExtension,
		&stream, B_TRANSLATOR_BITMAP);
	if (_status != NULL)
		*_status = status;
	BBitmap* bitmap = NULL;
	if (status == B_OK) {
		EXPECT_EQ(stream.DetachBitmap(&bitmap), B_OK);
	}
	return std::unique_ptr<BBitmap>(bitmap);
}

uint32
Identify(const Bytes& data, uint32 wantType, status_t* _status)
{
	BMemoryIO source(data.data(), data.size());
	translator_info info;
	status_t status = BTranslatorRoster::Default()->Identify(&source, NULL, &info, 0, NULL,
		wantType);
	if (_status != NULL)
		*_status = status;
	return status == B_OK ? info.type : 0;
}

void
ExpectWholeOrError(const Bytes& whole, BRect bounds, unsigned seed)
{
	std::mt19937 random(seed);
	std::vector<Bytes> damaged;
	for (double fraction : {0.0, 0.02, 0.05, 0.1, 0.3, 0.5, 0.8, 0.99})
		damaged.emplace_back(whole.begin(), whole.begin() + (size_t)(whole.size() * fraction));
	for (int round = 0; round < 16; round++) {
		// Every other one past the header, where the decoder is at work.
		Bytes corrupt = whole;
		size_t start = round % 2 == 0 ? corrupt.size() / 4 + random() % (corrupt.size() / 2)
									  : random() % corrupt.size();
		for (size_t i = start; i < std::min(corrupt.size(), start + 32); i++)
			corrupt[i] = (char)random();
		damaged.push_back(corrupt);
	}
	for (size_t i = 0; i < damaged.size(); i++) {
		SCOPED_TRACE("damaged copy " + std::to_string(i));
		status_t status;
		std::unique_ptr<BBitmap> bitmap = Decode(damaged[i], &status);
		if (status == B_OK) {
			ASSERT_NE(bitmap, nullptr);
			EXPECT_EQ(bitmap->Bounds(), bounds);
		} else
			EXPECT_LT(status, 0);
	}
}

QRgb
Pixel(const BBitmap* bitmap, int x, int y)
{
	const uint8* p = (const uint8*)bitmap->Bits() + y * bitmap->BytesPerRow() + x * 4;
	return qRgba(p[2], p[1], p[0], bitmap->ColorSpace() == B_RGBA32 ? p[3] : 255);
}

bool
Near(QRgb color, QRgb wanted, int tolerance)
{
	return std::abs(qRed(color) - qRed(wanted)) <= tolerance
		&& std::abs(qGreen(color) - qGreen(wanted)) <= tolerance
		&& std::abs(qBlue(color) - qBlue(wanted)) <= tolerance;
}

} // namespace translation_test
