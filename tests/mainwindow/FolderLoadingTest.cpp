// Reading folders into the image list, stepping through it, and the window's
// commands around it.
#include "mainwindow/ViewerWin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Message.h>

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

} // namespace

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
		float zoom = 0;
		Locked(window, [&] { return window->ImageView()->GetZoom(zoom); });
		EXPECT_NEAR(zoom, step.expected, 1e-5);
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
