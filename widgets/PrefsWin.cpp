#include "widgets/PrefsWin.h"

#include <algorithm>
#include <cmath>

#include <Message.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Entry.h>
#include <FilePanel.h>
#include <Path.h>
#include <RadioButton.h>
#include <Slider.h>
#include <StringView.h>
#include <TabView.h>
#include <TextControl.h>

#include "app/Commands.h"
#include "settings/PrefsHandler.h"
#include "settings/SettingsKeys.h"
#include "app/ViewerApp.h"

namespace {

const rgb_color kGrey = {216, 216, 216, 0};
const rgb_color kRadioGrey = {216, 216, 216, 255};
const float kFrameMargin = 36;

// The boxes' inner right edge: labels may grow up to it.
const float kBoxInnerRight = 216;
const float kSmallestLabelFont = 8;

// Widens a labelled view to its label as the font draws it, up to the inner
// edge of its box, and takes a smaller font for a label still too long, so
// no label is cut.
template<typename View>
View*
fit_label(View* view)
{
	float room = kBoxInnerRight - view->Frame().left;
	float width = 0;
	view->GetPreferredSize(&width, NULL);
	BFont font;
	view->GetFont(&font);
	for (float size = font.Size(); width > room && size > kSmallestLabelFont;) {
		view->SetFontSize(--size);
		view->GetPreferredSize(&width, NULL);
	}
	view->ResizeTo(std::min(std::max(width, view->Bounds().Width()), room),
		view->Bounds().Height());
	return view;
}

BView*
grey_view(BRect frame, const char* name)
{
	BView* view = new BView(frame, name, B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
	view->SetViewColor(kGrey);
	return view;
}

BStringView*
caption(BRect frame, const char* name, const char* text)
{
	BStringView* view = new BStringView(frame, name, text, 0, B_WILL_DRAW);
	view->SetViewColor(kGrey);
	return fit_label(view);
}

BRadioButton*
radio(BRect frame, const char* name, const char* label, uint32 command)
{
	BRadioButton* button = new BRadioButton(frame, name, label, new BMessage(command), 0,
		B_WILL_DRAW);
	button->SetViewColor(kRadioGrey);
	return fit_label(button);
}

BTextControl*
path_field(BRect frame, const char* name, const char* text, uint32 command)
{
	BTextControl* field = new BTextControl(frame, name, "", text, new BMessage(command),
		B_FOLLOW_LEFT, B_WILL_DRAW);
	field->SetDivider(0);
	field->SetViewColor(kGrey);
	return field;
}

BButton*
button(BRect frame, const char* name, const char* label, uint32 command)
{
	return new BButton(frame, name, label, new BMessage(command), B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW | B_NAVIGABLE);
}

BCheckBox*
check_box(BRect frame, const char* name, const char* label, uint32 command)
{
	return fit_label(new BCheckBox(frame, name, label, new BMessage(command),
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE));
}

BSlider*
slider(BRect frame, const char* name, const char* label, uint32 command, int32 min, int32 max,
	const char* minLabel, const char* maxLabel)
{
	BSlider* control = new BSlider(frame, name, label, new BMessage(command), min, max,
		B_BLOCK_THUMB, B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE);
	control->SetHashMarks(B_HASH_MARKS_BOTTOM);
	control->SetHashMarkCount(10);
	control->SetLimitLabels(minLabel, maxLabel);
	control->SetViewColor(kGrey);
	return control;
}

BBox*
box(BRect frame, const char* name)
{
	return new BBox(frame, name, 0, B_WILL_DRAW, B_FANCY_BORDER);
}

} // namespace

PrefsWin::PrefsWin(BViewerApp* app, BPrefsHandler* prefs, BRect frame) :
	BWindow(frame, "Preferences", B_FLOATING_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE,
		B_CURRENT_WORKSPACE),
	fApp(app),
	fPrefs(prefs),
	fFolderPanel(NULL),
	fImagePanel(NULL)
{
	BView* windowView = grey_view(BRect(0, 0, 250, 350), "WindowView");
	AddChild(windowView);

	BTabView* tabs = new BTabView(BRect(5, 5, 245, 310), "tab_view", B_WIDTH_AS_USUAL,
		B_FOLLOW_ALL_SIDES,
		B_FULL_UPDATE_ON_RESIZE | B_WILL_DRAW | B_NAVIGABLE_JUMP | B_FRAME_EVENTS
			| B_NAVIGABLE);
	tabs->SetViewColor(kGrey);
	windowView->AddChild(tabs);

	BTab* general = new BTab();
	tabs->AddTab(_BuildGeneralTab(), general);
	general->SetLabel("General");
	BTab* thumbnails = new BTab();
	tabs->AddTab(_BuildThumbnailsTab(), thumbnails);
	thumbnails->SetLabel("Thumbnails");

	BButton* ok = button(BRect(190, 315, 240, 345), "PrefsOKButton", "OK", MSG_PREF_OK);
	windowView->AddChild(ok);
	ok->SetTarget(this);
	windowView->AddChild(
		button(BRect(135, 315, 185, 345), "PrefsCancelButton", "Cancel", MSG_PREF_CANCEL));

	_ReadSettings();
}

PrefsWin::~PrefsWin()
{
	delete fFolderPanel;
	delete fImagePanel;
}

BView*
PrefsWin::_BuildGeneralTab()
{
	BView* view = grey_view(BRect(5, 5, 245, 310), "PrefView1");

	BBox* folderBox = box(BRect(5, 5, 225, 110), "Default Folder Box");
	view->AddChild(folderBox);
	folderBox->AddChild(caption(BRect(5, 5, 180, 20), "Open Options", "Open Options"));
	fLastFolderRadio = radio(BRect(10, 25, 175, 45), "UseLastFolder", "Last Used Folder",
		MSG_PREF_USE_LAST_FOLDER);
	folderBox->AddChild(fLastFolderRadio);
	fThisFolderRadio = radio(BRect(10, 50, 175, 70), "UseThisFolder", "Always use this folder",
		MSG_PREF_USE_DEFAULT_FOLDER);
	folderBox->AddChild(fThisFolderRadio);
	fFolderText = path_field(BRect(5, 75, 155, 95), "TheFolder", glim::home_folder().c_str(),
		MSG_PREF_FOLDER_TEXT);
	folderBox->AddChild(fFolderText);
	folderBox->AddChild(
		button(BRect(160, 72, 215, 95), "Browse", "Browse", MSG_PREF_BROWSE_FOLDER));

	BBox* timerBox = box(BRect(5, 115, 225, 185), "SlideShow Timer Box");
	view->AddChild(timerBox);
	fSlideShowSlider = slider(BRect(5, 5, 215, 35), "SlideShow Timer Slider", "SlideShow Timer",
		MSG_PREF_SLIDESHOW_TIMER, 1, 120, "Fast", "Slow");
	timerBox->AddChild(fSlideShowSlider);

	BBox* sizeBox = box(BRect(5, 195, 225, 270), "Resize Window Box");
	view->AddChild(sizeBox);
	sizeBox->AddChild(
		caption(BRect(5, 5, 180, 20), "Image Size Options", "Image Size Options"));
	fFitCheck = check_box(BRect(10, 25, 180, 45), "Fit To Window", "Fit image to window size",
		MSG_PREF_FIT_TO_WINDOW);
	sizeBox->AddChild(fFitCheck);
	return view;
}

BView*
PrefsWin::_BuildThumbnailsTab()
{
	BView* view = grey_view(BRect(5, 5, 245, 310), "PrefView2");

	BBox* backgroundBox = box(BRect(5, 5, 225, 110), "Default Folder Box");
	view->AddChild(backgroundBox);
	backgroundBox->AddChild(
		caption(BRect(5, 5, 180, 20), "Background Options", "Thumbnail Background"));
	fFlatColorRadio = radio(BRect(10, 25, 175, 45), "UseFlatColor", "Background Colour",
		MSG_PREF_USE_COLOR);
	backgroundBox->AddChild(fFlatColorRadio);
	fImageRadio = radio(BRect(10, 50, 175, 70), "UseThisImage", "Background Image",
		MSG_PREF_USE_IMAGE);
	backgroundBox->AddChild(fImageRadio);
	fImageText = path_field(BRect(5, 75, 155, 95), "TheImage", "", MSG_PREF_IMAGE_TEXT);
	backgroundBox->AddChild(fImageText);
	backgroundBox->AddChild(
		button(BRect(160, 72, 215, 95), "BrowseForImage", "Browse", MSG_PREF_BROWSE_IMAGE));

	BBox* sizeBox = box(BRect(5, 115, 225, 185), "Thumbnail Size Box");
	view->AddChild(sizeBox);
	fThumbSizeSlider = slider(BRect(5, 5, 215, 35), "Thumbnail Size Slider", "Thumbnail Size",
		MSG_PREF_THUMBNAIL_SIZE, (int32)glim::kMinThumbSize, (int32)glim::kMaxThumbSize,
		"Small", "Large");
	sizeBox->AddChild(fThumbSizeSlider);

	BBox* lookBox = box(BRect(5, 195, 225, 270), "Thumbnail Appearance");
	view->AddChild(lookBox);
	lookBox->AddChild(
		caption(BRect(5, 5, 180, 20), "ThumbnailAppearance", "Thumbnail Appearance"));
	fBorderCheck = check_box(BRect(10, 25, 180, 45), "DrawBorder",
		"Draw border around thumbnail", MSG_PREF_DRAW_BORDER);
	lookBox->AddChild(fBorderCheck);
	fShadowCheck = check_box(BRect(10, 45, 180, 65), "DrawShadow",
		"Draw shadow behind thumbnail", MSG_PREF_DRAW_SHADOW);
	lookBox->AddChild(fShadowCheck);
	return view;
}

void
PrefsWin::_ReadSettings()
{
	int32 useLastFolder = glim::kDefaultUseLastFolder;
	int32 slideShowTimer = glim::kDefaultSlideShowTimer;
	int32 fitToWindow = glim::kDefaultFitToWindow;
	int32 colorAsBackground = glim::kDefaultColorAsBackground;
	int32 drawBorder = glim::kDefaultDrawDecoration;
	int32 drawShadow = glim::kDefaultDrawDecoration;
	float thumbWidth = glim::kDefaultThumbSize;
	char* text = NULL;
	if (fPrefs != NULL) {
		fPrefs->GetInteger(glim::kKeyUseLastFolder, useLastFolder);
		fPrefs->GetInteger(glim::kKeySlideShowTimer, slideShowTimer);
		fPrefs->GetInteger(glim::kKeyFitToWindow, fitToWindow);
		fPrefs->GetInteger(glim::kKeyColorAsBackground, colorAsBackground);
		fPrefs->GetInteger(glim::kKeyDrawBorder, drawBorder);
		fPrefs->GetInteger(glim::kKeyDrawShadow, drawShadow);
		fPrefs->GetFloat(glim::kKeyThumbWidth, thumbWidth);
		if (fPrefs->GetString(glim::kKeyDefaultFolder, &text)) {
			fFolderText->SetText(glim::stored_folder(text).c_str());
			delete[] text;
		}
		if (fPrefs->GetString(glim::kKeyBackgroundImage, &text)) {
			fImageText->SetText(text);
			delete[] text;
		}
	}
	(useLastFolder != 0 ? fLastFolderRadio : fThisFolderRadio)->SetValue(B_CONTROL_ON);
	(colorAsBackground != 0 ? fFlatColorRadio : fImageRadio)->SetValue(B_CONTROL_ON);
	fSlideShowSlider->SetValue(slideShowTimer);
	fFitCheck->SetValue(fitToWindow != 0 ? B_CONTROL_ON : B_CONTROL_OFF);
	fThumbSizeSlider->SetValue((int32)std::trunc(thumbWidth));
	fBorderCheck->SetValue(drawBorder != 0 ? B_CONTROL_ON : B_CONTROL_OFF);
	fShadowCheck->SetValue(drawShadow != 0 ? B_CONTROL_ON : B_CONTROL_OFF);
	_UpdateEnabling();
}

void
PrefsWin::_UpdateEnabling()
{
	fFolderText->SetEnabled(fThisFolderRadio->Value() == B_CONTROL_ON);
	fImageText->SetEnabled(fImageRadio->Value() == B_CONTROL_ON);
}

void
PrefsWin::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case MSG_PREF_USE_LAST_FOLDER:
		case MSG_PREF_USE_DEFAULT_FOLDER:
		case MSG_PREF_USE_COLOR:
		case MSG_PREF_USE_IMAGE:
			_UpdateEnabling();
			BWindow::MessageReceived(message);
			break;
		case MSG_PREF_BROWSE_FOLDER:
			_ShowChooser(&fFolderPanel, fFolderText, B_DIRECTORY_NODE);
			break;
		case MSG_PREF_BROWSE_IMAGE:
			_ShowChooser(&fImagePanel, fImageText, B_FILE_NODE);
			break;
		case MSG_PREF_FILE_CHOSEN:
			_FileChosen(message);
			break;
		case MSG_PREF_OK:
			_WriteSettings();
			_Close();
			break;
		case MSG_PREF_CANCEL:
			_StoreFrame();
			_Close();
			break;
		default:
			BWindow::MessageReceived(message);
			break;
	}
}

