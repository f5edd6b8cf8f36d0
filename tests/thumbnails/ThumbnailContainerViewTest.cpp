// The thumbnail grid: geometry, hit testing, name truncation and clicks.
#include "thumbnails/ThumbnailContainerView.h"

#include <string>
#include <vector>

#include <ScrollBar.h>

#include <gtest/gtest.h>

#include "app/Commands.h"
#include "TestHooks.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

// A main window that records the grid's requests instead of acting on them.
class GridWindow : public BViewerWin {
public:
	GridWindow(BRect frame, const char* folder) :
		BViewerWin(frame, folder, true)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == MSG_THUMBNAIL_OPEN || message->what == MSG_THUMBNAIL_MENU) {
			fRequests.push_back(*message);
			return;
		}
		BViewerWin::MessageReceived(message);
	}

	std::vector<BMessage> fRequests;
};

class ThumbnailGridTest : public ViewerTest {
protected:
	// A window whose grid is width units wide, on a folder of count images.
	BThumbnailContainerView* Open(int count, float width)
	{
		for (int i = 0; i < count; i++)
			WriteImage(fDir / ("i" + std::to_string(100 + i) + ".png"), 8, 8, 0x445566);
		// The grid's left is at 168 and its right 14 from the window's.
		fWindow = Opened(
			new GridWindow(BRect(50, 50, 50 + 168 + width + 14, 450), fDir.Path().c_str()));
		fWindow->Lock();
		return fWindow->ThumbnailView();
	}

	void Click(BThumbnailContainerView* grid, BPoint where, uint32 buttons)
	{
		BPrivate::push_pointer_state(grid->ConvertToScreen(where), 0);
		BPrivate::simulate_mouse_down(grid, where, buttons);
		fWindow->Unlock();
		// Short, so the double-click clock is not moved by the wait itself.
		size_t before = fWindow->fRequests.size();
		BPrivate::run_events_until([&] { return fWindow->fRequests.size() > before; }, 40000);
		fWindow->Lock();
	}

	TempDir fDir{"grid"};
	GridWindow* fWindow = NULL;
};

} // namespace

TEST(ThumbnailNameTest, LongNamesAreCutToFitWithAnEllipsis)
{
	// 6 units a character; names must stay narrower than the width.
	auto cut = [](const char* name, float width) {
		return BThumbnailContainerView::TruncateName(
			name, width, [](const char* text, void*) { return 6.0f * strlen(text); }, NULL);
	};
	EXPECT_EQ(cut("short.png", 60), "short.png");
	EXPECT_EQ(cut("exactly10c", 60), "exactl...");
	EXPECT_EQ(cut("a-rather-long-name.jpg", 60), "a-rath...");
	EXPECT_EQ(cut("abc", 10), "...");
	// Multi-byte characters are cut whole.
	std::string accents = cut("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 40);
	EXPECT_EQ(accents.substr(accents.size() - 3), "...");
	EXPECT_EQ((accents.size() - 3) % 2, 0u);
}

TEST_F(ThumbnailGridTest, ColumnsRowsAndHitTesting)
{
	BThumbnailContainerView* grid = Open(10, 300);
	ASSERT_FLOAT_EQ(grid->Bounds().Width(), 300);
	EXPECT_EQ(grid->CountColumns(), 2);
	EXPECT_EQ(grid->IndexAt(BPoint(10, 10)), 0);
	EXPECT_EQ(grid->IndexAt(BPoint(140, 10)), 1);
	EXPECT_EQ(grid->IndexAt(BPoint(290, 10)), -1) << "the strip right of the last column";
	EXPECT_EQ(grid->IndexAt(BPoint(10, 139)), 2);
	EXPECT_EQ(grid->IndexAt(BPoint(10, 138 * 5 + 1)), -1) << "below the last row";
	EXPECT_EQ(grid->IndexAt(BPoint(-1, 10)), -1);
	float min, max;
	grid->ScrollBar(B_VERTICAL)->GetRange(&min, &max);
	EXPECT_FLOAT_EQ(max, 138 * 5 - grid->Bounds().Height());
}

TEST_F(ThumbnailGridTest, DoubleClicksAreTwoClicksOnOneCellWithinHalfASecond)
{
	BThumbnailContainerView* grid = Open(4, 300);
	Click(grid, BPoint(20, 20), B_PRIMARY_MOUSE_BUTTON);
	EXPECT_EQ(grid->Selected(), 0);
	// About 0.35 s with the time the clicks themselves take.
	BPrivate::advance_clocks(300000);
	Click(grid, BPoint(25, 30), B_PRIMARY_MOUSE_BUTTON);
	ASSERT_EQ(fWindow->fRequests.size(), 1u);
	EXPECT_EQ(fWindow->fRequests[0].what, (uint32)MSG_THUMBNAIL_OPEN);
	EXPECT_EQ(fWindow->fRequests[0].GetInt32("index", -5), 0);

	BPrivate::advance_clocks(600000);
	Click(grid, BPoint(25, 30), B_PRIMARY_MOUSE_BUTTON);
	EXPECT_EQ(fWindow->fRequests.size(), 1u) << "0.6 s apart";

	BPrivate::advance_clocks(100000);
	Click(grid, BPoint(160, 30), B_PRIMARY_MOUSE_BUTTON);
	EXPECT_EQ(fWindow->fRequests.size(), 1u) << "another cell";
	EXPECT_EQ(grid->Selected(), 1);

	// The secondary button asks for the menu, with -1 off the cells, and
	// clicking empty space clears the selection.
	Click(grid, BPoint(290, 30), B_SECONDARY_MOUSE_BUTTON);
	ASSERT_EQ(fWindow->fRequests.size(), 2u);
	EXPECT_EQ(fWindow->fRequests[1].what, (uint32)MSG_THUMBNAIL_MENU);
	EXPECT_EQ(fWindow->fRequests[1].GetInt32("index", -5), -1);
	EXPECT_EQ(grid->Selected(), -1);
}
