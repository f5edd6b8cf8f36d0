// The main window: its layout and menus, reading folders into the image list
// and stepping through it, the window's commands around it, and the zoom and
// mouse-action pop-up menus chosen through the test hook.
#include "mainwindow/ViewerWin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <PopUpMenu.h>

#include "imageview/ImageView.h"
#include "settings/PrefsHandler.h"
#include "widgets/GlimStatusView.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class FolderLoadingTest : public ViewerTest {
protected:
	void Command(BViewerWin* window, uint32 what)
	{
		window->PostMessage(what);
		Settle();
	}

	std::vector<std::string> Listed(BViewerWin* window)
	{
		std::vector<std::string> names;
		char* path = NULL;
		for (int32 i = 0; window->GetNextFile(i, &path); i++)
			names.push_back(std::string(path).substr(fDir.Path().size() + 1));
		return names;
	}

	TempDir fDir{"folder"};
};


using ViewerWinTest = FolderLoadingTest;

class PopUpMenusTest : public FolderLoadingTest {
protected:
	void TearDown() override
	{
		BPrivate::set_pop_up_chooser(nullptr);
		ViewerTest::TearDown();
	}

	CountingViewerWin* Open()
	{
		return Opened(new CountingViewerWin(fDir.Path().c_str(), MSG_PREFS_CHANGED));
	}

	// Records the labels of the next menu and its marked ones, "|" between
	// them, and chooses the item labelled choice (none when empty).
	void Choose(const std::string& choice)
	{
		BPrivate::set_pop_up_chooser([this, choice](const BPopUpMenu* menu, BPoint) {
			fLabels.clear();
			fMarked.clear();
			int32 chosen = -1;
			for (int32 i = 0; i < menu->CountItems(); i++) {
				BMenuItem* item = menu->ItemAt(i);
				fLabels.push_back(item->Label() != NULL ? item->Label() : "");
				if (item->IsMarked())
					fMarked += (fMarked.empty() ? "" : "|") + fLabels.back();
				if (choice == fLabels.back())
					chosen = i;
			}
			return chosen;
		});
	}

	std::vector<std::string> fLabels;
	std::string fMarked;
};

float
zoom_of(BImageView* view)
{
	float zoom = 0;
	Locked(view->Window(), [&] { return view->GetZoom(zoom); });
	return zoom;
}

} // namespace

// The views sit where the layout table puts them, for a window of any size:
// resized, the tree keeps its width and the content grows.
TEST_F(ViewerWinTest, ViewsHaveTheFramesOfTheLayoutAtAnySize)
{
	BViewerWin* window = OpenWindow(fDir.Path(), true, BRect(100, 100, 699, 499));
	Locked(window, [&] {
		EXPECT_STREQ(window->Title(), fDir.Path().c_str());
		for (BPoint by : {BPoint(0, 0), BPoint(100, 60), BPoint(-150, -90)}) {
			SCOPED_TRACE(testing::Message() << "resized by " << by.x << ", " << by.y);
			window->ResizeBy(by.x, by.y);
			float W = window->Bounds().right;
			float H = window->Bounds().bottom;
			BView* menuBar = window->FindView("ViewerMenu");
			ASSERT_NE(menuBar, nullptr);
			float MB = menuBar->Bounds().bottom;
			EXPECT_GT(MB, 10);
			EXPECT_EQ(menuBar->Frame(), BRect(0, 0, W, MB));
			float top = MB + 40 + 3;
			const struct {
				const char* name;
				BRect frame;
				bool scrolled; // inside a scroll view: only its size is fixed
			} frames[] = {
				{"tbview", BRect(0, MB + 1, W, MB + 41), false},
				{"GlimDirectory", BRect(-2, top - 2, 150 + 2 + 14, H - 14 + 2), false},
				{"ThumbnailScroll", BRect(168 - 2, top - 2, W - 14 + 2 + 14, H - 14 + 2),
					false},
				{"ImageScroll", BRect(-2, top - 2, W - 14 + 2 + 14, H - 14 + 2 + 14), false},
				{"GlimStatusBar", BRect(0, H - 12, W - 14, H + 2), false},
				{"GlimDirectoryView", BRect(0, 0, 150, H - 14 - top), true},
				{"thumbcontainer", BRect(0, 0, W - 14 - 168, H - 14 - top), true},
				{"imgview", BRect(0, 0, W - 14, H - 14 - top), true},
			};
			for (const auto& view : frames) {
				SCOPED_TRACE(view.name);
				BView* found = window->FindView(view.name);
				ASSERT_NE(found, nullptr);
				EXPECT_EQ(view.scrolled ? found->Bounds().OffsetToCopy(0, 0) : found->Frame(),
					view.frame);
			}
		}
	});
}

