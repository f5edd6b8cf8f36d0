#include <Entry.h>
#include <Path.h>
#include <Resources.h>
#include <TranslatorRoster.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/Commands.h"
#include "mainwindow/HelpPage.h"

namespace {

// The program's pictures are ids 1 to 17: the toolbar's buttons raised
// (odd ids from 1 to 9, then 14 and 16) each followed by the same button
// pressed, all 40 by 40 BMP files; and three drawings of other sizes, the
// logo a JPEG.

struct PictureSpec {
	int width;
	int height;
	bool jpeg;
};

const std::map<int32, PictureSpec> kDrawings = {{11, {50, 20, false}}, {12, {32, 30, true}},
	{13, {33, 31, false}}};

uint32
le(const unsigned char* bytes, int count)
{
	uint32 value = 0;
	for (int i = count - 1; i >= 0; i--)
		value = value << 8 | bytes[i];
	return value;
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
	for (int32 id = 1; id <= 17; id++) {
		SCOPED_TRACE(id);
		const PictureSpec spec = kDrawings.count(id) ? kDrawings.at(id)
													 : PictureSpec{40, 40, false};
		std::vector<char> data;
		ASSERT_EQ(BPrivate::load_app_resource('PICT', id, &data), B_OK);
		if (spec.jpeg) {
			EXPECT_EQ(std::string(data.begin(), data.begin() + 2), "\xff\xd8");
		} else {
			// An uncompressed 24-bit Windows BMP: the signature, the file's
			// size, a BITMAPINFOHEADER, the extent, one plane, 24 bits a
			// pixel, uncompressed, and all the rows.
			ASSERT_GE(data.size(), 54u);
			const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
			const std::vector<uint32> header = {bytes[0], bytes[1], le(bytes + 2, 4),
				le(bytes + 14, 4), le(bytes + 18, 4), (uint32)abs((int32)le(bytes + 22, 4)),
				le(bytes + 26, 2), le(bytes + 28, 2), le(bytes + 30, 4)};
			EXPECT_EQ(header,
				(std::vector<uint32>{'B', 'M', (uint32)data.size(), 40, (uint32)spec.width,
					(uint32)spec.height, 1, 24, 0}));
			EXPECT_GE(data.size(),
				le(bytes + 10, 4) + ((spec.width * 3 + 3) & ~3) * spec.height);
		}
		QImage image = QImage::fromData(QByteArray(data.data(), data.size()));
		ASSERT_FALSE(image.isNull());
		EXPECT_EQ(image.size(), QSize(spec.width, spec.height));
	}
}

TEST(ResourcesTest, ToolbarPicturesShowRaisedAndPressedButtons)
{
	std::vector<QImage> ups;
	for (int32 upId : {1, 3, 5, 7, 9, 14, 16}) {
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
	const std::string entry = glim_test::ReadText(path);
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
	glim_test::TempDir dir("validate");
	const int status = system(
		("desktop-file-validate '" + path + "' >'" + dir / "output" + "' 2>&1").c_str());
	const std::string output = glim_test::ReadText(dir / "output");
	EXPECT_EQ(status, 0) << output;
	EXPECT_EQ(output, ""); // not even a hint or a warning
}

TEST(ResourcesTest, HelpPageIsBesideTheExecutableAndWellFormed)
{
	const std::string besideUs = std::filesystem::read_symlink("/proc/self/exe").parent_path()
		/ "index.htm";
	const std::string text = glim_test::ReadText(besideUs);
	ASSERT_FALSE(text.empty()) << besideUs;
	EXPECT_EQ(text, glim_test::ReadText(GLIM_RESOURCES_SOURCE_DIR "/index.htm"));

	QXmlStreamReader reader(QByteArray(text.data(), text.size()));
	int elements = 0;
	while (!reader.atEnd()) {
		if (reader.readNext() == QXmlStreamReader::StartElement)
			elements++;
	}
	EXPECT_FALSE(reader.hasError())
		<< reader.errorString().toStdString() << " at line " << reader.lineNumber();
	EXPECT_GT(elements, 50);

	// Every shortcut of the menu bar is explained.
	for (const char* shortcut : {"Ctrl+O", "Ctrl+S", "Ctrl+P", "Ctrl+Q", "Ctrl+I", "Ctrl+F",
			 "Ctrl+N", "Ctrl+L", "Ctrl+T", "Ctrl+=", "Ctrl+-", "Ctrl+C", "Ctrl+H", "Ctrl+A"}) {
		EXPECT_NE(text.find(shortcut), std::string::npos) << shortcut;
	}
}

TEST(HelpPageTest, FoundBesideTheProgramElseUnderTheInstalledPrefix)
{
	const struct {
		const char* name;
		bool beside;
		bool installed;
		const char* expected; // relative to the prefix; NULL: not found
	} cases[] = {
		{"build tree", true, false, "bin/index.htm"},
		{"installed", false, true, "share/doc/glim/index.htm"},
		{"both", true, true, "bin/index.htm"},
		{"neither", false, false, NULL},
	};
	for (const auto& entry : cases) {
		SCOPED_TRACE(entry.name);
		glim_test::TempDir prefix("help");
		glim_test::MakeDirs(prefix / "bin");
		glim_test::WriteFile(prefix / "bin/glim", "program");
		glim_test::MakeDirs(prefix / "share/doc/glim");
		if (entry.beside)
			glim_test::WriteFile(prefix / "bin/index.htm", "<html/>");
		if (entry.installed)
			glim_test::WriteFile(prefix / "share/doc/glim/index.htm", "<html/>");

		entry_ref program;
		ASSERT_EQ(get_ref_for_path((prefix / "bin/glim").c_str(), &program), B_OK);
		entry_ref page;
		ASSERT_EQ(find_help_page(&program, &page),
			entry.expected ? B_OK : (status_t)B_ENTRY_NOT_FOUND);
		if (entry.expected != NULL) {
			EXPECT_EQ(std::string(BPath(&page).Path()), prefix / entry.expected);
		}
	}
}
