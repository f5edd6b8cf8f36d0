// Save As and Save Selection: the conversion, the crop at full resolution,
// and never losing a file.
#include "mainwindow/ViewerWin.h"

#include <Bitmap.h>
#include <DataIO.h>
#include <Directory.h>
#include <File.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <TranslationUtils.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>

#include "imageview/ImageView.h"
#include "settings/ImageServices.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class SaveAsTest : public ViewerTest {
protected:
	void SetUp() override
	{
		ViewerTest::SetUp();
		ASSERT_TRUE(WriteImage(fDir / "source.png", 64, 48, 0x3366cc, 0, 0xcc6633));
		fWindow = OpenWindow(fDir / "source.png", false, BRect(80, 80, 579, 479));
		EXPECT_EQ(fWindow->CurrentIndex(), 0);
		fWindow->Lock();
	}

	void TearDown() override
	{
		fWindow->Unlock();
		ViewerTest::TearDown();
	}

	// Saves the shown image (or selection) as name in the test folder.
	void Save(const char* name, uint32 type, bool selection = false)
	{
		fWindow->SaveAs(selection);
		BMessage chosen(MSG_SAVE_TYPE);
		chosen.AddInt32("glim:filetype", (int32)type);
		fWindow->MessageReceived(&chosen);
		BDirectory folder(fDir.Path().c_str());
		fWindow->SaveTo(&folder, name);
	}

	BRect Decoded(const std::string& path)
	{
		std::unique_ptr<BBitmap> bitmap(BTranslationUtils::GetBitmap(path.c_str()));
		return bitmap ? bitmap->Bounds() : BRect();
	}

	TempDir fDir{"save"};
	BViewerWin* fWindow = NULL;
};

} // namespace

TEST_F(SaveAsTest, ASelectionSavesItsExtentAtFullResolution)
{
	BImageView* view = fWindow->ImageView();
	view->SetZoom(3.0f);
	// Drag up and to the left of the anchor: the rectangle the user saw.
	float sx, sy, offX, offY;
	view->GetMapping(sx, sy, offX, offY);
	Drag(view, B_PRIMARY_MOUSE_BUTTON, BPoint(40 * sx + offX, 30 * sy + offY),
		{BPoint(30 * sx + offX, 25 * sy + offY)});
	BRect selection;
	ASSERT_TRUE(view->GetSelection(selection));
	Save("crop.png", 'PNG ', true);
	std::unique_ptr<BBitmap> crop(BTranslationUtils::GetBitmap((fDir / "crop.png").c_str()));
	ASSERT_TRUE(crop);
	EXPECT_EQ(crop->Bounds(), BRect(0, 0, 10, 5));
	// Taken from the left half (x 30..40 of 64) of the source.
	const uint8* pixel = (const uint8*)crop->Bits();
	EXPECT_EQ(make_color(pixel[2], pixel[1], pixel[0]), make_color(0xcc, 0x66, 0x33));

	// Without a selection, Save Selection saves the whole image.
	view->ClearSelection();
	Save("whole.png", 'PNG ', true);
	EXPECT_EQ(Decoded(fDir / "whole.png"), BRect(0, 0, 63, 47));
}

TEST_F(SaveAsTest, SavingNeverLosesAFile)
{
	// Over the source itself: the source is decoded first, then replaced.
	Save("source.png", 'JPEG');
	EXPECT_EQ(Decoded(fDir / "source.png"), BRect(0, 0, 63, 47));
	EXPECT_EQ(ReadText(fDir / "source.png").substr(0, 1), "\xff");

	// A conversion that fails leaves an earlier file of that name alone.
	WriteFile(fDir / "keep.txt", "earlier contents");
	Save("keep.txt", 'NONE');
	EXPECT_EQ(fApp->fAlerts, std::vector<std::string>{"Failed to convert the file"});
	EXPECT_EQ(ReadText(fDir / "keep.txt"), "earlier contents");

	// No leftovers of the attempts.
	BDirectory folder(fDir.Path().c_str());
	EXPECT_EQ(folder.CountEntries(), 2);

	// Nothing to save: no image shown.
	fApp->fAlerts.clear();
	fWindow->SaveTo(&folder, NULL);
	EXPECT_EQ(fApp->fAlerts.back(), "Failed to create the new file");
}

