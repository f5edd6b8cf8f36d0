#include "ImageCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include <QBuffer>
#include <QColorSpace>
#include <QIODevice>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>

#include <webp/decode.h>

#include <Bitmap.h>
#include <BitmapStream.h>

#include "BitmapPrivate.h"
#include "private/NativeCodec.h"

static_assert(sizeof(TranslatorBitmap) == BPrivate::kBitmapHeaderSize,
	"TranslatorBitmap is the 32-byte header of the bitmap format");

// Qt's limit is in megabytes; decoding is allowed up to the bitmap limit.
static const int kAllocationLimitMB = (int)(BPrivate::kMaxBitmapBytes >> 20);

// Images decoded for a fit box (thumbnails, made on every processor at once)
// whose decoded pixels are larger than this take turns, so that a folder of
// huge images never holds more than one of them decoded for that purpose.
static const int64 kLargeDecodeBytes = int64(256) << 20;
static std::mutex sLargeDecodeLock;

namespace {

// libpng reserves the whole of an ancillary chunk (text, profile, EXIF)
// before it reads it, so one that claims gigabytes costs gigabytes even in
// a file of a few hundred bytes. Such a chunk cannot be whole, and the
// decoder fails on it in any case: the data shown to it ends where the
// first ancillary chunk that claims more than the stream holds begins.
const uint8 kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

qint64
png_trusted_size(BPositionIO* source, qint64 size)
{
	const qint64 kSignatureSize = 8, kChunkOverhead = 12;
	qint64 offset = kSignatureSize;
	uint8 header[8];
	while (offset + kChunkOverhead <= size
		&& source->ReadAt(offset, header, sizeof(header)) == (ssize_t)sizeof(header)) {
		qint64 length = qFromBigEndian<uint32>(header);
		bool ancillary = (header[4] & 0x20) != 0;
		if (ancillary && offset + kChunkOverhead + length > size)
			return offset;
		offset += kChunkOverhead + length;
	}
	return size;
}

// A read-only QIODevice over a BPositionIO, so that Qt's readers work on any
// of the layer's streams. Offsets are the stream's own; its position is
// never moved. A failing stream read is kept as the device's error.
class StreamDevice : public QIODevice {
public:
	explicit StreamDevice(BPositionIO* stream) :
		fStream(stream),
		fSize(0),
		fError(B_OK)
	{
	}

	status_t Open()
	{
		off_t size;
		status_t status = fStream->GetSize(&size);
		if (status != B_OK)
			return status;
		fSize = size;
		uint8 signature[8];
		if (fStream->ReadAt(0, signature, sizeof(signature)) == (ssize_t)sizeof(signature)
			&& memcmp(signature, kPngSignature, sizeof(signature)) == 0)
			fSize = png_trusted_size(fStream, fSize);
		return open(QIODevice::ReadOnly) ? B_OK : B_ERROR;
	}

	status_t Error() const { return fError; }

	bool isSequential() const override { return false; }
	qint64 size() const override { return fSize; }

protected:
	qint64 readData(char* data, qint64 maxSize) override
	{
		qint64 position = pos();
		qint64 count = std::min(maxSize, fSize - position);
		if (count <= 0)
			return 0;
		ssize_t read = fStream->ReadAt(position, data, (size_t)count);
		if (read < 0) {
			fError = (status_t)read;
			return -1;
		}
		return read;
	}

