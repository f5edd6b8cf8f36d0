#include <TranslatorRoster.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <QImageReader>
#include <QImageWriter>

#include <Bitmap.h>
#include <BitmapStream.h>
#include <DataIO.h>
#include <Message.h>

#include "BitmapPrivate.h"
#include "ImageCodec.h"
#include "private/ColorManagement.h"
#include "private/NativeCodec.h"
#include "private/Signatures.h"

using BPrivate::TranslatorEntry;

namespace {

struct FormatDescription {
	uint32 type;
	// Qt's names of the formats the translator reads, the first its own.
	const char* readFormats[3];
	// Qt's name of the format it writes; NULL when it only reads.
	const char* writeFormat;
	const char* translatorName;
	const char* formatName;
	const char* mimeType;
};

// The translators in the roster's order. ICNS is read only: Qt's writer
// squeezes every image into one square icon size.
const FormatDescription kFormats[] = {
	{B_JPEG_FORMAT, {"jpeg"}, "jpeg", "JPEG images", "JPEG image", "image/jpeg"},
	{B_PNG_FORMAT, {"png"}, "png", "PNG images", "PNG image", "image/png"},
	{B_GIF_FORMAT, {"gif"}, NULL, "GIF images", "GIF image", "image/gif"},
	{B_BMP_FORMAT, {"bmp"}, "bmp", "BMP images", "BMP image", "image/bmp"},
	{B_TIFF_FORMAT, {"tiff"}, "tiff", "TIFF images", "TIFF image", "image/tiff"},
	{B_WEBP_FORMAT, {"webp"}, "webp", "WebP images", "WebP image", "image/webp"},
	{B_TGA_FORMAT, {"tga"}, NULL, "Targa images", "Targa image", "image/x-tga"},
	{B_ICO_FORMAT, {"ico", "cur"}, "ico", "ICO images", "Windows icon",
		"image/vnd.microsoft.icon"},
	{B_PPM_FORMAT, {"ppm", "pgm", "pbm"}, "ppm", "PPM images", "Portable pixmap",
		"image/x-portable-pixmap"},
	{B_WBMP_FORMAT, {"wbmp"}, "wbmp", "WBMP images", "Wireless bitmap", "image/vnd.wap.wbmp"},
	{B_XBM_FORMAT, {"xbm"}, "xbm", "XBM images", "X bitmap", "image/x-xbitmap"},
	{B_XPM_FORMAT, {"xpm"}, "xpm", "XPM images", "X pixmap", "image/x-xpixmap"},
	{B_ICNS_FORMAT, {"icns"}, NULL, "ICNS images", "Apple icon image", "image/x-icns"},
	{B_MNG_FORMAT, {"mng"}, NULL, "MNG images", "MNG animation", "video/x-mng"},
};

struct NativeFormatDescription {
	uint32 type;
	const BPrivate::NativeCodec* codec;
	const char* library;
	const char* translatorName;
	const char* formatName;
	const char* mimeType;
};

// The translators on the image libraries, after Qt's. Their data is
// recognised before Qt's: TIFF-based RAW files would otherwise read as TIFF.
const NativeFormatDescription kNativeFormats[] = {
	{B_HEIF_FORMAT, &BPrivate::kHeifCodec, "libheif", "HEIF images", "HEIF image",
		"image/heif"},
	{B_AVIF_FORMAT, &BPrivate::kAvifCodec, "libavif", "AVIF images", "AVIF image",
		"image/avif"},
	{B_JXL_FORMAT, &BPrivate::kJxlCodec, "libjxl", "JPEG XL images", "JPEG XL image",
		"image/jxl"},
	{B_RAW_FORMAT, &BPrivate::kRawCodec, "libraw", "Camera RAW images", "Camera RAW image",
		"image/x-dcraw"},
};

const int32 kTranslatorVersion = B_TRANSLATION_MAKE_VERSION(1, 0, 0);
const char* kBitmapFormatName = "Bitmap image";
const char* kBitmapMimeType = "image/x-be-bitmap";

translation_format
make_format(uint32 type, float quality, float capability, const char* mime, const char* name)
{
	translation_format format = {};
	format.type = type;
	format.group = B_TRANSLATOR_BITMAP;
	format.quality = quality;
	format.capability = capability;
	strncpy(format.MIME, mime, sizeof(format.MIME) - 1);
	strncpy(format.name, name, sizeof(format.name) - 1);
	return format;
}

status_t
copy_stream(BPositionIO* source, BPositionIO* destination)
{
	std::vector<char> buffer(65536);
	off_t position = 0;
	while (true) {
		ssize_t read = source->ReadAt(position, buffer.data(), buffer.size());
		if (read <= 0)
			return (status_t)read;
		status_t status = destination->WriteExactly(buffer.data(), read);
		if (status != B_OK)
			return status;
		position += read;
	}
}

// The box a decoded image will be fitted into, from a Translate() call's
// extension; an invalid size when there is none or it is no sane box.
QSize
fit_box(const BMessage* ioExtension)
{
	BPoint box;
	if (ioExtension == NULL || ioExtension->FindPoint(B_TRANSLATOR_EXT_FIT_BOX, &box) != B_OK
		|| !(box.x >= 1 && box.y >= 1 && box.x < 1e6 && box.y < 1e6))
		return QSize();
	return QSize((int)std::ceil(box.x), (int)std::ceil(box.y));
}

// Hands a bitmap to the destination: straight into an empty BBitmapStream,
// else written in the bitmap format.
status_t
deliver_bitmap(std::unique_ptr<BBitmap>& bitmap, BPositionIO* destination)
{
	BBitmapStream* stream = dynamic_cast<BBitmapStream*>(destination);
	if (stream != NULL && BPrivate::BitmapStreamAccess::Adopt(stream, bitmap))
		return B_OK;
	return BPrivate::write_bitmap_stream(bitmap.get(), destination);
}

} // namespace

