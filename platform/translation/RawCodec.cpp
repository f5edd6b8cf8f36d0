#include "private/NativeCodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>

#include <libraw/libraw.h>

// Camera RAW through libraw. The embedded preview, when it is large enough,
// is shown instead of developing the sensor data: it is what the camera
// itself rendered, and it decodes in a fraction of the time.

namespace {

// Previews with a longer side than this are used; smaller ones (the DNG
// thumbnails of 256 pixels) are not enough for the image view.
const int kMinPreviewSide = 1024;

// libraw's stream over a BPositionIO. libraw reads many small pieces (a byte
// at a time in places), so reads go through a window of the file.
class PositionIODatastream : public LibRaw_abstract_datastream {
public:
	explicit PositionIODatastream(BPositionIO* source) :
		fSource(source),
		fSize(0),
		fPosition(0),
		fWindowStart(0),
		fWindowLength(0)
	{
		off_t size;
		if (source->GetSize(&size) == B_OK && size > 0)
			fSize = size;
	}

	int valid() override { return fSize > 0; }

	int read(void* buffer, size_t size, size_t count) override
	{
		if (size == 0)
			return 0;
		size_t wanted = size * count;
		size_t done = 0;
		while (done < wanted) {
			if (!_Fill())
				break;
			size_t offset = fPosition - fWindowStart;
			size_t piece = std::min(wanted - done, fWindowLength - offset);
			memcpy((char*)buffer + done, fWindow + offset, piece);
			done += piece;
			fPosition += piece;
		}
		return (int)(done / size);
	}

	int seek(INT64 offset, int whence) override
	{
		INT64 base = whence == SEEK_CUR ? fPosition : whence == SEEK_END ? fSize : 0;
		INT64 position = base + offset;
		if (position < 0)
			return -1;
		fPosition = std::min(position, fSize);
		return 0;
	}

	INT64 tell() override { return fPosition; }
	INT64 size() override { return fSize; }
	int eof() override { return fPosition >= fSize; }
	void* make_jas_stream() override { return NULL; }

	int get_char() override
	{
		if (!_Fill())
			return -1;
		return (uint8)fWindow[fPosition++ - fWindowStart];
	}

	char* gets(char* line, int size) override
	{
		if (size <= 0)
			return NULL;
		int length = 0;
		while (length < size - 1) {
			int c = get_char();
			if (c < 0)
				break;
			line[length++] = (char)c;
			if (c == '\n')
				break;
		}
		line[length] = '\0';
		return length > 0 ? line : NULL;
	}

	int scanf_one(const char* format, void* value) override
	{
		// One whitespace-delimited token, as fscanf reads it.
		char token[64];
		int length = 0;
		int c;
		while ((c = get_char()) >= 0 && (c == ' ' || c == '\t' || c == '\n' || c == '\r'))
			;
		while (c >= 0 && c != ' ' && c != '\t' && c != '\n' && c != '\r'
			&& length < (int)sizeof(token) - 1) {
			token[length++] = (char)c;
			c = get_char();
		}
		token[length] = '\0';
		return length > 0 ? sscanf(token, format, value) : EOF;
	}

private:
	// True when fPosition lies inside the window, reading it when needed.
	bool _Fill()
	{
		if (fPosition >= fWindowStart && fPosition < fWindowStart + (INT64)fWindowLength)
			return true;
		if (fPosition >= fSize)
			return false;
		ssize_t read = fSource->ReadAt(fPosition, fWindow, sizeof(fWindow));
		if (read <= 0)
			return false;
		fWindowStart = fPosition;
		fWindowLength = read;
		return true;
	}

