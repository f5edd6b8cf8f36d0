#include "widgets/PrefsWin.h"

#include <cstdlib>
#include <memory>
#include <string>

#include <Button.h>
#include <Message.h>
#include <CheckBox.h>
#include <RadioButton.h>
#include <Slider.h>
#include <TabView.h>
#include <TextControl.h>

#include <gtest/gtest.h>

#include "app/Commands.h"
#include "settings/PrefsHandler.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class PrefsWinTest : public testing::Test {
protected:
	void SetUp() override
	{
		ForgetSettings();
		fApp.reset(new TestApp);
	}

	void TearDown() override
	{
		for (int32 i = fApp->CountWindows() - 1; i >= 0; i--) {
			BWindow* window = fApp->WindowAt(i);
			if (dynamic_cast<PrefsWin*>(window) != NULL && window->Lock())
				window->Quit();
		}
		Settle();
		fApp.reset();
	}

	PrefsWin* Show()
	{
		fApp->ShowPrefs();
		PrefsWin* window = dynamic_cast<PrefsWin*>((BWindow*)fApp->PrefsWindow());
		Settle();
		return window;
	}

	template<class T>
	T* Find(BWindow* window, const char* name)
	{
		return dynamic_cast<T*>(window->FindView(name));
	}

	BPrefsHandler* Prefs() { return fApp->Prefs(); }

	std::unique_ptr<TestApp> fApp;
};

} // namespace

TEST_F(PrefsWinTest, OkWritesEverySettingWithOneNotice)
{
	PrefsWin* window = Show();
	ASSERT_NE(window, nullptr);
	window->Lock();
	// Without settings: last folder on and the folder field off.
	BRadioButton* last = Find<BRadioButton>(window, "UseLastFolder");
	BTextControl* folder = Find<BTextControl>(window, "TheFolder");
	ASSERT_NE(last, nullptr);
	ASSERT_NE(folder, nullptr);
	EXPECT_EQ(last->Value(), B_CONTROL_ON);
	EXPECT_FALSE(folder->IsEnabled());
	EXPECT_STREQ(folder->Text(), getenv("HOME")) << "the user's home folder, as it is here";

	Find<BRadioButton>(window, "UseThisFolder")->SetValue(B_CONTROL_ON);
	folder->SetText("/srv/photos");
	Find<BSlider>(window, "SlideShow Timer Slider")->SetValue(12);
	Find<BCheckBox>(window, "Fit To Window")->SetValue(B_CONTROL_ON);
	window->Unlock();

	BMessage ok(MSG_PREF_OK);
	window->PostMessage(&ok);
	ASSERT_TRUE(Settle([&] { return fApp->PrefsWindow() == NULL; }));

	int32 value = -1;
	EXPECT_TRUE(Prefs()->GetInteger("UseLastFolder", value));
	EXPECT_EQ(value, 0);
	char* text = NULL;
	EXPECT_TRUE(Prefs()->GetString("DefaultFolder", &text));
	EXPECT_STREQ(text, "/srv/photos");
	delete[] text;
	EXPECT_TRUE(Prefs()->GetInteger("SlideShowTimer", value));
	EXPECT_EQ(value, 12);
	EXPECT_TRUE(Prefs()->GetInteger("FitToWindow", value));
	EXPECT_EQ(value, 1);
	EXPECT_TRUE(Prefs()->GetInteger("ColorAsBackground", value));
	EXPECT_EQ(value, 1);
	float size = 0;
	EXPECT_TRUE(Prefs()->GetFloat("ThumbWidth", size));
	EXPECT_EQ(size, 96);
	EXPECT_TRUE(Prefs()->GetFloat("FrameHeight", size));
	EXPECT_EQ(size, 132);
	BRect frame;
	EXPECT_TRUE(Prefs()->GetRect("PrefsRect", &frame));
}

TEST_F(PrefsWinTest, ThumbnailSizesAreClampedAndFramesFollow)
{
	Prefs()->SetFloat("ThumbWidth", 100.9f, false);
	PrefsWin* window = Show();
	window->Lock();
	// The slider sits on the second tab, in the window once it is chosen.
	BTabView* tabs = Find<BTabView>(window, "tab_view");
	ASSERT_NE(tabs, nullptr);
	tabs->Select(1);
	BSlider* slider = Find<BSlider>(window, "Thumbnail Size Slider");
	ASSERT_NE(slider, nullptr);
	EXPECT_EQ(slider->Value(), 100);
	slider->SetValue(20);
	window->Unlock();
	window->PostMessage(MSG_PREF_OK);
	ASSERT_TRUE(Settle([&] { return fApp->PrefsWindow() == NULL; }));
	float size = 0;
	Prefs()->GetFloat("ThumbWidth", size);
	EXPECT_EQ(size, 32);
	Prefs()->GetFloat("ThumbHeight", size);
	EXPECT_EQ(size, 32);
	Prefs()->GetFloat("FrameWidth", size);
	EXPECT_EQ(size, 68);
}

TEST_F(PrefsWinTest, CancelStoresOnlyTheFrame)
{
	PrefsWin* window = Show();
	window->Lock();
	Find<BSlider>(window, "SlideShow Timer Slider")->SetValue(99);
	window->Unlock();
	window->PostMessage(MSG_PREF_CANCEL);
	ASSERT_TRUE(Settle([&] { return fApp->PrefsWindow() == NULL; }));
	int32 value = -1;
	Prefs()->GetInteger("SlideShowTimer", value);
	EXPECT_EQ(value, 5);
	EXPECT_FALSE(Prefs()->GetInteger("FitToWindow", value));
	BRect frame;
	EXPECT_TRUE(Prefs()->GetRect("PrefsRect", &frame));
}

TEST_F(PrefsWinTest, EveryLabelFitsItsControl)
{
	PrefsWin* window = Show();
	ASSERT_NE(window, nullptr);
	window->Lock();
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
