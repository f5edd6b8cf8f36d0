// Each test below accepts at least everything its format's reader accepts:
// the signature the reader itself checks, or a looser one where the reader
// looks further (HEIF and AVIF brands, the RAW containers libraw parses).
// Turning data away is therefore certain; letting it pass is not.

#include "private/Signatures.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <set>

#include <QByteArray>
#include <QImageReader>

#include <avif/avif.h>
#include <jxl/decode.h>
#include <libheif/heif.h>

namespace {

bool
starts_with(const uint8* data, size_t length, const char* signature, size_t size,
	size_t offset = 0)
{
	return length >= offset + size && memcmp(data + offset, signature, size) == 0;
}

// Qt's X bitmap reader skips lines until one starts with '#' and gives up
// on a line of 299 bytes or more, once 4096 bytes are read, or at the end
// of the data; the line it stops at must be a "#define".
bool
might_be_xbm(const uint8* data, size_t length, bool whole)
{
	const size_t kLongLine = 299;
	const size_t kMaxHeader = 4096;
	const char kDefine[] = "#define";
	const size_t kDefineLength = sizeof(kDefine) - 1;
	size_t start = 0;
	while (true) {
		if (start >= length)
			return !whole;
		const uint8* newline = (const uint8*)memchr(data + start, '\n', length - start);
		size_t line = newline != NULL ? newline - (data + start) + 1 : length - start;
		bool complete = newline != NULL || whole;
		// An incomplete line is at least as long as what is seen of it.
		if (std::min(line, kLongLine) >= kLongLine || start + line >= kMaxHeader)
			return false;
		if (!complete)
			return true;
		if (data[start] == '#') {
			if (line >= kDefineLength)
				return memcmp(data + start, kDefine, kDefineLength) == 0;
			return false;
		}
		start += line;
	}
}

bool
might_be_qt_image(const uint8* data, size_t length, bool whole)
{
	if (length >= 2) {
		// JPEG, BMP, TIFF (II or MM), the netpbm family (P1 to P7), ICO and
		// CUR (a reserved zero word), JPEG XL's code stream.
		if ((data[0] == 0xff && (data[1] == 0xd8 || data[1] == 0x0a))
			|| starts_with(data, length, "BM", 2) || starts_with(data, length, "II", 2)
			|| starts_with(data, length, "MM", 2)
			|| (data[0] == 'P' && data[1] >= '1' && data[1] <= '7')
			|| (data[0] == 0 && data[1] == 0))
			return true;
	}
	// WBMP: a type field of 0, written in one byte or padded with 0x80.
	if (length >= 1 && (data[0] == 0x00 || data[0] == 0x80))
		return true;
	// Targa has no signature: the reader takes uncompressed true colour
	// (image type 2) with an 18-byte header; the other types are let pass
	// too, for readers that take them.
	if (length >= 18) {
		switch (data[2]) {
			case 1:
			case 2:
			case 3:
			case 9:
			case 10:
			case 11:
				return true;
			default:
				break;
		}
	}
	return starts_with(data, length, "\x89PNG", 4) || starts_with(data, length, "\x8aMNG", 4)
		|| starts_with(data, length, "GIF8", 4) || starts_with(data, length, "icns", 4)
		|| (starts_with(data, length, "RIFF", 4) && starts_with(data, length, "WEBP", 4, 8))
		|| starts_with(data, length, "/* XPM", 6) || might_be_xbm(data, length, whole);
}

// The library translators ask their libraries about the first bytes (64
// for HEIF and AVIF, 16 for JPEG XL), and so does this test: their brands
// are more than a signature. Camera RAW files are given to libraw only
// with the TIFF signature (passed above), Fujifilm's or CR3's "ftyp" box.
bool
might_be_native_image(const uint8* data, size_t length)
{
	const size_t kBrandBytes = 64;
	const size_t kJxlBytes = 16;
	size_t brand = std::min(length, kBrandBytes);
	if (brand >= 12) {
		const char* type = heif_get_file_mime_type(data, brand);
		if (type != NULL
			&& (strcmp(type, "image/heic") == 0 || strcmp(type, "image/heif") == 0))
			return true;
		avifROData avifData = {data, brand};
		if (avifPeekCompatibleFileType(&avifData))
			return true;
	}
	JxlSignature signature = JxlSignatureCheck(data, std::min(length, kJxlBytes));
	return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER
		|| starts_with(data, length, "FUJIFILM", 8) || starts_with(data, length, "ftyp", 4, 4);
}

} // namespace

namespace BPrivate {

bool
might_be_image(const uint8* head, size_t length, bool whole)
{
	// B_TRANSLATOR_BITMAP's own stream: "bits", big-endian.
	return starts_with(head, length, "bits", 4) || might_be_native_image(head, length)
		|| might_be_qt_image(head, length, whole);
}

const char*
only_reader_for(const uint8* head, size_t length)
{
	// The SVG reader claims text that starts with its markers; neither
	// signature below is text, but data that holds one is left to all.
	const size_t kSvgPeek = 64;
	size_t peek = std::min(length, kSvgPeek);
	for (const char* marker : {"<?xml", "<svg", "<!--", "<!DOCTYPE"}) {
		if (memmem(head, peek, marker, strlen(marker)) != NULL)
			return NULL;
	}
	// The library translators are asked first.
	if (length < 8 || might_be_native_image(head, length))
		return NULL;
	if (starts_with(head, length, "\x89PNG\r\n\x1a\n", 8))
		return "png";
	if (head[0] == 0xff && head[1] == 0xd8)
		return "jpeg";
	return NULL;
}

static bool
signatures_are_known()
{
	// Qt's own readers and those of qt6-image-formats-plugins and the SVG
	// module, the formats whose signatures are tested above (SVG is no
	// translator's and only ever makes data fail).
	static const std::set<QByteArray> kKnown = {"bmp", "cur", "gif", "icns", "ico", "jpeg",
		"jpg", "mng", "pbm", "pgm", "png", "ppm", "svg", "svgz", "tga", "tif", "tiff", "wbmp",
		"webp", "xbm", "xpm"};
	for (const QByteArray& format : QImageReader::supportedImageFormats()) {
		if (kKnown.count(format) == 0)
			return false;
	}
	return true;
}

static std::atomic<bool> sUseSignatures(true);

bool
signatures_in_use()
{
	static const bool known = signatures_are_known();
	return known && sUseSignatures.load(std::memory_order_relaxed);
}

void
use_signatures(bool use)
{
	sUseSignatures = use;
}

} // namespace BPrivate