void
PrefsWin::_WriteSettings()
{
	if (fPrefs == NULL)
		return;
	fPrefs->SetInteger(glim::kKeyUseLastFolder,
		fLastFolderRadio->Value() == B_CONTROL_ON ? 1 : 0, true);
	if (fFolderText->Text() != NULL && fFolderText->Text()[0] != '\0')
		fPrefs->SetString(glim::kKeyDefaultFolder, fFolderText->Text(), true);
	fPrefs->SetInteger(glim::kKeySlideShowTimer, fSlideShowSlider->Value(), true);
	fPrefs->SetInteger(glim::kKeyFitToWindow, fFitCheck->Value() == B_CONTROL_ON ? 1 : 0, true);
	fPrefs->SetInteger(glim::kKeyColorAsBackground,
		fFlatColorRadio->Value() == B_CONTROL_ON ? 1 : 0, true);
	if (fImageText->Text() != NULL && fImageText->Text()[0] != '\0')
		fPrefs->SetString(glim::kKeyBackgroundImage, fImageText->Text(), true);

	float size = std::clamp((float)fThumbSizeSlider->Value(), glim::kMinThumbSize,
		glim::kMaxThumbSize);
	fPrefs->SetFloat(glim::kKeyThumbWidth, size, true);
	fPrefs->SetFloat(glim::kKeyThumbHeight, size, true);
	fPrefs->SetFloat(glim::kKeyFrameWidth, size + kFrameMargin, true);
	fPrefs->SetFloat(glim::kKeyFrameHeight, size + kFrameMargin, true);

	fPrefs->SetInteger(glim::kKeyDrawBorder, fBorderCheck->Value() == B_CONTROL_ON ? 1 : 0,
		true);
	fPrefs->SetInteger(glim::kKeyDrawShadow, fShadowCheck->Value() == B_CONTROL_ON ? 1 : 0,
		true);
	_StoreFrame();
	fPrefs->Update();
}