namespace BPrivate {

struct TranslatorEntry {
	translator_id id;
	uint32 type;
	std::vector<QByteArray> readFormats;
	QByteArray writeFormat;
	// The library translator's codec; NULL for Qt's.
	const NativeCodec* codec = NULL;
	bool codecWrites = false;
	std::string name;
	std::string info;
	std::vector<translation_format> inputs;
	std::vector<translation_format> outputs;

	bool Writes() const { return !writeFormat.isEmpty() || codecWrites; }
	bool Reads(const QByteArray& format) const
	{
		for (const QByteArray& name : readFormats) {
			if (name == format)
				return true;
		}
		return false;
	}
};

} // namespace BPrivate

struct BTranslatorRoster::Data {
	std::vector<TranslatorEntry> entries;
	// The translator for bitmap data when no type is wanted.
	const TranslatorEntry* bitmapWriter = NULL;
};

// What the source holds: data in the bitmap format, or an image in a
// format that one translator reads.
struct BTranslatorRoster::Source {
	BPositionIO* stream = NULL;
	bool isBitmap = false;
	// The bitmap of a BBitmapStream source, read without copying.
	const BBitmap* bitmap = NULL;
	QByteArray format;
	const TranslatorEntry* reader = NULL;
};

static void
add_formats(TranslatorEntry* entry, const char* mimeType, const char* formatName)
{
	translation_format own = make_format(entry->type, 0.7f, 0.8f, mimeType, formatName);
	translation_format bits = make_format(B_TRANSLATOR_BITMAP, 0.4f, 0.6f, kBitmapMimeType,
		kBitmapFormatName);
	entry->inputs.push_back(own);
	if (entry->Writes()) {
		entry->inputs.push_back(bits);
		entry->outputs.push_back(own);
	}
	entry->outputs.push_back(bits);
}

static TranslatorEntry
make_entry(const FormatDescription& description, const QList<QByteArray>& readable,
	const QList<QByteArray>& writable)
{
	TranslatorEntry entry;
	entry.type = description.type;
	for (const char* format : description.readFormats) {
		if (format != NULL && readable.contains(format))
			entry.readFormats.push_back(format);
	}
	if (description.writeFormat != NULL && writable.contains(description.writeFormat))
		entry.writeFormat = description.writeFormat;
	entry.name = description.translatorName;
	entry.info = std::string(entry.Writes() ? "Reads and writes " : "Reads ")
		+ description.translatorName + " with Qt's image I/O";
	add_formats(&entry, description.mimeType, description.formatName);
	return entry;
}

