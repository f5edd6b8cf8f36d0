// The widgets: the preferences window, the toolbar and the status line.
#include "widgets/PrefsWin.h"

#include <cstdlib>

#include <CheckBox.h>
#include <RadioButton.h>
#include <Resources.h>
#include <Slider.h>
#include <StatusBar.h>
#include <StringView.h>
#include <TabView.h>
#include <TextControl.h>

#include "settings/PrefsHandler.h"
#include "widgets/GlimStatusView.h"
#include "widgets/Toolbar.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

const int32 kNone = -12345;

class PrefsWinTest : public ViewerTest {
protected:
	void TearDown() override
	{
		BPrivate::hide_app_resource('PICT', 2, false);
		if (fWindow != NULL && fWindow->Lock())
			fWindow->Quit();
		if (BWindow* window = (BWindow*)fApp->PrefsWindow(); window != NULL && window->Lock())
			window->Quit();
		Settle();
		ViewerTest::TearDown();
	}

	// The window, shown and locked.
	PrefsWin* Show()
	{
		fApp->ShowPrefs();
		PrefsWin* window = dynamic_cast<PrefsWin*>((BWindow*)fApp->PrefsWindow());
		Settle();
		if (window != NULL)
			window->Lock();
		return window;
	}

	// Unlocks the window, gives it the command and waits until it is gone.
	void Close(PrefsWin* window, uint32 command)
	{
		window->Unlock();
		window->PostMessage(command);
		ASSERT_TRUE(Settle([&] { return fApp->PrefsWindow() == NULL; }));
	}

	template<class T>
	T* Find(BWindow* window, const char* name)
	{
		T* view = dynamic_cast<T*>(window->FindView(name));
		EXPECT_NE(view, nullptr) << name;
		return view;
	}

	// A stored setting, kNone when there is none.
	int32 Integer(const char* key)
	{
		int32 value = kNone;
		return fApp->Prefs()->GetInteger(key, value) ? value : kNone;
	}

	float Float(const char* key)
	{
		float value = kNone;
		return fApp->Prefs()->GetFloat(key, value) ? value : kNone;
	}

	// A window of the test's own, for widgets outside the preferences.
	BWindow* fWindow = NULL;
};


using ToolbarTest = PrefsWinTest;

} // namespace

TEST_F(PrefsWinTest, OkStoresEverySettingUnderItsKey)
{
	PrefsWin* window = Show();
	ASSERT_NE(window, nullptr);
	// Without settings: last folder on and the folder field off.
	BRadioButton* last = Find<BRadioButton>(window, "UseLastFolder");
	BTextControl* folder = Find<BTextControl>(window, "TheFolder");
	ASSERT_TRUE(last != NULL && folder != NULL);
	EXPECT_EQ(last->Value(), B_CONTROL_ON);
	EXPECT_FALSE(folder->IsEnabled());
	EXPECT_STREQ(folder->Text(), getenv("HOME")) << "the user's home folder, as it is here";

	Find<BRadioButton>(window, "UseThisFolder")->SetValue(B_CONTROL_ON);
	folder->SetText("/srv/photos");
	Find<BSlider>(window, "SlideShow Timer Slider")->SetValue(12);
	Find<BCheckBox>(window, "Fit To Window")->SetValue(B_CONTROL_ON);
	Find<BTabView>(window, "tab_view")->Select(1);
	Find<BTextControl>(window, "TheImage")->SetText("/srv/backdrop.png");
	Find<BCheckBox>(window, "DrawBorder")->SetValue(B_CONTROL_OFF);
	Find<BCheckBox>(window, "DrawShadow")->SetValue(B_CONTROL_ON);
	Close(window, MSG_PREF_OK);

	char* text = NULL;
	EXPECT_TRUE(fApp->Prefs()->GetString("DefaultFolder", &text));
	EXPECT_STREQ(text, "/srv/photos");
	delete[] text;
	// The key's spelling is the one settings files have always had.
	EXPECT_TRUE(fApp->Prefs()->GetString("BaackgroundImage", &text));
	EXPECT_STREQ(text, "/srv/backdrop.png");
	delete[] text;
	EXPECT_EQ(Integer("UseLastFolder"), 0);
	EXPECT_EQ(Integer("SlideShowTimer"), 12);
	EXPECT_EQ(Integer("FitToWindow"), 1);
	EXPECT_EQ(Integer("ColorAsBackground"), 1);
	EXPECT_EQ(Integer("DrawBorder"), 0);
	EXPECT_EQ(Integer("DrawShadow"), 1);
	EXPECT_EQ(Float("ThumbWidth"), 96);
	EXPECT_EQ(Float("FrameHeight"), 132);
	BRect frame;
	EXPECT_TRUE(fApp->Prefs()->GetRect("PrefsRect", &frame));
}

TEST_F(PrefsWinTest, ThumbnailSizesAreClampedAndFramesFollow)
{
	fApp->Prefs()->SetFloat("ThumbWidth", 100.9f, false);
	PrefsWin* window = Show();
	ASSERT_NE(window, nullptr);
	// The slider sits on the second tab, in the window once it is chosen.
	Find<BTabView>(window, "tab_view")->Select(1);
	BSlider* slider = Find<BSlider>(window, "Thumbnail Size Slider");
	ASSERT_NE(slider, nullptr);
	EXPECT_EQ(slider->Value(), 100);
	slider->SetValue(20);
	Close(window, MSG_PREF_OK);
	EXPECT_EQ(Float("ThumbWidth"), 32);
	EXPECT_EQ(Float("ThumbHeight"), 32);
	EXPECT_EQ(Float("FrameWidth"), 68);
}

