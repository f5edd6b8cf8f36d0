#include "widgets/Toolbar.h"

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

	BWindow* fWindow = NULL;
};

} // namespace

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