TEST_F(ViewerWinTest, MenusHaveTheirItemsAndFollowTheLayout)
{
	BViewerWin* window = OpenWindow(fDir.Path());
	Locked(window, [&] {
		BMenuBar* bar = dynamic_cast<BMenuBar*>(window->FindView("ViewerMenu"));
		ASSERT_NE(bar, nullptr);
		// Each menu, then its items with their shortcuts; "-" is a separator.
		std::vector<std::string> items;
		for (int32 i = 0; i < bar->CountItems(); i++) {
			items.push_back(std::string("[") + bar->ItemAt(i)->Label() + "]");
			BMenu* menu = bar->SubmenuAt(i);
			ASSERT_NE(menu, nullptr);
			for (int32 j = 0; j < menu->CountItems(); j++) {
				BMenuItem* item = menu->ItemAt(j);
				std::string label = item->Label() != NULL && *item->Label() ? item->Label()
																			: "-";
				if (item->Shortcut() != 0)
					label += std::string(" ") + item->Shortcut();
				items.push_back(label);
			}
		}
		EXPECT_EQ(items,
			(std::vector<std::string>{"[File]", "Open O", "Save As S", "Save Selection",
				"Preferences P", "-", "Quit Q", "[View]", "Image I", "[Image]", "First Image F",
				"Previous Image P", "Next Image N", "Last Image L", "Toggle Slideshow T",
				"[Tools]", "Zoom In =", "Zoom Out -", "-", "Clear Selection C",
				"Refresh Thumbnails", "[Help]", "Help H", "About A"}));

		// Browsing layout: image commands off, the switch offers "Image".
		window->MenusBeginning();
		EXPECT_FALSE(bar->FindItem(MSG_NEXT_IMAGE)->IsEnabled());
		EXPECT_FALSE(bar->FindItem(MSG_CLEAR_SELECTION)->IsEnabled());
		EXPECT_TRUE(bar->FindItem(MSG_SAVE_AS)->IsEnabled());
		EXPECT_STREQ(bar->FindItem(MSG_TOGGLE_VIEW)->Label(), "Image");

		window->SwitchToThumbnail(false);
		window->MenusBeginning();
		EXPECT_TRUE(bar->FindItem(MSG_NEXT_IMAGE)->IsEnabled());
		EXPECT_TRUE(bar->FindItem(MSG_ZOOM_OUT)->IsEnabled());
		EXPECT_STREQ(bar->FindItem(MSG_TOGGLE_VIEW)->Label(), "Thumbnails");
	});
}

TEST_F(FolderLoadingTest, ImagesAreListedSortedByteWiseWithoutSideFiles)
{
	WriteImage(fDir / "apple.png", 4, 4, 0xff0000);
	WriteImage(fDir / "Zebra.png", 4, 4, 0x00ff00);
	WriteImage(fDir / "bigth", 4, 4, 0x0000ff);
	WriteImage(fDir / "photo.jpg.GTH", 4, 4, 0x0000ff, 'JPEG');
	WriteImage(fDir / "misnamed.txt", 4, 4, 0x0000ff, 'JPEG');
	WriteFile(fDir / "notes.png", "plain text, not an image");
	MakeDirs(fDir / "sub");
	// Neither a pipe (which must not block the reading) nor a link to
	// nothing is an image.
	ASSERT_EQ(mkfifo((fDir / "pipe.png").c_str(), 0600), 0);
	ASSERT_EQ(symlink("removed.png", (fDir / "gone.png").c_str()), 0);

	BViewerWin* window = OpenWindow(fDir.Path());
	EXPECT_EQ(Listed(window),
		(std::vector<std::string>{"Zebra.png", "apple.png", "misnamed.txt"}));
	EXPECT_EQ(window->ImageCount(), 3);
	EXPECT_EQ(Locked(window, [&] { return std::string(window->StatusView()->CountText()); }),
		"3 images / 9 files");
	EXPECT_TRUE(window->ThumbnailMode());
	EXPECT_EQ(TitleOf(window), fDir.Path());
}

TEST_F(FolderLoadingTest, AnEmptyFolderShowsAnEmptyGrid)
{
	BViewerWin* window = OpenWindow(fDir.Path());
	EXPECT_TRUE(Listed(window).empty());
	for (uint32 command : {MSG_NEXT_IMAGE, MSG_LAST_IMAGE, MSG_PREV_IMAGE})
		Command(window, command);
	EXPECT_TRUE(window->ThumbnailMode());
	EXPECT_EQ(TitleOf(window), fDir.Path());
	EXPECT_EQ(Locked(window, [&] { return window->ImageView()->Bitmap(); }), nullptr);
}