static TranslatorEntry
make_native_entry(const NativeFormatDescription& description)
{
	TranslatorEntry entry;
	entry.type = description.type;
	entry.codec = description.codec;
	entry.codecWrites = description.codec->encode != NULL && description.codec->canEncode();
	entry.name = description.translatorName;
	entry.info = std::string(entry.Writes() ? "Reads and writes " : "Reads ")
		+ description.translatorName + " with " + description.library;
	add_formats(&entry, description.mimeType, description.formatName);
	return entry;
}

BTranslatorRoster::BTranslatorRoster() :
	fData(new Data)
{
	QList<QByteArray> readable = QImageReader::supportedImageFormats();
	QList<QByteArray> writable = QImageWriter::supportedImageFormats();
	for (const FormatDescription& description : kFormats) {
		if (!readable.contains(description.readFormats[0]))
			continue;
		fData->entries.push_back(make_entry(description, readable, writable));
		fData->entries.back().id = fData->entries.size();
	}
	for (const NativeFormatDescription& description : kNativeFormats) {
		fData->entries.push_back(make_native_entry(description));
		fData->entries.back().id = fData->entries.size();
	}
	for (const TranslatorEntry& entry : fData->entries) {
		if (entry.Writes() && (fData->bitmapWriter == NULL || entry.type == B_PNG_FORMAT))
			fData->bitmapWriter = &entry;
	}
}

BTranslatorRoster::~BTranslatorRoster() = default;

BTranslatorRoster*
BTranslatorRoster::Default()
{
	// Never destroyed: another thread may still translate while the process
	// exits.
	static BTranslatorRoster* roster = new BTranslatorRoster;
	return roster;
}

status_t
BTranslatorRoster::Identify(BPositionIO* source, BMessage*, translator_info* _info, uint32,
	const char*, uint32 wantType)
{
	if (_info == NULL)
		return B_BAD_VALUE;
	// Most other files of a folder are turned away by their first bytes,
	// read once; data that fits in those bytes is examined from them alone.
	uint8 head[BPrivate::kSignatureBytes];
	ssize_t length = source != NULL && BPrivate::signatures_in_use()
		? source->ReadAt(0, head, sizeof(head))
		: -1;
	bool whole = length >= 0 && (size_t)length < sizeof(head);
	if (length >= 0 && !BPrivate::might_be_image(head, length, whole))
		return B_NO_TRANSLATOR;
	BMemoryIO headSource(head, whole ? length : 0);
	if (whole && dynamic_cast<BBitmapStream*>(source) == NULL)
		source = &headSource;

	const char* onlyFormat = length >= 0 ? BPrivate::only_reader_for(head, length) : NULL;

	Source examined;
	status_t status = _Examine(source, &examined, onlyFormat);
	if (status != B_OK)
		return status;
	const TranslatorEntry* entry = _Choose(examined, wantType);
	if (entry == NULL)
		return B_NO_TRANSLATOR;
	_FillInfo(*entry, examined, _info);
	return B_OK;
}

status_t
BTranslatorRoster::GetTranslators(BPositionIO* source, BMessage*, translator_info** _info,
	int32* _numInfo, uint32, const char*, uint32 wantType)
{
	if (_info == NULL || _numInfo == NULL)
		return B_BAD_VALUE;
	Source examined;
	status_t status = _Examine(source, &examined);
	if (status != B_OK)
		return status;
	std::vector<const TranslatorEntry*> found;
	for (const TranslatorEntry& entry : fData->entries) {
		if (_Accepts(entry, examined, wantType))
			found.push_back(&entry);
	}
	if (found.empty())
		return B_NO_TRANSLATOR;
	*_info = new translator_info[found.size()];
	for (size_t i = 0; i < found.size(); i++)
		_FillInfo(*found[i], examined, &(*_info)[i]);
	*_numInfo = found.size();
	return B_OK;
}

status_t
BTranslatorRoster::GetAllTranslators(translator_id** _list, int32* _count)
{
	if (_list == NULL || _count == NULL)
		return B_BAD_VALUE;
	*_list = new translator_id[fData->entries.size()];
	for (size_t i = 0; i < fData->entries.size(); i++)
		(*_list)[i] = fData->entries[i].id;
	*_count = fData->entries.size();
	return B_OK;
}

