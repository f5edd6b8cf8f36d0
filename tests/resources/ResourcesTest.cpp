#include <Resources.h>
#include <TranslatorRoster.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/Commands.h"

namespace {

struct PictureSpec {
	int32 id;
	const char* name;
	int width;
	int height;
	bool jpeg;
};

const PictureSpec kPictures[] = {
	{1, "OpenUp", 40, 40, false},
	{2, "OpenDown", 40, 40, false},
	{3, "BackUp", 40, 40, false},
	{4, "BackDown", 40, 40, false},
	{5, "NextUp", 40, 40, false},
	{6, "NextDown", 40, 40, false},
	{7, "ShowUp", 40, 40, false},
	{8, "ShowDown", 40, 40, false},
	{9, "CloseUp", 40, 40, false},
	{10, "CloseDown", 40, 40, false},
	{11, "FenwixLogo", 50, 20, false},
	{12, "GlimLogo", 32, 30, true},
	{13, "GlimWord", 33, 31, false},
	{14, "MagnifyUp", 40, 40, false},
	{15, "MagnifyDown", 40, 40, false},
	{16, "MouseUp", 40, 40, false},
	{17, "MouseDown", 40, 40, false},
};

const int32 kToolbarUpIds[] = {1, 3, 5, 7, 9, 14, 16};

uint32
le(const unsigned char* bytes, int count)
{
	uint32 value = 0;
	for (int i = count - 1; i >= 0; i--)
		value = value << 8 | bytes[i];
	return value;
}

// Checks the headers of an uncompressed 24-bit Windows BMP.
void
ExpectBmp24(const std::vector<char>& data, int width, int height)
{
	ASSERT_GE(data.size(), 54u);
	const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
	EXPECT_EQ(bytes[0], 'B');
	EXPECT_EQ(bytes[1], 'M');
	EXPECT_EQ(le(bytes + 2, 4), data.size());
	EXPECT_EQ(le(bytes + 14, 4), 40u); // BITMAPINFOHEADER
	EXPECT_EQ((int32)le(bytes + 18, 4), width);
	EXPECT_EQ(abs((int32)le(bytes + 22, 4)), height);
	EXPECT_EQ(le(bytes + 26, 2), 1u);
	EXPECT_EQ(le(bytes + 28, 2), 24u);
	EXPECT_EQ(le(bytes + 30, 4), 0u); // uncompressed
	const uint32 rowSize = (width * 3 + 3) & ~3;
	EXPECT_GE(data.size(), le(bytes + 10, 4) + rowSize * height);
}

QImage
AppPicture(int32 id)
{
	std::vector<char> data;
	if (BPrivate::load_app_resource('PICT', id, &data) != B_OK)
		return QImage();
	return QImage::fromData(QByteArray(data.data(), data.size()))
		.convertToFormat(QImage::Format_RGB32);
}

int
Brightness(QRgb pixel)
{
	return qRed(pixel) + qGreen(pixel) + qBlue(pixel);
}

std::string
ExecutableFolder()
{
	char path[4096];
	ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length <= 0)
		return "";
	path[length] = '\0';
	std::string folder(path);
	return folder.substr(0, folder.rfind('/'));
}

std::string
DesktopValue(const std::string& entry, const std::string& key)
{
	const std::string prefix = "\n" + key + "=";
	size_t start = entry.find(prefix);
	if (start == std::string::npos)
		return "";
	start += prefix.size();
	return entry.substr(start, entry.find('\n', start) - start);
}

} // namespace

TEST(ResourcesTest, EveryPictureIsInTheExecutableWithItsSize)
{
	BResources resources;
	ASSERT_EQ(resources.SetTo("/proc/self/exe"), B_OK);
	for (const PictureSpec& spec : kPictures) {
		SCOPED_TRACE(spec.name);
		size_t size = 0;
		ASSERT_NE(resources.LoadResource('PICT', spec.id, &size), nullptr);

		std::vector<char> data;
		ASSERT_EQ(BPrivate::load_app_resource('PICT', spec.id, &data), B_OK);
		ASSERT_EQ(data.size(), size);
		if (spec.jpeg) {
			EXPECT_EQ((unsigned char)data[0], 0xff);
			EXPECT_EQ((unsigned char)data[1], 0xd8);
		} else {
			ExpectBmp24(data, spec.width, spec.height);
		}
		QImage image = QImage::fromData(QByteArray(data.data(), data.size()));
		ASSERT_FALSE(image.isNull());
		EXPECT_EQ(image.width(), spec.width);
		EXPECT_EQ(image.height(), spec.height);
	}
}

