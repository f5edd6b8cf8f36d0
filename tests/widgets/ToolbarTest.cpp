#include "widgets/Toolbar.h"

#include <PictureButton.h>
#include <Resources.h>
#include <Window.h>

#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class ToolbarTest : public ViewerTest {
protected:
	void TearDown() override
	{
		BPrivate::hide_app_resource('PICT', 2, false);
		if (fWindow != NULL && fWindow->Lock())
			fWindow->Quit();
		ViewerTest::TearDown();
	}

	// A toolbar in a window of its own, locked.
	BToolbar* Open()
	{
		fWindow = new BWindow(BRect(50, 50, 449, 149), "toolbar", B_TITLED_WINDOW, 0);
		BToolbar* toolbar = new BToolbar(BRect(0, 0, 399, 40));
		fWindow->AddChild(toolbar);
		fWindow->Show();
		fWindow->Lock();
		return toolbar;
	}

	BWindow* fWindow = NULL;
};

BLooper*
target_of(BView* button)
{
	BLooper* looper = NULL;
	dynamic_cast<BPictureButton*>(button)->Messenger().Target(&looper);
	return looper;
}

} // namespace

TEST_F(ToolbarTest, SixButtonsAtTheirPlaces)
{
	BToolbar* toolbar = Open();
	EXPECT_TRUE(fApp->fAlerts.empty());
	ASSERT_EQ(toolbar->CountChildren(), 6);
	const struct {
		BRect frame;
		const char* name;
	} buttons[] = {{BRect(0, 0, 39, 39), "GOpenBtn"}, {BRect(40, 0, 79, 39), "GOpenBtn"},
		{BRect(80, 0, 119, 39), "GOpenBtn"}, {BRect(120, 0, 159, 39), "GOpenBtn"},
		{BRect(165, 0, 204, 39), "GMouseBtn"}, {BRect(210, 0, 249, 39), "GMagnifyBtn"}};
	for (int i = 0; i < 6; i++) {
		SCOPED_TRACE(i);
		EXPECT_EQ(toolbar->ChildAt(i)->Frame(), buttons[i].frame);
		EXPECT_STREQ(toolbar->ChildAt(i)->Name(), buttons[i].name);
	}
	// Open goes to the application; the others to the window.
	EXPECT_EQ(target_of(toolbar->ChildAt(0)), (BLooper*)fApp.get());
	EXPECT_EQ(target_of(toolbar->ChildAt(1)), (BLooper*)fWindow);
	fWindow->Unlock();
}

TEST_F(ToolbarTest, AMissingPictureIsReportedAndLeavesItsPlaceEmpty)
{
	BPrivate::hide_app_resource('PICT', 2, true);
	BToolbar* toolbar = Open();
	EXPECT_EQ(fApp->fAlerts, std::vector<std::string>{"02: Failed to get Open Down bitmap"});
	ASSERT_EQ(toolbar->CountChildren(), 5);
	EXPECT_EQ(toolbar->ChildAt(0)->Frame(), BRect(40, 0, 79, 39));
	fWindow->Unlock();
}
