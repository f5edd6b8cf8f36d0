#include "ImageCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QBuffer>
#include <QIODevice>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>

#include <Bitmap.h>
#include <BitmapStream.h>

#include "BitmapPrivate.h"

static_assert(sizeof(TranslatorBitmap) == BPrivate::kBitmapHeaderSize,
	"TranslatorBitmap is the 32-byte header of the bitmap format");

// Qt's limit is in megabytes; decoding is allowed up to the bitmap limit.
static const int kAllocationLimitMB = (int)(BPrivate::kMaxBitmapBytes >> 20);

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

	QImage image;
	if (!reader.read(&image)) {
		if (device.Error() != B_OK)
			return device.Error();
		return B_ILLEGAL_DATA;
	}
	if ((int64)image.width() * image.height() * 4 > kMaxBitmapBytes)
		return B_NO_MEMORY;
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