TEST(ResourcesTest, ToolbarPicturesShowRaisedAndPressedButtons)
{
	std::vector<QImage> ups;
	for (int32 upId : kToolbarUpIds) {
		SCOPED_TRACE(upId);
		const QImage up = AppPicture(upId);
		const QImage down = AppPicture(upId + 1);
		ASSERT_FALSE(up.isNull());
		ASSERT_FALSE(down.isNull());

		// Raised: light grey face, lit top-left and shaded bottom-right
		// edges; pressed: a darker face and the edges the other way round.
		const QRgb upFace = up.pixel(3, 3);
		const QRgb downFace = down.pixel(3, 3);
		EXPECT_EQ(upFace, qRgb(216, 216, 216));
		EXPECT_LT(Brightness(downFace), Brightness(upFace));
		EXPECT_GT(Brightness(up.pixel(0, 20)), Brightness(up.pixel(39, 20)));
		EXPECT_GT(Brightness(up.pixel(20, 0)), Brightness(up.pixel(20, 39)));
		EXPECT_LT(Brightness(down.pixel(0, 20)), Brightness(down.pixel(39, 20)));
		EXPECT_LT(Brightness(down.pixel(20, 0)), Brightness(down.pixel(20, 39)));

		// The pressed drawing is the same drawing one pixel down and right.
		int drawn = 0, mismatched = 0;
		for (int y = 3; y < 36; y++) {
			for (int x = 3; x < 36; x++) {
				const bool inUp = up.pixel(x, y) != upFace;
				const bool inDown = down.pixel(x + 1, y + 1) != downFace;
				drawn += inUp;
				mismatched += inUp != inDown;
			}
		}
		EXPECT_GT(drawn, 100);
		EXPECT_LT(mismatched, drawn / 50 + 2);

		for (const QImage& other : ups)
			EXPECT_NE(other, up);
		ups.push_back(up);
	}
}

TEST(ResourcesTest, TheWordPictureIsDrawnWithinItsAboutView)
{
	// The about window's "Glim Word" view is 20 rows high; the picture is
	// taller, so every stroke, descender included, must lie above that.
	const int kViewHeight = 20;
	const QImage word = AppPicture(13);
	ASSERT_FALSE(word.isNull());
	const QRgb background = word.pixel(0, 0);
	int inside = 0, below = 0, lowest = -1;
	for (int y = 0; y < word.height(); y++) {
		for (int x = 0; x < word.width(); x++) {
			if (word.pixel(x, y) == background)
				continue;
			(y < kViewHeight ? inside : below)++;
			lowest = y;
		}
	}
	EXPECT_GT(inside, 100);
	EXPECT_EQ(below, 0) << "lowest drawn row " << lowest;
	EXPECT_GE(lowest, 15) << "the descender of the g is drawn";
}

TEST(ResourcesTest, IconsAreInTheExecutableAndBesideIt)
{
	const struct {
		type_code type;
		int size;
		const char* file;
	} icons[] = {{'ICON', 32, "/glim-32.png"}, {'MICN', 16, "/glim-16.png"}};
	for (const auto& icon : icons) {
		SCOPED_TRACE(icon.size);
		std::vector<char> data;
		ASSERT_EQ(BPrivate::load_app_resource(icon.type, 101, &data), B_OK);
		QImage image = QImage::fromData(QByteArray(data.data(), data.size()), "PNG");
		ASSERT_FALSE(image.isNull());
		EXPECT_EQ(image.size(), QSize(icon.size, icon.size));
		EXPECT_TRUE(image.hasAlphaChannel());
		EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
		EXPECT_EQ(qAlpha(image.pixel(icon.size / 2, icon.size / 2)), 255);
		EXPECT_EQ(glim_test::ReadFile(std::string(GLIM_RESOURCES_BINARY_DIR) + icon.file),
			data);
	}

	QImageReader reader(QString::fromUtf8(GLIM_RESOURCES_SOURCE_DIR "/glim.svg"));
	if (!QImageReader::supportedImageFormats().contains("svg"))
		GTEST_SKIP() << "no SVG image plugin";
	QImage scalable = reader.read();
	ASSERT_FALSE(scalable.isNull()) << reader.errorString().toStdString();
	EXPECT_EQ(scalable.size(), QSize(32, 32));
	EXPECT_EQ(qAlpha(scalable.pixel(0, 0)), 0);
	EXPECT_EQ(qAlpha(scalable.pixel(16, 16)), 255);
}

