#include "private/NativeCodec.h"

#include <cstring>
#include <memory>

#include <libheif/heif.h>

#include "private/ColorManagement.h"

// HEIF and HEIC through libheif, which applies the images' rotation and
// mirror ('irot', 'imir') as it decodes. AVIF files go to libavif.

namespace {

struct ContextDeleter {
	void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
	void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
	void operator()(heif_image* image) const { heif_image_release(image); }
};
struct EncoderDeleter {
	void operator()(heif_encoder* encoder) const { heif_encoder_release(encoder); }
};
typedef std::unique_ptr<heif_context, ContextDeleter> Context;
typedef std::unique_ptr<heif_image_handle, HandleDeleter> Handle;
typedef std::unique_ptr<heif_image, ImageDeleter> Image;
typedef std::unique_ptr<heif_encoder, EncoderDeleter> Encoder;

const int kHeicQuality = 90;

bool
heif_identify(BPositionIO* source)
{
	std::vector<uint8> head = BPrivate::read_head(source, 64);
	if (head.size() < 12)
		return false;
	const char* type = heif_get_file_mime_type(head.data(), head.size());
	return type != NULL && (strcmp(type, "image/heic") == 0 || strcmp(type, "image/heif") == 0);
}

QByteArray
color_profile(const heif_image_handle* handle)
{
	heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
	if (type == heif_color_profile_type_nclx) {
		heif_color_profile_nclx* nclx = NULL;
		if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok)
			return QByteArray();
		QByteArray profile = BPrivate::cicp_profile(nclx->color_primaries,
			nclx->transfer_characteristics);
		heif_nclx_color_profile_free(nclx);
		return profile;
	}
	if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
		return QByteArray();
	size_t size = heif_image_handle_get_raw_color_profile_size(handle);
	QByteArray profile(size, '\0');
	if (size == 0
		|| heif_image_handle_get_raw_color_profile(handle, profile.data()).code
			!= heif_error_Ok)
		return QByteArray();
	return profile;
}

status_t
heif_decode(BPositionIO* source, BPrivate::DecodedImage* _decoded)
{
	std::vector<uint8> data;
	status_t status = BPrivate::read_all(source, &data);
	if (status != B_OK)
		return status;
	Context context(heif_context_alloc());
	if (context == NULL)
		return B_NO_MEMORY;
	if (heif_context_read_from_memory_without_copy(context.get(), data.data(), data.size(),
			NULL)
			.code
		!= heif_error_Ok)
		return B_ILLEGAL_DATA;
	heif_image_handle* rawHandle = NULL;
	if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
		return B_ILLEGAL_DATA;
	Handle handle(rawHandle);

	int width = heif_image_handle_get_width(handle.get());
	int height = heif_image_handle_get_height(handle.get());
	bool deep = heif_image_handle_get_luma_bits_per_pixel(handle.get()) > 8;
	bool alpha = heif_image_handle_has_alpha_channel(handle.get());
	if (!BPrivate::fits_limit(width, height, deep ? 8 : 4))
		return width > 0 && height > 0 ? (status_t)B_NO_MEMORY : (status_t)B_ILLEGAL_DATA;

	heif_chroma chroma = deep
		? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
		: (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
	heif_image* rawImage = NULL;
	if (heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, chroma, NULL).code
		!= heif_error_Ok)
		return B_ILLEGAL_DATA;
	Image image(rawImage);
	width = heif_image_get_width(image.get(), heif_channel_interleaved);
	height = heif_image_get_height(image.get(), heif_channel_interleaved);
	int stride = 0;
	const uint8* pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved,
		&stride);
	if (pixels == NULL || !BPrivate::fits_limit(width, height, deep ? 8 : 4))
		return B_ILLEGAL_DATA;

	QImage result;
	if (deep) {
		// Samples of 10 or 12 bits, little-endian in 16-bit words, stretched
		// to the full 16 bits.
		int bits = heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved);
		int channels = alpha ? 4 : 3;
		result = QImage(width, height, alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64);
		if (result.isNull())
			return B_NO_MEMORY;
		uint32 maximum = (1u << bits) - 1;
		for (int y = 0; y < height; y++) {
			const uint16* in = (const uint16*)(pixels + (size_t)y * stride);
			uint16* out = (uint16*)result.scanLine(y);
			for (int x = 0; x < width; x++) {
				for (int c = 0; c < 4; c++) {
					uint32 value = c < channels ? std::min<uint32>(in[c], maximum) : maximum;
					out[c] = (value * 65535 + maximum / 2) / maximum;
				}
				in += channels;
				out += 4;
			}
		}
	} else {
		QImage wrapped(pixels, width, height, stride,
			alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
		result = wrapped.copy();
		if (result.isNull())
			return B_NO_MEMORY;
	}
	_decoded->image = std::move(result);
	_decoded->iccProfile = color_profile(handle.get());
	return B_OK;
}

bool
heif_can_encode()
{
	return heif_have_encoder_for_format(heif_compression_HEVC);
}

heif_error
write_to_stream(heif_context*, const void* data, size_t size, void* userData)
{
	std::vector<uint8>* output = (std::vector<uint8>*)userData;
	output->insert(output->end(), (const uint8*)data, (const uint8*)data + size);
	return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

status_t
heif_encode(const QImage& source, BPositionIO* destination)
{
	bool alpha = source.hasAlphaChannel();
	QImage pixels = source.convertToFormat(
		alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
	if (pixels.isNull())
		return B_NO_MEMORY;
	heif_image* rawImage = NULL;
	if (heif_image_create(pixels.width(), pixels.height(), heif_colorspace_RGB,
			alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &rawImage)
			.code
		!= heif_error_Ok)
		return B_NO_MEMORY;
	Image image(rawImage);
	if (heif_image_add_plane(image.get(), heif_channel_interleaved, pixels.width(),
			pixels.height(), 8)
			.code
		!= heif_error_Ok)
		return B_NO_MEMORY;
	int stride = 0;
	uint8* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
	size_t rowBytes = (size_t)pixels.width() * (alpha ? 4 : 3);
	for (int y = 0; y < pixels.height(); y++)
		memcpy(plane + (size_t)y * stride, pixels.constScanLine(y), rowBytes);

	Context context(heif_context_alloc());
	heif_encoder* rawEncoder = NULL;
	if (context == NULL
		|| heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC,
			   &rawEncoder)
				.code
			!= heif_error_Ok)
		return B_NO_TRANSLATOR;
	Encoder encoder(rawEncoder);
	heif_encoder_set_lossy_quality(encoder.get(), kHeicQuality);
	if (heif_context_encode_image(context.get(), image.get(), encoder.get(), NULL, NULL).code
		!= heif_error_Ok)
		return B_ERROR;
	std::vector<uint8> output;
	heif_writer writer = {1, write_to_stream};
	if (heif_context_write(context.get(), &writer, &output).code != heif_error_Ok)
		return B_ERROR;
	return destination->WriteExactly(output.data(), output.size());
}

} // namespace

const BPrivate::NativeCodec BPrivate::kHeifCodec = {heif_identify, heif_decode, heif_can_encode,
	heif_encode};
