#include "widgets/PrefsWin.h"

#include <cstdlib>

#include <CheckBox.h>
#include <RadioButton.h>
#include <Slider.h>
#include <TabView.h>
#include <TextControl.h>

#include "settings/PrefsHandler.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

const int32 kNone = -12345;

class PrefsWinTest : public ViewerTest {
protected:
	void TearDown() override
	{
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
};

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