TEST(ResourcesTest, DesktopEntryMatchesTheProgramAndItsTranslatorsAndValidates)
{
	const std::string path = GLIM_RESOURCES_BINARY_DIR "/glim.desktop";
	const std::vector<char> bytes = glim_test::ReadFile(path);
	const std::string entry(bytes.begin(), bytes.end());
	ASSERT_FALSE(entry.empty());

	EXPECT_EQ(DesktopValue(entry, "X-Glim-Signature"), kViewerSignature);
	EXPECT_EQ(DesktopValue(entry, "Exec"), "glim --refs %F");
	EXPECT_EQ(DesktopValue(entry, "Icon"), "glim");
	// The desktop offers the viewer every type a translator reads.
	const std::string types = ";" + DesktopValue(entry, "MimeType");
	translator_id* translators = NULL;
	int32 count = 0;
	ASSERT_EQ(BTranslatorRoster::Default()->GetAllTranslators(&translators, &count), B_OK);
	int32 checked = 0;
	for (int32 i = 0; i < count; i++) {
		const translation_format* formats = NULL;
		int32 formatCount = 0;
		ASSERT_EQ(BTranslatorRoster::Default()->GetInputFormats(translators[i], &formats,
					  &formatCount),
			B_OK);
		for (int32 j = 0; j < formatCount; j++) {
			if (formats[j].type == B_TRANSLATOR_BITMAP)
				continue;
			checked++;
			EXPECT_NE(types.find(std::string(";") + formats[j].MIME + ";"), std::string::npos)
				<< formats[j].MIME << " is missing from resources/mime-types.txt";
		}
	}
	delete[] translators;
	EXPECT_GE(checked, 6);

	if (system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
		GTEST_SKIP() << "desktop-file-validate is not installed";
	const std::string command = "desktop-file-validate '" + path + "' 2>&1";
	FILE* validator = popen(command.c_str(), "r");
	ASSERT_NE(validator, nullptr);
	std::string output;
	char buffer[256];
	while (fgets(buffer, sizeof(buffer), validator) != NULL)
		output += buffer;
	EXPECT_EQ(pclose(validator), 0) << output;
	EXPECT_EQ(output, ""); // not even a hint or a warning
}

TEST(ResourcesTest, HelpPageIsBesideTheExecutableAndWellFormed)
{
	const std::string besideUs = ExecutableFolder() + "/index.htm";
	const std::vector<char> page = glim_test::ReadFile(besideUs);
	ASSERT_FALSE(page.empty()) << besideUs;
	EXPECT_EQ(page, glim_test::ReadFile(GLIM_RESOURCES_SOURCE_DIR "/index.htm"));

	QXmlStreamReader reader(QByteArray(page.data(), page.size()));
	int elements = 0;
	while (!reader.atEnd()) {
		if (reader.readNext() == QXmlStreamReader::StartElement)
			elements++;
	}
	EXPECT_FALSE(reader.hasError())
		<< reader.errorString().toStdString() << " at line " << reader.lineNumber();
	EXPECT_GT(elements, 50);

	// Every shortcut of the menu bar is explained.
	const std::string text(page.begin(), page.end());
	for (const char* shortcut : {"Ctrl+O", "Ctrl+S", "Ctrl+P", "Ctrl+Q", "Ctrl+I", "Ctrl+F",
			 "Ctrl+N", "Ctrl+L", "Ctrl+T", "Ctrl+=", "Ctrl+-", "Ctrl+C", "Ctrl+H", "Ctrl+A"}) {
		EXPECT_NE(text.find(shortcut), std::string::npos) << shortcut;
	}
}