TEST_F(SaveAsTest, WithNoTypeChosenTheTypedNameSaysTheFormat)
{
	// A one-pixel GIF, written by hand: nothing here writes GIF.
	const char gif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
					   "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b";
	WriteFile(fDir / "frame.gif", std::string(gif, sizeof(gif) - 1));
	struct {
		const char* name;
		const char* source;
		const char* magic;
	} cases[] = {
		{"x.jpg", "source.png", "\xff\xd8"},
		{"x.JPEG", "source.png", "\xff\xd8"},
		{"x.bmp", "source.png", "BM"},
		{"x.tif", "source.png", "II"},
		// A name that tells nothing keeps the source's own format.
		{"plain", "source.png", "\x89PNG"},
		{"x.txt", "source.png", "\x89PNG"},
		// A source format that nothing writes falls back to PNG.
		{"copy", "frame.gif", "\x89PNG"},
	};
	for (const auto& entry : cases) {
		SCOPED_TRACE(std::string(entry.name) + " from " + entry.source);
		BFile source((fDir / entry.source).c_str(), B_READ_ONLY);
		uint32 type = glim::save_type_for(entry.name, &source);
		BBitmap bitmap(BRect(0, 0, 7, 7), B_RGB32);
		BMallocIO out;
		ASSERT_EQ(glim::encode_image(&bitmap, &out, type), B_OK);
		std::string written((const char*)out.Buffer(), out.BufferLength());
		EXPECT_EQ(written.substr(0, std::string(entry.magic).size()), entry.magic);
	}

	// Through the window: Save As with no type, typed "x.jpg".
	fWindow->SaveAs(false);
	BDirectory folder(fDir.Path().c_str());
	fWindow->SaveTo(&folder, "saved.jpg");
	EXPECT_EQ(ReadText(fDir / "saved.jpg").substr(0, 2), "\xff\xd8");
	EXPECT_TRUE(fApp->fAlerts.empty());
}

TEST_F(SaveAsTest, TheFileTypeMenuListsTheWritersAndItsBarFitsTheChosenName)
{
	fWindow->SaveAs(false);
	BMenuBar* bar = NULL;
	for (int32 i = 0; i < be_app->CountWindows() && bar == NULL; i++) {
		BWindow* window = be_app->WindowAt(i);
		if (window == fWindow || !window->Lock())
			continue;
		bar = dynamic_cast<BMenuBar*>(window->FindView("File Type"));
		window->Unlock();
	}
	ASSERT_NE(bar, nullptr);
	BWindow* panel = bar->Window();
	panel->Lock();
	BMenu* types = bar->SubmenuAt(0);
	ASSERT_NE(types, nullptr);
	// The menu offers each format that a translator writes, by the
	// translator's name; the bitmap stream format, which every reader
	// writes, is not one of them.
	std::vector<std::string> offered;
	for (int32 i = 0; i < types->CountItems(); i++)
		offered.push_back(types->ItemAt(i)->Label());
	panel->Unlock();
	EXPECT_EQ(offered,
		std::vector<std::string>({"JPEG images", "PNG images", "BMP images", "TIFF images",
			"WebP images", "ICO images", "PPM images", "WBMP images", "XBM images",
			"XPM images", "HEIF images", "AVIF images", "JPEG XL images"}));
	for (const char* label : {"JPEG images", "PNG images", "WebP images", "JPEG images"}) {
		SCOPED_TRACE(label);
		panel->Lock();
		BMenuItem* item = types->FindItem(label);
		ASSERT_NE(item, nullptr);
		item->SetMarked(true);
		EXPECT_STREQ(bar->ItemAt(0)->Label(), label);
		panel->Unlock();
		// What the user sees is the bar's widget: an item that does not fit
		// is pushed behind the widget's "»" extension button.
		QMenuBar* widget = NULL;
		EXPECT_TRUE(BPrivate::run_events_until([&]() {
			for (QWidget* top : QApplication::topLevelWidgets()) {
				for (QMenuBar* candidate : top->findChildren<QMenuBar*>()) {
					if (candidate->actions().size() == 1
						&& candidate->actions()[0]->text() == label)
						widget = candidate;
				}
			}
			return widget != NULL;
		}));
		ASSERT_NE(widget, nullptr);
		EXPECT_LE(widget->sizeHint().width(), widget->width());
	}
}

TEST(ImageServicesTest, DrawsTheSourceAreaScaledOverBlack)
{
	BBitmap image(BRect(0, 0, 3, 3), B_RGBA32);
	// The right column is see-through: the black beneath must show.
	uint32* pixels = (uint32*)image.Bits();
	for (int32 i = 0; i < image.BitsLength() / 4; i++)
		pixels[i] = i % (image.BytesPerRow() / 4) == 3 ? 0 : 0xffff0000;

	std::unique_ptr<BBitmap> drawn(
		glim::draw_over_black(&image, BRect(1, 0, 3, 3), BRect(0, 0, 5, 7)));
	ASSERT_TRUE(drawn);
	EXPECT_EQ(drawn->Bounds(), BRect(0, 0, 5, 7));
	EXPECT_EQ(drawn->ColorSpace(), B_RGB32);
	// The first row's first pixel and the last row's last, without alpha.
	const uint32* first = (const uint32*)drawn->Bits();
	const uint32* last = (const uint32*)((const uint8*)drawn->Bits()
		+ 7 * drawn->BytesPerRow());
	EXPECT_EQ(first[0] & 0xffffff, 0xff0000u);
	EXPECT_EQ(last[5] & 0xffffff, 0x000000u);
}
