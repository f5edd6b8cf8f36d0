#include "private/NativeCodec.h"

#include <cstring>
#include <memory>

#include <QTransform>

#include <avif/avif.h>

#include "private/ColorManagement.h"

// AVIF through libavif: still images, with the rotation and mirror the file
// carries ('irot', 'imir') applied after decoding, as libavif leaves them.

namespace {

struct DecoderDeleter {
	void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};
struct EncoderDeleter {
	void operator()(avifEncoder* encoder) const { avifEncoderDestroy(encoder); }
};
struct ImageDeleter {
	void operator()(avifImage* image) const { avifImageDestroy(image); }
};

// Quantizers of 0 (lossless) to 63; 10 keeps photographs close to their
// source at a fraction of a PNG's size.
const int kQuantizer = 10;
const int kEncoderSpeed = 8;

bool
avif_identify(BPositionIO* source)
{
	std::vector<uint8> head = BPrivate::read_head(source, 64);
	avifROData data = {head.data(), head.size()};
	return head.size() >= 12 && avifPeekCompatibleFileType(&data);
}

QImage
oriented(const QImage& image, const avifImage* avif)
{
	QImage result = image;
	if ((avif->transformFlags & AVIF_TRANSFORM_IROT) != 0 && avif->irot.angle % 4 != 0)
		result = result.transformed(QTransform().rotate(-90.0 * (avif->irot.angle % 4)));
	if ((avif->transformFlags & AVIF_TRANSFORM_IMIR) != 0)
		result = result.mirrored(avif->imir.mode == 1, avif->imir.mode == 0);
	return result;
}

status_t
avif_decode(BPositionIO* source, BPrivate::DecodedImage* _decoded)
{
	std::vector<uint8> data;
	status_t status = BPrivate::read_all(source, &data);
	if (status != B_OK)
		return status;
	std::unique_ptr<avifDecoder, DecoderDeleter> decoder(avifDecoderCreate());
	if (decoder == NULL)
		return B_NO_MEMORY;
	decoder->maxThreads = 1;
	if (avifDecoderSetIOMemory(decoder.get(), data.data(), data.size()) != AVIF_RESULT_OK
		|| avifDecoderParse(decoder.get()) != AVIF_RESULT_OK)
		return B_ILLEGAL_DATA;
	const avifImage* image = decoder->image;
	bool deep = image->depth > 8;
	if (!BPrivate::fits_limit(image->width, image->height, deep ? 8 : 4))
		return image->width > 0 && image->height > 0 ? (status_t)B_NO_MEMORY
													 : (status_t)B_ILLEGAL_DATA;
	if (avifDecoderNextImage(decoder.get()) != AVIF_RESULT_OK)
		return B_ILLEGAL_DATA;
	image = decoder->image;
	if (!BPrivate::fits_limit(image->width, image->height, deep ? 8 : 4))
		return B_ILLEGAL_DATA;

	bool alpha = decoder->alphaPresent;
	QImage pixels(image->width, image->height,
		deep ? (alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64)
			 : (alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888));
	if (pixels.isNull())
		return B_NO_MEMORY;
	avifRGBImage rgb;
	avifRGBImageSetDefaults(&rgb, image);
	rgb.format = AVIF_RGB_FORMAT_RGBA;
	rgb.depth = deep ? 16 : 8;
	rgb.pixels = pixels.bits();
	rgb.rowBytes = pixels.bytesPerLine();
	if (avifImageYUVToRGB(image, &rgb) != AVIF_RESULT_OK)
		return B_ILLEGAL_DATA;

	_decoded->image = oriented(pixels, image);
	if (image->icc.size > 0)
		_decoded->iccProfile = QByteArray((const char*)image->icc.data, image->icc.size);
	else {
		_decoded->iccProfile = BPrivate::cicp_profile(image->colorPrimaries,
			image->transferCharacteristics);
	}
	return B_OK;
}

bool
avif_can_encode()
{
	return avifCodecName(AVIF_CODEC_CHOICE_AUTO, AVIF_CODEC_FLAG_CAN_ENCODE) != NULL;
}

status_t
avif_encode(const QImage& source, BPositionIO* destination)
{
	bool alpha = source.hasAlphaChannel();
	QImage pixels = source.convertToFormat(
		alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
	if (pixels.isNull())
		return B_NO_MEMORY;
	std::unique_ptr<avifImage, ImageDeleter> image(
		avifImageCreate(pixels.width(), pixels.height(), 8, AVIF_PIXEL_FORMAT_YUV444));
	if (image == NULL)
		return B_NO_MEMORY;
	image->colorPrimaries = AVIF_COLOR_PRIMARIES_BT709;
	image->transferCharacteristics = AVIF_TRANSFER_CHARACTERISTICS_SRGB;
	image->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_BT601;
	image->yuvRange = AVIF_RANGE_FULL;
	avifRGBImage rgb;
	avifRGBImageSetDefaults(&rgb, image.get());
	rgb.format = AVIF_RGB_FORMAT_RGBA;
	rgb.ignoreAlpha = !alpha;
	rgb.pixels = pixels.bits();
	rgb.rowBytes = pixels.bytesPerLine();
	if (avifImageRGBToYUV(image.get(), &rgb) != AVIF_RESULT_OK)
		return B_ERROR;

	std::unique_ptr<avifEncoder, EncoderDeleter> encoder(avifEncoderCreate());
	if (encoder == NULL)
		return B_NO_MEMORY;
	encoder->maxThreads = 1;
	encoder->speed = kEncoderSpeed;
	encoder->minQuantizer = encoder->maxQuantizer = kQuantizer;
	encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = kQuantizer;
	avifRWData output = AVIF_DATA_EMPTY;
	if (avifEncoderWrite(encoder.get(), image.get(), &output) != AVIF_RESULT_OK) {
		avifRWDataFree(&output);
		return B_ERROR;
	}
	status_t status = destination->WriteExactly(output.data, output.size);
	avifRWDataFree(&output);
	return status;
}

} // namespace

const BPrivate::NativeCodec BPrivate::kAvifCodec = {avif_identify, avif_decode, avif_can_encode,
	avif_encode};