	qint64 writeData(const char*, qint64) override { return -1; }

private:
	BPositionIO* fStream;
	qint64 fSize;
	status_t fError;
};

status_t
read_exactly_at(BPositionIO* source, off_t position, void* buffer, size_t size)
{
	size_t done = 0;
	while (done < size) {
		ssize_t read = source->ReadAt(position + done, (char*)buffer + done, size - done);
		if (read < 0)
			return (status_t)read;
		if (read == 0)
			return B_ILLEGAL_DATA;
		done += read;
	}
	return B_OK;
}

void
put_uint32(uint8* target, uint32 value)
{
	qToBigEndian(value, target);
}

void
put_float(uint8* target, float value)
{
	uint32 bits;
	memcpy(&bits, &value, sizeof(bits));
	put_uint32(target, bits);
}

float
get_float(const uint8* source)
{
	uint32 bits = qFromBigEndian<uint32>(source);
	float value;
	memcpy(&value, &bits, sizeof(value));
	return value;
}

// The size to decode an image of the given size at, to be fitted into box
// (both in the orientation stored in the file); an invalid size for no
// reduction. JPEG reduces by 1/2, 1/4 or 1/8 within the decoder: the
// smallest of them still at least the fitted size is taken, where it divides
// the image's sizes exactly (as cameras' sizes are): otherwise Qt's reader
// resamples libjpeg's rounded-up size once more, which shifts fine detail.
// WebP scales while decoding to any size, with a filter of its own: to four
// times the fitted size, so that the last reduction, filtered as a whole
// image would be, decides the result.
QSize
reduced_size(const QByteArray& format, QSize size, QSize box)
{
	double scale = std::min((double)box.width() / size.width(),
		(double)box.height() / size.height());
	if (!(scale < 1))
		return QSize();
	int fitWidth = std::max(1, (int)std::ceil(size.width() * scale));
	int fitHeight = std::max(1, (int)std::ceil(size.height() * scale));
	if (format == "jpeg") {
		for (int denominator = 8; denominator > 1; denominator /= 2) {
			if (size.width() % denominator == 0 && size.height() % denominator == 0
				&& size.width() / denominator >= fitWidth
				&& size.height() / denominator >= fitHeight)
				return QSize(size.width() / denominator, size.height() / denominator);
		}
		return QSize();
	}
	if (format == "webp" && 4 * fitWidth < size.width() && 4 * fitHeight < size.height())
		return QSize(4 * fitWidth, 4 * fitHeight);
	return QSize();
}

// The ICC profile of a WebP file's "ICCP" chunk, empty when it has none.
// Chunk sizes are checked against the data, which is never read past.
QByteArray
webp_icc_profile(const std::vector<uint8>& data)
{
	size_t offset = 12;
	while (offset + 8 <= data.size()) {
		uint32 length = qFromLittleEndian<uint32>(data.data() + offset + 4);
		if (length > data.size() - offset - 8)
			break;
		if (memcmp(data.data() + offset, "ICCP", 4) == 0)
			return QByteArray((const char*)data.data() + offset + 8, length);
		offset += 8 + (size_t)length + (length & 1);
	}
	return QByteArray();
}

// Decodes a still WebP image at size with libwebp's scaling, which reduces
// each row as it is decoded: the full-size pixels are never held. B_OK with
// the image in Format_ARGB32 or Format_RGB32 and its own size in *_fullSize;
// B_NOT_SUPPORTED for data this path leaves to Qt's reader (animations, or
// headers it does not read). The image carries the file's colour profile as
// Qt's reader would have tagged it.
status_t
decode_webp_reduced(BPositionIO* source, QSize size, QImage* _image, QSize* _fullSize)
{
	std::vector<uint8> data;
	status_t status = BPrivate::read_all(source, &data);
	if (status != B_OK)
		return status;
	WebPDecoderConfig config;
	if (!WebPInitDecoderConfig(&config)
		|| WebPGetFeatures(data.data(), data.size(), &config.input) != VP8_STATUS_OK
		|| config.input.has_animation || config.input.width <= 0 || config.input.height <= 0)
		return B_NOT_SUPPORTED;
	QImage image(size, config.input.has_alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
	if (image.isNull())
		return B_NO_MEMORY;
	config.options.use_scaling = 1;
	config.options.scaled_width = size.width();
	config.options.scaled_height = size.height();
	// Qt's ARGB32 is B, G, R, A in memory; opaque images get 255 there.
	config.output.colorspace = MODE_BGRA;
	config.output.is_external_memory = 1;
	config.output.u.RGBA.rgba = image.bits();
	config.output.u.RGBA.stride = image.bytesPerLine();
	config.output.u.RGBA.size = image.sizeInBytes();
	VP8StatusCode decoded = WebPDecode(data.data(), data.size(), &config);
	WebPFreeDecBuffer(&config.output);
	if (decoded != VP8_STATUS_OK)
		return B_ILLEGAL_DATA;
	*_fullSize = QSize(config.input.width, config.input.height);
	QByteArray profile = webp_icc_profile(data);
	if (!profile.isEmpty())
		image.setColorSpace(QColorSpace::fromIccProfile(profile));
	*_image = std::move(image);
	return B_OK;
}

} // namespace

namespace BPrivate {

void
pack_bitmap_header(const BBitmap* bitmap, uint8* header)
{
	BRect bounds = bitmap->Bounds();
	put_uint32(header, B_TRANSLATOR_BITMAP);
	put_float(header + 4, bounds.left);
	put_float(header + 8, bounds.top);
	put_float(header + 12, bounds.right);
	put_float(header + 16, bounds.bottom);
	put_uint32(header + 20, bitmap->BytesPerRow());
	put_uint32(header + 24, bitmap->ColorSpace());
	put_uint32(header + 28, bitmap->BitsLength());
}

status_t
unpack_bitmap_header(const uint8* header, TranslatorBitmap* _header)
{
	TranslatorBitmap result;
	result.magic = qFromBigEndian<uint32>(header);
	result.bounds.Set(get_float(header + 4), get_float(header + 8), get_float(header + 12),
		get_float(header + 16));
	result.rowBytes = qFromBigEndian<uint32>(header + 20);
	// Checked before it becomes a color_space: any other value is not one.
	uint32 colors = qFromBigEndian<uint32>(header + 24);
	result.dataSize = qFromBigEndian<uint32>(header + 28);

	BRect bounds = round_bitmap_bounds(result.bounds);
	if (result.magic != B_TRANSLATOR_BITMAP || !std::isfinite(bounds.Width())
		|| !std::isfinite(bounds.Height()) || !bounds.IsValid()
		|| (colors != B_RGB32 && colors != B_RGBA32))
		return B_BAD_VALUE;
	result.colors = (color_space)colors;
	double rowBytes = ((double)bounds.Width() + 1) * 4;
	double dataSize = rowBytes * ((double)bounds.Height() + 1);
	if (dataSize > (double)kMaxBitmapBytes || result.rowBytes != rowBytes
		|| result.dataSize != dataSize)
		return B_BAD_VALUE;
	*_header = result;
	return B_OK;
}

status_t
identify_image(BPositionIO* source, QByteArray* _format, const char* onlyFormat)
{
	StreamDevice device(source);
	status_t status = device.Open();
	if (status != B_OK)
		return status;
	QImageReader reader(&device, onlyFormat);
	reader.setDecideFormatFromContent(onlyFormat == NULL);
	QByteArray format = reader.format();
	if (device.Error() != B_OK)
		return device.Error();
	// A signature alone is not enough where the reader can tell the size:
	// text that starts like a netpbm file, or a cut-off header, is no image.
	if (format.isEmpty()
		|| (reader.supportsOption(QImageIOHandler::Size) && !reader.size().isValid()))
		return B_NO_TRANSLATOR;
	*_format = format;
	return B_OK;
}

status_t
decode_image(BPositionIO* source, const QByteArray& format, QImage* _image)
{
	return decode_image(source, format, QSize(), _image, NULL);
}

status_t
decode_image(BPositionIO* source, const QByteArray& format, QSize fitBox, QImage* _image,
	QSize* _fullSize)
{
	StreamDevice device(source);
	status_t status = device.Open();
	if (status != B_OK)
		return status;
	QImageReader reader(&device, format);
	reader.setAutoTransform(true);
	reader.setAllocationLimit(kAllocationLimitMB);
	QSize size = reader.size();
	if (size.isValid() && (int64)size.width() * size.height() * 4 > kMaxBitmapBytes)
		return B_NO_MEMORY;
	// The box is in the orientation the image is shown in, the reduction in
	// the one it is stored in.
	bool turned = size.isValid()
		&& reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
	QSize reduced;
	if (fitBox.isValid() && size.isValid())
		reduced = reduced_size(format, size, turned ? fitBox.transposed() : fitBox);
	std::unique_lock<std::mutex> largeDecode(sLargeDecodeLock, std::defer_lock);
	QSize decoded = reduced.isValid() ? reduced : size;
	if (fitBox.isValid() && size.isValid()
		&& (int64)decoded.width() * decoded.height() * 4 > kLargeDecodeBytes)
		largeDecode.lock();
	if (reduced.isValid() && format == "webp") {
		QSize fullSize;
		status = decode_webp_reduced(source, reduced, _image, &fullSize);
		if (status != B_NOT_SUPPORTED) {
			if (status == B_OK && _fullSize != NULL)
				*_fullSize = fullSize;
			return status;
		}
	}
	if (reduced.isValid())
		reader.setScaledSize(reduced);

	QImage image;
	if (!reader.read(&image)) {
		if (device.Error() != B_OK)
			return device.Error();
		return B_ILLEGAL_DATA;
	}
	if ((int64)image.width() * image.height() * 4 > kMaxBitmapBytes)
		return B_NO_MEMORY;
	if (_fullSize != NULL)
		*_fullSize = reduced.isValid() ? (turned ? size.transposed() : size) : image.size();
	*_image = std::move(image);
	return B_OK;
}

status_t
encode_image(const QImage& image, const char* format, BPositionIO* destination)
{
	QByteArray data;
	QBuffer buffer(&data);
	buffer.open(QIODevice::WriteOnly);
	QImageWriter writer(&buffer, format);
	if (!writer.write(image)) {
		if (writer.error() == QImageWriter::UnsupportedFormatError)
			return B_NO_TRANSLATOR;
		return B_ERROR;
	}
	return destination->WriteExactly(data.constData(), data.size());
}

status_t
read_bitmap_stream(BPositionIO* source, std::unique_ptr<BBitmap>* _bitmap)
{
	uint8 packed[kBitmapHeaderSize];
	TranslatorBitmap header;
	status_t status = read_exactly_at(source, 0, packed, sizeof(packed));
	if (status == B_OK)
		status = unpack_bitmap_header(packed, &header);
	if (status != B_OK)
		return status == B_BAD_VALUE ? B_ILLEGAL_DATA : status;
	// A header may claim up to 1 GiB of pixels: make sure the stream holds
	// them before reserving the memory.
	off_t size;
	status = source->GetSize(&size);
	if (status != B_OK)
		return status;
	if (size < (off_t)(kBitmapHeaderSize + header.dataSize))
		return B_ILLEGAL_DATA;

	std::unique_ptr<BBitmap> bitmap(new BBitmap(header.bounds, header.colors));
	if (bitmap->InitCheck() != B_OK)
		return bitmap->InitCheck();
	status = read_exactly_at(source, kBitmapHeaderSize, bitmap->Bits(), bitmap->BitsLength());
	if (status != B_OK)
		return status;
	*_bitmap = std::move(bitmap);
	return B_OK;
}

status_t
write_bitmap_stream(const BBitmap* bitmap, BPositionIO* destination)
{
	uint8 header[kBitmapHeaderSize];
	pack_bitmap_header(bitmap, header);
	status_t status = destination->WriteExactly(header, sizeof(header));
	if (status == B_OK)
		status = destination->WriteExactly(bitmap->Bits(), bitmap->BitsLength());
	return status;
}

} // namespace BPrivate
