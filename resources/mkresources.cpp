// Draws the application's pictures and icons and writes the resource archive
// that the build attaches to the executable.
//
//   mkresources OUTDIR [SIZE...]
//
// writes OUTDIR/resources.bin (the archive), OUTDIR/glim-SIZE.png (the
// desktop icons at the sizes given, and at 16 and 32, the sizes of the
// archive's own icons), and every picture on its own under
// OUTDIR/pictures/ for whoever wants to look at them. Everything is drawn
// with shapes and paths only: without a QGuiApplication there are no fonts.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <AppFileInfo.h>
#include <ResourcesArchive.h>

#include "Pictures.h"

using BPrivate::ResourceItem;

static std::vector<char>
bmp_data(const QImage& source)
{
	const QImage image = source.convertToFormat(QImage::Format_RGB32);
	const uint32 width = image.width();
	const uint32 height = image.height();
	const uint32 rowSize = (width * 3 + 3) & ~3u;
	const uint32 pixelOffset = 14 + 40;
	const uint32 fileSize = pixelOffset + rowSize * height;

	std::vector<char> out;
	auto put16 = [&out](uint32 value) {
		out.push_back((char)(value & 0xff));
		out.push_back((char)((value >> 8) & 0xff));
	};
	auto put32 = [&put16](uint32 value) {
		put16(value & 0xffff);
		put16(value >> 16);
	};
	// BITMAPFILEHEADER
	out.push_back('B');
	out.push_back('M');
	put32(fileSize);
	put32(0);
	put32(pixelOffset);
	// BITMAPINFOHEADER: uncompressed, 24 bits per pixel, 72 dpi
	put32(40);
	put32(width);
	put32(height); // positive: rows run from the bottom up
	put16(1);
	put16(24);
	put32(0);
	put32(rowSize * height);
	put32(2835);
	put32(2835);
	put32(0);
	put32(0);

	for (int y = (int)height - 1; y >= 0; y--) {
		const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
		for (uint32 x = 0; x < width; x++) {
			out.push_back((char)qBlue(row[x]));
			out.push_back((char)qGreen(row[x]));
			out.push_back((char)qRed(row[x]));
		}
		for (uint32 pad = width * 3; pad < rowSize; pad++)
			out.push_back('\0');
	}
	return out;
}

static std::vector<char>
encoded_data(const QImage& image, const char* format, int quality = -1)
{
	QByteArray bytes;
	QBuffer buffer(&bytes);
	buffer.open(QIODevice::WriteOnly);
	QImageWriter writer(&buffer, format);
	if (quality >= 0)
		writer.setQuality(quality);
	if (!writer.write(image)) {
		fprintf(stderr, "mkresources: cannot encode %s: %s\n", format,
			writer.errorString().toLocal8Bit().constData());
		return std::vector<char>();
	}
	return std::vector<char>(bytes.constData(), bytes.constData() + bytes.size());
}

static std::vector<char>
text_data(const char* text)
{
	return std::vector<char>(text, text + strlen(text) + 1);
}

static bool
write_file(const std::string& path, const std::vector<char>& data)
{
	FILE* file = fopen(path.c_str(), "wb");
	if (file == NULL) {
		fprintf(stderr, "mkresources: %s: %s\n", path.c_str(), strerror(errno));
		return false;
	}
	bool ok = fwrite(data.data(), 1, data.size(), file) == data.size();
	ok = fclose(file) == 0 && ok;
	if (!ok)
		fprintf(stderr, "mkresources: cannot write %s\n", path.c_str());
	return ok;
}

static void
fill_text(char* field, size_t size, const char* text)
{
	memset(field, 0, size);
	strncpy(field, text, size - 1);
}

static std::vector<ResourceItem>
app_info_items()
{
	// The numbers come from the build's one version, which the program's
	// --version prints too.
	version_info version = {GLIM_VERSION_MAJOR, GLIM_VERSION_MIDDLE, GLIM_VERSION_MINOR,
		B_APPV_ALPHA, 1, {}, {}};
	fill_text(version.short_info, sizeof(version.short_info), "Image Viewer");
	fill_text(version.long_info, sizeof(version.long_info),
		"Image Viewer and image-folder browser");

	std::vector<char> flags;
	for (int shift = 0; shift < 32; shift += 8)
		flags.push_back((char)((B_SINGLE_LAUNCH >> shift) & 0xff));

	using namespace BPrivate;
	return {
		{kAppSignatureType, kAppInfoResourceId, kAppSignatureName,
			text_data("application/x-vnd.Fenwix-Viewer")},
		{kAppFlagsType, kAppInfoResourceId, kAppFlagsName, flags},
		{kSupportedTypesType, kAppInfoResourceId, kSupportedTypesName, text_data("image/jpeg")},
		{kAppVersionType, kAppInfoResourceId, kAppVersionName,
			flatten_version_info(version, version)},
	};
}

int
main(int argc, char** argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: mkresources OUTDIR [SIZE...]\n");
		return 2;
	}
	std::set<int> sizes = {16, 32};
	for (int i = 2; i < argc; i++) {
		const int size = atoi(argv[i]);
		if (size < 1 || size > 1024) {
			fprintf(stderr, "mkresources: not an icon size: %s\n", argv[i]);
			return 2;
		}
		sizes.insert(size);
	}
	const std::string outDir = argv[1];
	const std::string pictureDir = outDir + "/pictures";
	if (mkdir(pictureDir.c_str(), 0755) != 0 && errno != EEXIST) {
		fprintf(stderr, "mkresources: %s: %s\n", pictureDir.c_str(), strerror(errno));
		return 1;
	}

	std::vector<ResourceItem> items = app_info_items();
	bool ok = true;
	for (const Picture& picture : all_pictures()) {
		const bool jpeg = picture.format == Picture::kJpeg;
		std::vector<char> data = jpeg ? encoded_data(picture.image, "jpeg", 92)
									  : bmp_data(picture.image);
		char fileName[64];
		snprintf(fileName, sizeof(fileName), "/%02d-%s.%s", (int)picture.id, picture.name,
			jpeg ? "jpg" : "bmp");
		ok = !data.empty() && write_file(pictureDir + fileName, data) && ok;
		items.push_back({'PICT', picture.id, picture.name, data});
	}

	// The large and mini application icons, as PNG data, and the desktop's
	// icons at its usual sizes.
	for (int size : sizes) {
		std::vector<char> png = encoded_data(app_icon(size), "png");
		ok = !png.empty() && write_file(outDir + "/glim-" + std::to_string(size) + ".png", png)
			&& ok;
		if (size == 32)
			items.push_back({'ICON', 101, "BEOS:L:STD_ICON", png});
		else if (size == 16)
			items.push_back({'MICN', 101, "BEOS:M:STD_ICON", png});
	}

	ok = ok && write_file(outDir + "/resources.bin", BPrivate::build_resources_archive(items));
	return ok ? 0 : 1;
}