void
PrefsWin::_StoreFrame()
{
	if (fPrefs == NULL)
		return;
	BRect frame = Frame();
	fPrefs->SetRect(glim::kKeyPrefsRect, &frame, false);
}

void
PrefsWin::_Close()
{
	if (fApp != NULL)
		fApp->ClosePrefs();
	Quit();
}

bool
PrefsWin::QuitRequested()
{
	if (fApp != NULL)
		fApp->ClosePrefs();
	return true;
}

void
PrefsWin::_ShowChooser(BFilePanel** panel, BTextControl* field, uint32 nodeFlavors)
{
	if (*panel == NULL) {
		entry_ref start;
		BEntry entry(field->Text(), false);
		bool hasStart = entry.GetRef(&start) == B_OK;
		BMessage message(MSG_PREF_FILE_CHOSEN);
		message.AddPointer("control", field);
		*panel = new BFilePanel(B_OPEN_PANEL, NULL, hasStart ? &start : NULL, nodeFlavors,
			false, &message, NULL, false, true);
		(*panel)->SetButtonLabel(B_DEFAULT_BUTTON, "Select");
		BMessenger target(this);
		(*panel)->SetTarget(target);
	}
	(*panel)->Show();
}

void
PrefsWin::_FileChosen(BMessage* message)
{
	entry_ref ref;
	void* control = NULL;
	if (message->FindRef("refs", &ref) != B_OK
		|| message->FindPointer("control", &control) != B_OK)
		return;
	// Only this window's own fields are ever named.
	BTextControl* field = (BTextControl*)control;
	if (field != fFolderText && field != fImageText)
		return;
	BPath path(&ref);
	if (path.InitCheck() == B_OK)
		field->SetText(path.Path());
}