// The status line is never shown in the image layout: it would cover the
// image's horizontal scroll bar.
TEST_F(FolderLoadingTest, StepsWrapAroundAndEachLayoutShowsItsTitleAndStatusLine)
{
	for (const char* name : {"a.png", "b.png", "c.png"})
		WriteImage(fDir / name, 4, 4, 0x808080);
	BViewerWin* window = OpenWindow(fDir / "c.png", false);
	const struct {
		uint32 command;
		int32 index;
		bool thumbnails;
		const char* title; // in the folder; "" for the folder itself
	} steps[] = {
		{0, 2, false, "c.png"},
		{MSG_NEXT_IMAGE, 0, false, "a.png"},
		{MSG_PREV_IMAGE, 2, false, "c.png"},
		{MSG_FIRST_IMAGE, 0, false, "a.png"},
		{MSG_LAST_IMAGE, 2, false, "c.png"},
		// Back to the thumbnails, then stepping returns to the image layout.
		{MSG_TOGGLE_VIEW, 2, true, ""},
		{MSG_NEXT_IMAGE, 0, false, "a.png"},
		{MSG_TOGGLE_VIEW, 0, true, ""},
		// A command the window does not know changes nothing.
		{'XXXX', 0, true, ""},
		{MSG_TOGGLE_VIEW, 0, false, "a.png"},
	};
	for (const auto& step : steps) {
		SCOPED_TRACE(testing::Message() << "to " << step.index << " " << step.title);
		if (step.command != 0)
			Command(window, step.command);
		EXPECT_EQ(window->CurrentIndex(), step.index);
		EXPECT_EQ(window->ThumbnailMode(), step.thumbnails);
		EXPECT_EQ(TitleOf(window), *step.title ? fDir / step.title : fDir.Path());
		EXPECT_EQ(Locked(window, [&] { return window->StatusView()->IsHidden(); }),
			!step.thumbnails);
	}
}

TEST_F(FolderLoadingTest, ZoomStepsAndTheSlideShowSwitch)
{
	WriteImage(fDir / "a.png", 40, 40, 0x808080);
	BViewerWin* window = OpenWindow(fDir / "a.png", false);
	const struct {
		uint32 command;
		float expected;
	} steps[] = {{MSG_ZOOM_OUT, 0.95f}, {MSG_ZOOM_IN, 1.0f}, {MSG_ZOOM_IN, 1.5f},
		{MSG_ZOOM_OUT, 1.0f}, {MSG_ZOOM_IN, 1.5f}, {MSG_ZOOM_IN, 2.0f}};
	for (const auto& step : steps) {
		Command(window, step.command);
		EXPECT_NEAR(zoom_of(window->ImageView()), step.expected, 1e-5);
	}

	for (bool running : {true, false}) {
		Command(window, MSG_TOGGLE_SLIDESHOW);
		EXPECT_EQ(window->SlideShowRunning(), running);
		EXPECT_EQ(Locked(window, [&] { return window->PulseRate(); }), running ? 5000000 : 0);
	}
}

TEST_F(FolderLoadingTest, TemporaryFilesAreNeverListedAndStaleOnesAreSwept)
{
	// Whole images under temporary names: a save or move cut short by a
	// crash a while ago, and one being written right now.
	WriteImage(fDir / "photo.png", 4, 4, 0xff0000);
	WriteImage(fDir / ".photo.png.glim~Stale1", 4, 4, 0xff0000);
	WriteImage(fDir / ".photo.png.glim~Young1", 4, 4, 0xff0000);
	struct timespec old[2] = {{time(NULL) - 120, 0}, {time(NULL) - 120, 0}};
	ASSERT_EQ(utimensat(AT_FDCWD, (fDir / ".photo.png.glim~Stale1").c_str(), old, 0), 0);

	BViewerWin* window = OpenWindow(fDir.Path());
	EXPECT_EQ(Listed(window), (std::vector<std::string>{"photo.png"}));
	EXPECT_FALSE(Exists(fDir / ".photo.png.glim~Stale1"));
	EXPECT_TRUE(Exists(fDir / ".photo.png.glim~Young1"));
}

