// Save As and Save Selection: the shown image, whole or cropped to the
// selection, decoded again from its file and written in the format chosen in
// the save panel.

#include "mainwindow/ViewerWin.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include <Message.h>
#include <Bitmap.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <FilePanel.h>
#include <List.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Messenger.h>
#include <Path.h>
#include <PopUpMenu.h>
#include <SafeFile.h>
#include <TranslatorRoster.h>

#include "app/Commands.h"
#include "app/ErrorAlert.h"
#include "imageview/ImageView.h"
#include "settings/ImageServices.h"

namespace {

const char* const kNothingToSave =
	"Unable to save the file.\n\nThis could be because there is nothing to save";

// The selection as the rectangle the user dragged, on whole pixels.
BRect
pixel_rect(BRect selection)
{
	float left = std::floor(std::min(selection.left, selection.right));
	float top = std::floor(std::min(selection.top, selection.bottom));
	float width = std::round(std::fabs(selection.right - selection.left));
	float height = std::round(std::fabs(selection.bottom - selection.top));
	return BRect(left, top, left + width, top + height);
}

// Copies the area source of image, pixel for pixel, into a new bitmap over
// black.
BBitmap*
crop(BBitmap* image, BRect source)
{
	return glim::draw_over_black(image, source, BRect(0, 0, source.Width(), source.Height()));
}

} // namespace

void
BViewerWin::SaveAs(bool selection)
{
	delete[] fSavePath;
	fSavePath = NULL;
	fSaveSelection = selection;

	if (fImageList == NULL || fCurrentIndex < 0 || fCurrentIndex >= CountImages()) {
		show_error(kNothingToSave);
		return;
	}
	const char* path = (const char*)fImageList->ItemAt(fCurrentIndex);
	fSavePath = new char[strlen(path) + 1];
	strcpy(fSavePath, path);

	if (fSavePanel == NULL)
		_CreateSavePanel();
	if (fSavePanel == NULL) {
		show_error(kNothingToSave);
		return;
	}
	fSavePanel->Show();
}

void
BViewerWin::_CreateSavePanel()
{
	BMessenger target(this);
	fSavePanel = new BFilePanel(B_SAVE_PANEL, &target, NULL, 0, true, NULL, NULL, false, true);
	BWindow* window = fSavePanel->Window();
	if (window == NULL || !window->Lock())
		return;

	const char* slash = strrchr(fSavePath, '/');
	fSavePanel->SetSaveText(slash != NULL ? slash + 1 : "");
	fSaveType = 0;

	BView* background = window->ChildAt(0);
	BView* textView = background != NULL ? background->FindView("text view") : NULL;
	BView* cancelButton = background != NULL ? background->FindView("cancel button") : NULL;
	if (textView != NULL && cancelButton != NULL) {
		BRect text = textView->Frame();
		BRect cancel = cancelButton->Frame();
		BMenuBar* bar = new BMenuBar(BRect(text.right + 5, text.top, cancel.left - 5,
										 text.bottom),
			"File Type", B_FOLLOW_LEFT | B_FOLLOW_BOTTOM, B_ITEMS_IN_ROW, true);
		BPopUpMenu* types = new BPopUpMenu("File type list", true, true, B_ITEMS_IN_COLUMN);
		bar->AddItem(types);
		background->AddChild(bar);
		window->ResizeTo(window->Bounds().right + 50, window->Bounds().bottom);
		_AddSaveTypes(types);
	}
	window->Unlock();
}

// One entry per translator that writes bitmaps, labelled with its name and
// asking for its first output format.
void
BViewerWin::_AddSaveTypes(BMenu* menu)
{
	BTranslatorRoster* roster = BTranslatorRoster::Default();
	translator_id* translators = NULL;
	int32 count = 0;
	if (roster->GetAllTranslators(&translators, &count) != B_OK)
		return;
	for (int32 i = 0; i < count; i++) {
		const char* name = NULL;
		const char* info = NULL;
		int32 version = 0;
		const translation_format* formats = NULL;
		int32 formatCount = 0;
		if (roster->GetTranslatorInfo(translators[i], &name, &info, &version) != B_OK
			|| roster->GetOutputFormats(translators[i], &formats, &formatCount) != B_OK
			|| formatCount <= 0)
			continue;
		// A translator whose first output is the raw bitmap format only reads
		// its own: offering it would write raw bitmaps under its name.
		bool writesBitmaps = false;
		for (int32 j = 0; j < formatCount; j++)
			writesBitmaps = writesBitmaps || formats[j].group == B_TRANSLATOR_BITMAP;
		if (!writesBitmaps || formats[0].type == B_TRANSLATOR_BITMAP)
			continue;
		BMessage* message = new BMessage(MSG_SAVE_TYPE);
		message->AddInt32("glim:filetype", (int32)formats[0].type);
		BMenuItem* item = new BMenuItem(name, message);
		item->SetTarget(this);
		menu->AddItem(item);
	}
	delete[] translators;
}

void
BViewerWin::SaveTo(BDirectory* folder, const char* name)
{
	BPath folderPath;
	BEntry folderEntry;
	if (name == NULL || name[0] == '\0' || strchr(name, '/') != NULL
		|| folder->GetEntry(&folderEntry) != B_OK || folderEntry.GetPath(&folderPath) != B_OK) {
		show_error("Failed to create the new file");
		return;
	}
	std::string target = std::string(folderPath.Path()) + "/" + name;

	// Written into a hidden file in the same folder and put over the target
	// only when the conversion is complete and on the disk: the source and
	// any earlier file of that name stay as they were on failure, and a
	// replaced file's mode is kept.
	BSafeFile file(target.c_str());
	if (file.InitCheck() != B_OK) {
		show_error("Failed to create the new file");
		return;
	}
	// With no type chosen the typed name says what to write: "x.jpg" is a
	// JPEG, not a PNG under that name.
	uint32 type = fSaveType;
	if (type == 0) {
		BFile source(fSavePath != NULL ? fSavePath : "", B_READ_ONLY);
		type = glim::save_type_for(name, source.InitCheck() == B_OK ? &source : NULL);
	}
	if (WriteFile(&file, type) && file.Commit() != B_OK)
		show_error("Failed to create the new file");
}

bool
BViewerWin::WriteFile(BFile* file)
{
	return WriteFile(file, fSaveType);
}

bool
BViewerWin::WriteFile(BFile* file, uint32 type)
{
	bool done = false;
	BFile source(fSavePath != NULL ? fSavePath : "", B_READ_ONLY);
	std::unique_ptr<BBitmap> image(
		source.InitCheck() == B_OK ? glim::decode_image(&source) : NULL);
	if (image) {
		BRect selection;
		if (fSaveSelection && fImageView->GetSelection(selection)) {
			std::unique_ptr<BBitmap> cropped(crop(image.get(), pixel_rect(selection)));
			if (cropped)
				done = glim::encode_image(cropped.get(), file, type) == B_OK;
		} else
			done = glim::encode_image(image.get(), file, type) == B_OK;
	}
	if (!done)
		show_error("Failed to convert the file");
	return done;
}
