#include "private/NativeCodec.h"

#include <memory>

#include <jxl/decode.h>
#include <jxl/encode.h>

// JPEG XL through libjxl. The decoder turns the image upright itself (its
// orientation field, which carries EXIF's values).

namespace {

struct DecoderDeleter {
	void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
struct EncoderDeleter {
	void operator()(JxlEncoder* encoder) const { JxlEncoderDestroy(encoder); }
};

// Butteraugli distance of a visually lossless file.
const float kDistance = 1.0f;
const int kEncoderEffort = 5;

bool
jxl_identify(BPositionIO* source)
{
	std::vector<uint8> head = BPrivate::read_head(source, 16);
	JxlSignature signature = JxlSignatureCheck(head.data(), head.size());
	return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER;
}

QImage::Format
pixel_format(const JxlBasicInfo& info, JxlPixelFormat* _format)
{
	bool deep = info.bits_per_sample > 8;
	bool gray = info.num_color_channels == 1 && info.alpha_bits == 0;
	bool alpha = info.alpha_bits > 0;
	*_format = {gray ? 1u : 4u, deep ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
	if (gray)
		return deep ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8;
	if (deep)
		return alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64;
	return alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888;
}

QByteArray
data_profile(const JxlDecoder* decoder)
{
	size_t size = 0;
	if (JxlDecoderGetICCProfileSize(decoder, NULL, JXL_COLOR_PROFILE_TARGET_DATA, &size)
			!= JXL_DEC_SUCCESS
		|| size == 0)
		return QByteArray();
	QByteArray profile(size, '\0');
	if (JxlDecoderGetColorAsICCProfile(decoder, NULL, JXL_COLOR_PROFILE_TARGET_DATA,
			(uint8_t*)profile.data(), size)
		!= JXL_DEC_SUCCESS)
		return QByteArray();
	return profile;
}

status_t
jxl_decode(BPositionIO* source, BPrivate::DecodedImage* _decoded)
{
	std::vector<uint8> data;
	status_t status = BPrivate::read_all(source, &data);
	if (status != B_OK)
		return status;
	std::unique_ptr<JxlDecoder, DecoderDeleter> decoder(JxlDecoderCreate(NULL));
	if (decoder == NULL
		|| JxlDecoderSubscribeEvents(decoder.get(),
			   JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE)
			!= JXL_DEC_SUCCESS
		|| JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS
		|| JxlDecoderSetInput(decoder.get(), data.data(), data.size()) != JXL_DEC_SUCCESS)
		return B_NO_MEMORY;
	JxlDecoderCloseInput(decoder.get());

	JxlBasicInfo info;
	JxlPixelFormat format;
	QImage image;
	QByteArray profile;
	while (true) {
		switch (JxlDecoderProcessInput(decoder.get())) {
			case JXL_DEC_BASIC_INFO: {
				if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
					return B_ILLEGAL_DATA;
				QImage::Format qtFormat = pixel_format(info, &format);
				if (!BPrivate::fits_limit(info.xsize, info.ysize,
						info.bits_per_sample > 8 ? 8 : 4))
					return B_NO_MEMORY;
				// Orientations 5 to 8 swap the sides.
				bool swapped = info.orientation >= JXL_ORIENT_TRANSPOSE;
				image = QImage(swapped ? info.ysize : info.xsize,
					swapped ? info.xsize : info.ysize, qtFormat);
				if (image.isNull())
					return B_NO_MEMORY;
				break;
			}
			case JXL_DEC_COLOR_ENCODING:
				profile = data_profile(decoder.get());
				break;
			case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
				size_t size = 0;
				format.align = image.bytesPerLine();
				if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &size)
						!= JXL_DEC_SUCCESS
					|| size > (size_t)image.sizeInBytes()
					|| JxlDecoderSetImageOutBuffer(decoder.get(), &format, image.bits(),
						   image.sizeInBytes())
						!= JXL_DEC_SUCCESS)
					return B_ILLEGAL_DATA;
				break;
			}
			case JXL_DEC_FULL_IMAGE:
				// One frame is the still image; animations show their first.
				_decoded->image = std::move(image);
				_decoded->iccProfile = profile;
				return B_OK;
			default:
				return B_ILLEGAL_DATA;
		}
	}
}

bool
jxl_can_encode()
{
	return true;
}

status_t
jxl_encode(const QImage& source, BPositionIO* destination)
{
	bool alpha = source.hasAlphaChannel();
	QImage pixels = source.convertToFormat(
		alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
	if (pixels.isNull())
		return B_NO_MEMORY;
	std::unique_ptr<JxlEncoder, EncoderDeleter> encoder(JxlEncoderCreate(NULL));
	if (encoder == NULL)
		return B_NO_MEMORY;
	JxlBasicInfo info;
	JxlEncoderInitBasicInfo(&info);
	info.xsize = pixels.width();
	info.ysize = pixels.height();
	info.bits_per_sample = 8;
	info.num_color_channels = 3;
	info.alpha_bits = alpha ? 8 : 0;
	info.num_extra_channels = alpha ? 1 : 0;
	info.uses_original_profile = JXL_FALSE;
	JxlColorEncoding color;
	JxlColorEncodingSetToSRGB(&color, JXL_FALSE);
	if (JxlEncoderSetBasicInfo(encoder.get(), &info) != JXL_ENC_SUCCESS
		|| JxlEncoderSetColorEncoding(encoder.get(), &color) != JXL_ENC_SUCCESS)
		return B_ERROR;
	JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), NULL);
	JxlEncoderSetFrameDistance(settings, kDistance);
	JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, kEncoderEffort);
	JxlPixelFormat format = {alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN,
		(size_t)pixels.bytesPerLine()};
	if (JxlEncoderAddImageFrame(settings, &format, pixels.constBits(), pixels.sizeInBytes())
		!= JXL_ENC_SUCCESS)
		return B_ERROR;
	JxlEncoderCloseInput(encoder.get());

	std::vector<uint8> output(65536);
	size_t used = 0;
	while (true) {
		uint8_t* next = output.data() + used;
		size_t available = output.size() - used;
		JxlEncoderStatus result = JxlEncoderProcessOutput(encoder.get(), &next, &available);
		used = next - output.data();
		if (result == JXL_ENC_SUCCESS)
			break;
		if (result != JXL_ENC_NEED_MORE_OUTPUT)
			return B_ERROR;
		output.resize(output.size() * 2);
	}
	return destination->WriteExactly(output.data(), used);
}

} // namespace

const BPrivate::NativeCodec BPrivate::kJxlCodec = {jxl_identify, jxl_decode, jxl_can_encode,
	jxl_encode};
