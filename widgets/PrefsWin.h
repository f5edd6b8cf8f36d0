#ifndef GLIM_PREFS_WIN_H
#define GLIM_PREFS_WIN_H

#include <Window.h>

class BCheckBox;
class BFilePanel;
class BPrefsHandler;
class BRadioButton;
class BSlider;
class BTextControl;
class BView;
class BViewerApp;

// The floating two-tab preferences window. It shows the settings as they are
// stored; OK writes every one of them back with one change notice to the
// main windows, Cancel keeps them and stores only the window's frame.
class PrefsWin : public BWindow {
public:
	PrefsWin(BViewerApp* app, BPrefsHandler* prefs, BRect frame);
	virtual ~PrefsWin();

	virtual void MessageReceived(BMessage* message);
	virtual bool QuitRequested();

private:
	BView* _BuildGeneralTab();
	BView* _BuildThumbnailsTab();
	void _ReadSettings();
	void _WriteSettings();
	void _StoreFrame();
	void _UpdateEnabling();
	void _ShowChooser(BFilePanel** panel, BTextControl* field, uint32 nodeFlavors);
	void _FileChosen(BMessage* message);
	void _Close();

	BViewerApp* fApp;
	BPrefsHandler* fPrefs;
	BFilePanel* fFolderPanel;
	BFilePanel* fImagePanel;
	BRadioButton* fLastFolderRadio;
	BRadioButton* fThisFolderRadio;
	BTextControl* fFolderText;
	BSlider* fSlideShowSlider;
	BCheckBox* fFitCheck;
	BRadioButton* fFlatColorRadio;
	BRadioButton* fImageRadio;
	BTextControl* fImageText;
	BCheckBox* fBorderCheck;
	BCheckBox* fShadowCheck;
	BSlider* fThumbSizeSlider;
};

#endif