	BPositionIO* fSource;
	INT64 fSize;
	INT64 fPosition;
	INT64 fWindowStart;
	size_t fWindowLength;
	char fWindow[65536];
};

struct ImageDeleter {
	void operator()(libraw_processed_image_t* image) const { LibRaw::dcraw_clear_mem(image); }
};

bool
starts_with(const std::vector<uint8>& head, size_t offset, const char* magic, size_t length)
{
	return head.size() >= offset + length && memcmp(head.data() + offset, magic, length) == 0;
}

// The container signatures of CR2, NEF, ARW, DNG (TIFF), ORF, RW2, RAF and
// CR3; only these are given to libraw to parse.
bool
may_be_raw(const std::vector<uint8>& head)
{
	return starts_with(head, 0, "II*\0", 4) || starts_with(head, 0, "MM\0*", 4)
		|| starts_with(head, 0, "IIRO", 4) || starts_with(head, 0, "IIRS", 4)
		|| starts_with(head, 0, "MMOR", 4) || starts_with(head, 0, "IIU\0", 4)
		|| starts_with(head, 0, "FUJIFILMCCD-RAW", 15) || starts_with(head, 4, "ftypcrx ", 8);
}

std::unique_ptr<LibRaw>
open_raw(PositionIODatastream* stream)
{
	std::unique_ptr<LibRaw> raw(new LibRaw(LIBRAW_OPTIONS_NONE));
	if (!stream->valid() || raw->open_datastream(stream) != LIBRAW_SUCCESS)
		return NULL;
	return raw;
}

bool
raw_identify(BPositionIO* source)
{
	if (!may_be_raw(BPrivate::read_head(source, 16)))
		return false;
	std::unique_ptr<PositionIODatastream> stream(new PositionIODatastream(source));
	std::unique_ptr<LibRaw> raw = open_raw(stream.get());
	return raw != NULL && raw->imgdata.idata.raw_count > 0;
}

// libraw's flip as the EXIF orientation that undoes it.
int
exif_orientation(int flip)
{
	switch (flip) {
		case 3:
			return 3;
		case 5:
			return 8;
		case 6:
			return 6;
		default:
			return 1;
	}
}

// The embedded preview when it is a JPEG or RGB bitmap of at least
// kMinPreviewSide, upright; a null image otherwise.
QImage
preview(LibRaw* raw)
{
	const libraw_thumbnail_t& thumbnail = raw->imgdata.thumbnail;
	if (std::max(thumbnail.twidth, thumbnail.theight) < kMinPreviewSide
		|| !BPrivate::fits_limit(thumbnail.twidth, thumbnail.theight, 4)
		|| raw->unpack_thumb() != LIBRAW_SUCCESS || thumbnail.thumb == NULL)
		return QImage();
	QImage image;
	bool ownOrientation = false;
	if (thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG) {
		QByteArray data = QByteArray::fromRawData(thumbnail.thumb, thumbnail.tlength);
		QBuffer buffer(&data);
		QImageReader reader(&buffer, "jpeg");
		reader.setAutoTransform(true);
		QSize size = reader.size();
		if (!size.isValid() || !BPrivate::fits_limit(size.width(), size.height(), 4)
			|| !reader.read(&image))
			return QImage();
		ownOrientation = reader.transformation() != QImageIOHandler::TransformationNone;
	} else if (thumbnail.tformat == LIBRAW_THUMBNAIL_BITMAP && thumbnail.tcolors == 3
		&& (size_t)thumbnail.tlength >= (size_t)thumbnail.twidth * thumbnail.theight * 3) {
		image = QImage((const uchar*)thumbnail.thumb, thumbnail.twidth, thumbnail.theight,
			thumbnail.twidth * 3, QImage::Format_RGB888)
					.copy();
	}
	if (image.isNull() || std::max(image.width(), image.height()) < kMinPreviewSide)
		return QImage();
	// Previews carry the camera's orientation in the RAW's own tags, unless
	// their own EXIF has one.
	if (!ownOrientation)
		image = BPrivate::apply_orientation(image, exif_orientation(raw->imgdata.sizes.flip));
	return image;
}

// The sensor data developed by libraw: camera white balance, sRGB
// primaries and tone curve, 16 bits a channel, turned upright.
status_t
develop(LibRaw* raw, QImage* _image)
{
	const libraw_image_sizes_t& sizes = raw->imgdata.sizes;
	if (!BPrivate::fits_limit(sizes.raw_width, sizes.raw_height, 8)
		|| !BPrivate::fits_limit(sizes.width, sizes.height, 8))
		return sizes.width > 0 && sizes.height > 0 ? (status_t)B_NO_MEMORY
												   : (status_t)B_ILLEGAL_DATA;
	libraw_output_params_t& params = raw->imgdata.params;
	params.use_camera_wb = 1;
	params.output_bps = 16;
	params.gamm[0] = 1 / 2.4;
	params.gamm[1] = 12.92;
	if (raw->unpack() != LIBRAW_SUCCESS || raw->dcraw_process() != LIBRAW_SUCCESS)
		return B_ILLEGAL_DATA;
	int error = LIBRAW_SUCCESS;
	std::unique_ptr<libraw_processed_image_t, ImageDeleter> processed(
		raw->dcraw_make_mem_image(&error));
	if (processed == NULL || error != LIBRAW_SUCCESS || processed->type != LIBRAW_IMAGE_BITMAP
		|| processed->colors != 3 || processed->bits != 16
		|| processed->data_size < (size_t)processed->width * processed->height * 6)
		return B_ILLEGAL_DATA;

	QImage image(processed->width, processed->height, QImage::Format_RGBX64);
	if (image.isNull())
		return B_NO_MEMORY;
	const uint16* in = (const uint16*)processed->data;
	for (int y = 0; y < image.height(); y++) {
		uint16* out = (uint16*)image.scanLine(y);
		for (int x = 0; x < image.width(); x++, in += 3, out += 4) {
			out[0] = in[0];
			out[1] = in[1];
			out[2] = in[2];
			out[3] = 0xffff;
		}
	}
	*_image = std::move(image);
	return B_OK;
}

status_t
raw_decode(BPositionIO* source, BPrivate::DecodedImage* _decoded)
{
	std::unique_ptr<PositionIODatastream> stream(new PositionIODatastream(source));
	std::unique_ptr<LibRaw> raw = open_raw(stream.get());
	if (raw == NULL)
		return B_ILLEGAL_DATA;
	QImage image = preview(raw.get());
	if (image.isNull()) {
		status_t status = develop(raw.get(), &image);
		if (status != B_OK)
			return status;
	}
	// A preview may carry its own profile (Adobe RGB cameras); the developed
	// image is sRGB.
	_decoded->iccProfile = image.colorSpace().iccProfile();
	_decoded->image = std::move(image);
	return B_OK;
}

bool
raw_can_encode()
{
	return false;
}

} // namespace

const BPrivate::NativeCodec BPrivate::kRawCodec = {raw_identify, raw_decode, raw_can_encode,
	NULL};