TEST_F(FolderLoadingTest, TheShownImageIsKeptThroughAReReadingAndLostWhenGone)
{
	for (const char* name : {"a.png", "b.png", "c.png"})
		WriteImage(fDir / name, 4, 4, 0x808080);
	BViewerWin* window = OpenWindow(fDir / "b.png", false);
	ASSERT_EQ(window->CurrentIndex(), 1);

	unlink((fDir / "a.png").c_str());
	Command(window, B_NODE_MONITOR);
	EXPECT_EQ(window->CurrentIndex(), 0) << "b.png is still shown, now first";
	EXPECT_EQ(Listed(window), (std::vector<std::string>{"b.png", "c.png"}));

	unlink((fDir / "b.png").c_str());
	Command(window, B_NODE_MONITOR);
	EXPECT_EQ(window->CurrentIndex(), -1);
	EXPECT_NE(Locked(window, [&] { return window->ImageView()->Bitmap(); }), nullptr)
		<< "the view keeps what it showed";
	EXPECT_FALSE(window->ThumbnailMode());

	// Previous with no current image tries -2, then wraps to the last.
	Command(window, MSG_PREV_IMAGE);
	EXPECT_EQ(window->CurrentIndex(), 0);

	// The folder opened again on an image that is not in it: none is shown.
	BMessage open(MSG_OPEN_FOLDER);
	open.AddString("Folder", fDir.Path().c_str());
	open.AddString("Image", (fDir / "gone.png").c_str());
	window->PostMessage(&open);
	Settle();
	EXPECT_EQ(window->CurrentIndex(), -1);
	EXPECT_FALSE(window->ThumbnailMode());
}

TEST_F(FolderLoadingTest, ASlideShowStartedWhileBrowsingStepsIntoTheImageLayout)
{
	WriteImage(fDir / "a.png", 8, 8, 0x808080);
	WriteImage(fDir / "b.png", 8, 8, 0x404040);
	fApp->Prefs()->SetInteger("SlideShowTimer", 1, false);
	BViewerWin* window = OpenWindow(fDir.Path());
	ASSERT_TRUE(window->ThumbnailMode());

	Command(window, MSG_TOGGLE_SLIDESHOW);
	EXPECT_TRUE(Settle([&] { return !window->ThumbnailMode(); }));
	EXPECT_TRUE(Settle([&] { return window->CurrentIndex() >= 0; }));
	EXPECT_TRUE(window->SlideShowRunning());
}

TEST_F(PopUpMenusTest, TheZoomMenuMarksTheCurrentLevelAndSetsTheChosenOne)
{
	CountingViewerWin* window = Open();
	Choose("");
	Locked(window, [&] { window->ShowZoomMenu(); });
	ASSERT_EQ(fLabels.size(), 13u);
	EXPECT_EQ(fLabels.front(), "12.5%");
	EXPECT_EQ(fLabels[2], "33.0%");
	EXPECT_EQ(fLabels.back(), "1600.0%");
	EXPECT_EQ(fMarked, "100.0%");

	Locked(window, [&] {
		window->ImageView()->SetZoom(1.5f);
		window->ShowZoomMenu();
	});
	EXPECT_EQ(fMarked, "");

	Choose("800.0%");
	Locked(window, [&] { window->ShowZoomMenu(); });
	EXPECT_EQ(zoom_of(window->ImageView()), 8.0f);
}

TEST_F(PopUpMenusTest, TheMouseMenuStoresTheChoiceAndNotifiesEveryWindow)
{
	fApp->Prefs()->SetInteger("LeftMouseFunc", 7, false);
	CountingViewerWin* first = Open();
	CountingViewerWin* second = Open();
	Choose("");
	Locked(first, [&] { first->ShowMouseMenu(); });
	ASSERT_EQ(fLabels.size(), 13u);
	EXPECT_EQ(fLabels[3], "Left mouse glides");
	EXPECT_EQ(fMarked, "Left mouse selects|Right mouse pans") << "7 is out of range";
	int32 stored = 0;
	fApp->Prefs()->GetInteger("LeftMouseFunc", stored);
	EXPECT_EQ(stored, 7) << "opening the menu stores nothing";

	// Choosing the marked action again still stores it and notifies.
	for (int notices : {1, 2}) {
		SCOPED_TRACE(notices);
		Choose("Right mouse zooms");
		Locked(first, [&] { first->ShowMouseMenu(); });
		ASSERT_TRUE(
			Settle([&] { return first->fCount == notices && second->fCount == notices; }));
		fApp->Prefs()->GetInteger("RightMouseFunc", stored);
		EXPECT_EQ(stored, 2);
		EXPECT_EQ(Locked(second, [&] { return second->ImageView()->RightMouseAction(); }), 2);
	}
}

TEST_F(PopUpMenusTest, ZoomActionWithControlZoomsOut)
{
	fApp->Prefs()->SetInteger("LeftMouseFunc", kMouseZoom, false);
	WriteImage(fDir / "a.png", 40, 40, 0x808080);
	CountingViewerWin* window = Open();
	BImageView* view = window->ImageView();
	Locked(window, [&] {
		window->MoveToImage(0);
		window->SwitchToThumbnail(false);
		BPrivate::simulate_mouse_down(view, BPoint(10, 10), B_PRIMARY_MOUSE_BUTTON,
			B_CONTROL_KEY);
	});
	Settle([&] { return zoom_of(view) < 1.0f; });
	EXPECT_NEAR(zoom_of(view), 0.95f, 1e-5);
}