status_t
BTranslatorRoster::GetTranslatorInfo(translator_id id, const char** _name, const char** _info,
	int32* _version)
{
	const TranslatorEntry* entry = _Find(id);
	if (entry == NULL)
		return B_NO_TRANSLATOR;
	if (_name != NULL)
		*_name = entry->name.c_str();
	if (_info != NULL)
		*_info = entry->info.c_str();
	if (_version != NULL)
		*_version = kTranslatorVersion;
	return B_OK;
}

status_t
BTranslatorRoster::GetInputFormats(translator_id id, const translation_format** _formats,
	int32* _numFormats)
{
	if (_formats == NULL || _numFormats == NULL)
		return B_BAD_VALUE;
	const TranslatorEntry* entry = _Find(id);
	if (entry == NULL)
		return B_NO_TRANSLATOR;
	*_formats = entry->inputs.data();
	*_numFormats = entry->inputs.size();
	return B_OK;
}

status_t
BTranslatorRoster::GetOutputFormats(translator_id id, const translation_format** _formats,
	int32* _numFormats)
{
	if (_formats == NULL || _numFormats == NULL)
		return B_BAD_VALUE;
	const TranslatorEntry* entry = _Find(id);
	if (entry == NULL)
		return B_NO_TRANSLATOR;
	*_formats = entry->outputs.data();
	*_numFormats = entry->outputs.size();
	return B_OK;
}

status_t
BTranslatorRoster::Translate(BPositionIO* source, const translator_info* info,
	BMessage* ioExtension, BPositionIO* destination, uint32 wantOutType, uint32, const char*)
{
	if (destination == NULL)
		return B_BAD_VALUE;
	Source examined;
	status_t status = _Examine(source, &examined);
	if (status != B_OK)
		return status;
	const TranslatorEntry* entry = info != NULL ? _Find(info->translator)
												: _Choose(examined, wantOutType);
	if (entry == NULL || !_Accepts(*entry, examined, wantOutType))
		return B_NO_TRANSLATOR;
	return _Translate(*entry, examined, destination, wantOutType, ioExtension);
}

status_t
BTranslatorRoster::Translate(translator_id id, BPositionIO* source, BMessage* ioExtension,
	BPositionIO* destination, uint32 wantOutType)
{
	if (destination == NULL)
		return B_BAD_VALUE;
	const TranslatorEntry* entry = _Find(id);
	if (entry == NULL)
		return B_NO_TRANSLATOR;
	Source examined;
	status_t status = _Examine(source, &examined);
	if (status != B_OK)
		return status;
	if (!_Accepts(*entry, examined, wantOutType))
		return B_NO_TRANSLATOR;
	return _Translate(*entry, examined, destination, wantOutType, ioExtension);
}

const TranslatorEntry*
BTranslatorRoster::_Find(translator_id id) const
{
	if (id < 1 || id > fData->entries.size())
		return NULL;
	return &fData->entries[id - 1];
}

status_t
BTranslatorRoster::_Examine(BPositionIO* source, Source* _source, const char* onlyFormat) const
{
	if (source == NULL)
		return B_BAD_VALUE;
	_source->stream = source;
	if (onlyFormat != NULL)
		return _ExamineWith(onlyFormat, _source);
	if (const BBitmapStream* stream = dynamic_cast<const BBitmapStream*>(source)) {
		_source->bitmap = BPrivate::BitmapStreamAccess::Bitmap(stream);
		_source->isBitmap = _source->bitmap != NULL;
	}
	uint8 header[BPrivate::kBitmapHeaderSize];
	TranslatorBitmap unpacked;
	if (!_source->isBitmap && source->ReadAt(0, header, sizeof(header)) == sizeof(header)
		&& BPrivate::unpack_bitmap_header(header, &unpacked) == B_OK)
		_source->isBitmap = true;
	if (_source->isBitmap)
		return B_OK;

	for (const TranslatorEntry& entry : fData->entries) {
		if (entry.codec != NULL && entry.codec->identify(source)) {
			_source->reader = &entry;
			return B_OK;
		}
	}
	return _ExamineWith(NULL, _source);
}