TEST_F(PrefsWinTest, CancelStoresOnlyTheFrame)
{
	PrefsWin* window = Show();
	ASSERT_NE(window, nullptr);
	Find<BSlider>(window, "SlideShow Timer Slider")->SetValue(99);
	Close(window, MSG_PREF_CANCEL);
	EXPECT_EQ(Integer("SlideShowTimer"), 5);
	EXPECT_EQ(Integer("FitToWindow"), kNone);
	BRect frame;
	EXPECT_TRUE(fApp->Prefs()->GetRect("PrefsRect", &frame));
}

TEST_F(PrefsWinTest, EveryLabelFitsItsControl)
{
	PrefsWin* window = Show();
	ASSERT_NE(window, nullptr);
	const struct {
		int32 tab;
		const char* name;
	} views[] = {{0, "UseLastFolder"}, {0, "UseThisFolder"}, {0, "Fit To Window"},
		{0, "Open Options"}, {0, "Image Size Options"}, {1, "UseFlatColor"},
		{1, "UseThisImage"}, {1, "DrawBorder"}, {1, "DrawShadow"}, {1, "Background Options"},
		{1, "ThumbnailAppearance"}};
	BTabView* tabs = Find<BTabView>(window, "tab_view");
	ASSERT_NE(tabs, nullptr);
	for (const auto& entry : views) {
		SCOPED_TRACE(entry.name);
		tabs->Select(entry.tab);
		BView* view = window->FindView(entry.name);
		ASSERT_NE(view, nullptr);
		float width = 0;
		view->GetPreferredSize(&width, NULL);
		EXPECT_LE(width, view->Bounds().Width() + 1);
		// Inside its box, which keeps its place.
		EXPECT_LE(view->Frame().right, view->Parent()->Bounds().right);
	}
	window->Unlock();
}

TEST_F(ToolbarTest, AMissingPictureIsReportedAndLeavesItsPlaceEmpty)
{
	BPrivate::hide_app_resource('PICT', 2, true);
	fWindow = new BWindow(BRect(50, 50, 449, 149), "toolbar", B_TITLED_WINDOW, 0);
	BToolbar* toolbar = new BToolbar(BRect(0, 0, 399, 40));
	fWindow->AddChild(toolbar);
	fWindow->Show();
	fWindow->Lock();
	EXPECT_EQ(fApp->fAlerts, std::vector<std::string>{"02: Failed to get Open Down bitmap"});
	ASSERT_EQ(toolbar->CountChildren(), 5);
	EXPECT_EQ(toolbar->ChildAt(0)->Frame(), BRect(40, 0, 79, 39));
	fWindow->Unlock();
}

// Attached, the bar sits beside the counts and is as high as the line; the
// counts widen their view when they would not fit.
TEST(GlimStatusViewTest, CountsAndProgress)
{
	BWindow* window = new BWindow(BRect(50, 50, 450, 300), "status", B_TITLED_WINDOW, 0);
	BGlimStatusView* status = new BGlimStatusView(BRect(0, 238, 386, 252));
	window->AddChild(status);
	window->Show();
	window->Lock();
	EXPECT_EQ(status->ProgressBar()->Frame().LeftTop(), BPoint(100, -12));
	EXPECT_FLOAT_EQ(status->ProgressBar()->BarHeight(), 10);
	EXPECT_TRUE(status->ProgressBar()->IsHidden());

	status->SetMaxValue(10);
	status->UpdateProgressBar(1.0);
	status->UpdateProgressBar(1.0);
	EXPECT_FLOAT_EQ(status->ProgressBar()->CurrentValue(), 2);
	// A new maximum while shown starts again from 0 and stays shown.
	status->SetMaxValue(5);
	EXPECT_FLOAT_EQ(status->ProgressBar()->CurrentValue(), 0);
	EXPECT_FLOAT_EQ(status->ProgressBar()->MaxValue(), 5);
	EXPECT_FALSE(status->ProgressBar()->IsHidden());
	status->CompleteProgress();
	EXPECT_TRUE(status->ProgressBar()->IsHidden());

	BStringView* view = status->CountView();
	for (int32 files : {24, 1234567890}) {
		SCOPED_TRACE(files);
		status->SetFileCount(files, files);
		EXPECT_EQ(std::string(status->CountText()),
			std::to_string(files) + " images / " + std::to_string(files) + " files");
		font_height height;
		view->GetFontHeight(&height);
		EXPECT_LE(view->StringWidth(view->Text()), view->Bounds().Width() + 1);
		EXPECT_LE(height.ascent + height.descent, view->Bounds().Height() + 1);
		EXPECT_EQ(view->Frame().LeftTop(), BPoint(0, 0));
		if (files == 24) {
			EXPECT_FLOAT_EQ(view->Bounds().Width(), 100) << "the progress bar starts there";
		}
	}
	EXPECT_GT(view->Bounds().Width(), 100) << "widened for the long count";
	window->Quit();
}
