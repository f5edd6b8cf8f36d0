#include "widgets/Toolbar.h"

#include <memory>
#include <string>

#include <Message.h>
#include <PictureButton.h>
#include <Resources.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class ToolbarTest : public testing::Test {
protected:
	void SetUp() override { fApp.reset(new TestApp); }

	void TearDown() override
	{
		BPrivate::hide_app_resource('PICT', 2, false);
		if (fWindow != NULL && fWindow->Lock())
			fWindow->Quit();
		fApp.reset();
	}

	BToolbar* Open()
	{
		fWindow = new BWindow(BRect(50, 50, 449, 149), "toolbar", B_TITLED_WINDOW, 0);
		BToolbar* toolbar = new BToolbar(BRect(0, 0, 399, 40));
		fWindow->AddChild(toolbar);
		fWindow->Show();
		fWindow->Lock();
		return toolbar;
	}

	std::unique_ptr<TestApp> fApp;
	BWindow* fWindow = NULL;
};

} // namespace

TEST_F(ToolbarTest, SixButtonsAtTheirPlaces)
{
	BToolbar* toolbar = Open();
	EXPECT_TRUE(fApp->fAlerts.empty());
	ASSERT_EQ(toolbar->CountChildren(), 6);
	const BRect frames[] = {BRect(0, 0, 39, 39), BRect(40, 0, 79, 39), BRect(80, 0, 119, 39),
		BRect(120, 0, 159, 39), BRect(165, 0, 204, 39), BRect(210, 0, 249, 39)};
	const char* names[] = {"GOpenBtn", "GOpenBtn", "GOpenBtn", "GOpenBtn", "GMouseBtn",
		"GMagnifyBtn"};
	for (int i = 0; i < 6; i++) {
		SCOPED_TRACE(i);
		BView* button = toolbar->ChildAt(i);
		EXPECT_EQ(button->Frame(), frames[i]);
		EXPECT_STREQ(button->Name(), names[i]);
	}
	// Open goes to the application; the others to the window.
	BPictureButton* open = dynamic_cast<BPictureButton*>(toolbar->ChildAt(0));
	ASSERT_NE(open, nullptr);
	BLooper* looper = NULL;
	open->Messenger().Target(&looper);
	EXPECT_EQ(looper, (BLooper*)fApp.get());
	BPictureButton* back = dynamic_cast<BPictureButton*>(toolbar->ChildAt(1));
	back->Messenger().Target(&looper);
	EXPECT_EQ(looper, (BLooper*)fWindow);
	fWindow->Unlock();
}

TEST_F(ToolbarTest, AMissingPictureIsReportedAndLeavesItsPlaceEmpty)
{
	BPrivate::hide_app_resource('PICT', 2, true);
	BToolbar* toolbar = Open();
	ASSERT_EQ(fApp->fAlerts.size(), 1u);
	EXPECT_EQ(fApp->fAlerts[0], "02: Failed to get Open Down bitmap");
	ASSERT_EQ(toolbar->CountChildren(), 5);
	EXPECT_EQ(toolbar->ChildAt(0)->Frame(), BRect(40, 0, 79, 39));
	fWindow->Unlock();
}