// Qt's readers: the one of onlyFormat, or whichever recognises the data.
status_t
BTranslatorRoster::_ExamineWith(const char* onlyFormat, Source* _source) const
{
	status_t status = BPrivate::identify_image(_source->stream, &_source->format, onlyFormat);
	if (status != B_OK)
		return status;
	for (const TranslatorEntry& entry : fData->entries) {
		if (entry.codec == NULL && entry.Reads(_source->format)) {
			_source->reader = &entry;
			return B_OK;
		}
	}
	return B_NO_TRANSLATOR;
}

const TranslatorEntry*
BTranslatorRoster::_Choose(const Source& source, uint32 wantType) const
{
	if (source.isBitmap && (wantType == 0 || wantType == B_TRANSLATOR_BITMAP))
		return fData->bitmapWriter;
	for (const TranslatorEntry& entry : fData->entries) {
		if (_Accepts(entry, source, wantType))
			return &entry;
	}
	return NULL;
}

// A translator reads bitmap data when it writes its format, and reads the
// image data of its own format; it writes bitmaps, and its own format when
// Qt writes that.
bool
BTranslatorRoster::_Accepts(const TranslatorEntry& entry, const Source& source,
	uint32 wantType) const
{
	if (source.isBitmap && !entry.Writes())
		return false;
	if (!source.isBitmap && &entry != source.reader)
		return false;
	return wantType == 0 || wantType == B_TRANSLATOR_BITMAP
		|| (wantType == entry.type && entry.Writes());
}

void
BTranslatorRoster::_FillInfo(const TranslatorEntry& entry, const Source& source,
	translator_info* _info) const
{
	const translation_format& format = source.isBitmap ? entry.inputs.back()
													   : entry.inputs.front();
	memset(_info, 0, sizeof(*_info));
	_info->type = format.type;
	_info->translator = entry.id;
	_info->group = format.group;
	_info->quality = format.quality;
	_info->capability = format.capability;
	static_assert(sizeof(_info->name) == sizeof(format.name)
		&& sizeof(_info->MIME) == sizeof(format.MIME));
	memcpy(_info->name, format.name, sizeof(_info->name));
	memcpy(_info->MIME, format.MIME, sizeof(_info->MIME));
}

status_t
BTranslatorRoster::_Translate(const TranslatorEntry& entry, const Source& source,
	BPositionIO* destination, uint32 wantType, BMessage* ioExtension)
{
	if (!source.isBitmap) {
		// Data already in the wanted format is copied as it is.
		if (wantType == entry.type)
			return copy_stream(source.stream, destination);
		QSize fitBox = fit_box(ioExtension);
		QSize fullSize;
		BPrivate::DecodedImage decoded;
		status_t status;
		if (entry.codec != NULL) {
			status = entry.codec->decode(source.stream, &decoded);
			fullSize = decoded.image.size();
		} else {
			status = BPrivate::decode_image(source.stream, source.format, fitBox,
				&decoded.image, &fullSize);
			decoded.iccProfile = BPrivate::qt_icc_profile(decoded.image);
		}
		if (status != B_OK)
			return status;
		if (ioExtension != NULL) {
			BPoint full(fullSize.width(), fullSize.height());
			ioExtension->RemoveName(B_TRANSLATOR_EXT_FULL_SIZE);
			ioExtension->AddPoint(B_TRANSLATOR_EXT_FULL_SIZE, full);
		}
		std::unique_ptr<BBitmap> bitmap = BPrivate::bitmap_from_image(
			BPrivate::display_image(std::move(decoded.image), decoded.iccProfile));
		if (bitmap == NULL)
			return B_NO_MEMORY;
		return deliver_bitmap(bitmap, destination);
	}

	std::unique_ptr<BBitmap> read;
	const BBitmap* bitmap = source.bitmap;
	if (bitmap == NULL) {
		status_t status = BPrivate::read_bitmap_stream(source.stream, &read);
		if (status != B_OK)
			return status;
		bitmap = read.get();
	}
	if (wantType != B_TRANSLATOR_BITMAP && entry.codec != NULL)
		return entry.codec->encode(BPrivate::bitmap_image(bitmap), destination);
	if (wantType != B_TRANSLATOR_BITMAP) {
		return BPrivate::encode_image(BPrivate::bitmap_image(bitmap), entry.writeFormat,
			destination);
	}
	if (read == NULL) {
		read.reset(new BBitmap(bitmap));
		if (read->InitCheck() != B_OK)
			return read->InitCheck();
	}
	return deliver_bitmap(read, destination);
}
