// The thumbnail worker: making the missing thumbnails of a folder in the
// background, and never deadlocking with its window.
#include "mainwindow/ViewerWin.h"

#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <Bitmap.h>
#include <Node.h>

#include <gtest/gtest.h>

#include "app/Commands.h"
#include "settings/PrefsHandler.h"
#include "thumbnails/ThumbnailReader.h"
#include "thumbnails/ThumbnailStore.h"
#include "ViewerTestSupport.h"

using namespace glim_test;

namespace {

class ThumbnailWorkerTest : public ViewerTest {
protected:
	static bool Done(BViewerWin* window)
	{
		return Settle([&] { return !window->WorkerRunning(); });
	}

	static bool HasThumbnail(const std::string& path)
	{
		std::vector<unsigned char> value(65536);
		return getxattr(path.c_str(), "user.GLIM:Thumbnail", value.data(), value.size()) > 2
			&& value[0] == 0xff && value[1] == 0xd8;
	}

	std::string Image(int i) { return fDir / ("image" + std::to_string(100 + i) + ".png"); }

	void Images(int count, int width, int height)
	{
		for (int i = 0; i < count; i++)
			ASSERT_TRUE(WriteImage(Image(i), width, height, 0x204060 + i));
	}

	TempDir fDir{"worker"};
};

} // namespace

TEST_F(ThumbnailWorkerTest, RefreshRemakesEverythingAndSettingsOnlyWhatChanged)
{
	Images(3, 120, 90);
	std::string first = Image(0);
	BViewerWin* window = OpenWindow(fDir.Path());
	ASSERT_TRUE(Done(window));

	// A thumbnail spoilt behind the cache's back is made again although its
	// sizes match; the others stay (every attribute write would move their
	// change time on), as a new height alone remakes nothing.
	setxattr(first.c_str(), "user.GLIM:Thumbnail", "spoilt", 6, 0);
	std::string second = Image(1);
	struct stat before;
	ASSERT_EQ(stat(second.c_str(), &before), 0);
	fApp->Prefs()->SetFloat("ThumbHeight", 50, true);
	fApp->Prefs()->Update();
	ASSERT_TRUE(Settle([&] { return HasThumbnail(first); }));
	ASSERT_TRUE(Done(window));
	struct stat after;
	ASSERT_EQ(stat(second.c_str(), &after), 0);
	EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
	EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);

	// A new width fails the cache test: the thumbnails are made again.
	fApp->Prefs()->SetFloat("ThumbWidth", 64, true);
	fApp->Prefs()->Update();
	ASSERT_TRUE(Settle([&] { return HasThumbnail(first); }));
	ASSERT_TRUE(Done(window));

	// Refresh removes the three attributes and makes them all again.
	setxattr(first.c_str(), "user.GLIM:Thumbnail", "spoilt", 6, 0);
	window->PostMessage(MSG_REFRESH_THUMBNAILS);
	ASSERT_TRUE(Settle([&] { return HasThumbnail(first); }));
	int32 width = 0;
	EXPECT_EQ(getxattr(first.c_str(), "user.GLIM:Thumbsize", &width, 4), 4);
	EXPECT_EQ(width, 64);
}

TEST_F(ThumbnailWorkerTest, ReReadsWhileTheWorkerLocksTheWindowNeverDeadlock)
{
	Images(30, 40, 30);
	// Not settled after the folder is read: the worker must still be running.
	BViewerWin* window = new BViewerWin(BRect(100, 100, 599, 399), fDir.Path().c_str(), true);
	window->Show();
	Settle([&] { return window->FolderPath() != NULL; });
	for (int round = 0; round < 40; round++) {
		window->PostMessage(B_NODE_MONITOR);
		if (round % 4 == 0)
			Settle();
	}
	ASSERT_TRUE(Settle([&] { return window->ImageCount() == 30; }));
	EXPECT_TRUE(Done(window));
}

TEST_F(ThumbnailWorkerTest, VolumesWithoutAttributesUseSideFilesRewrittenEveryRun)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	std::string mount = Mount(fDir.Path(), "ramfs", "");
	ASSERT_FALSE(mount.empty());
	ASSERT_TRUE(WriteImage(mount + "/photo.png", 200, 100, 0x336699));
	BNode node((mount + "/photo.png").c_str());
	EXPECT_FALSE(BViewerApp::NodeOnBeVolume(node));
	BViewerWin* window = OpenWindow(mount);
	std::string side = glim::side_file_path((mount + "/photo.png").c_str());
	ASSERT_TRUE(Settle([&] { return Exists(side); }));
	ASSERT_TRUE(Done(window));
	std::unique_ptr<BBitmap> thumbnail(
		glim::read_thumbnail_bitmap((mount + "/photo.png").c_str()));
	ASSERT_TRUE(thumbnail);
	EXPECT_EQ(thumbnail->Bounds(), BRect(0, 0, 96, 48));

	unlink(side.c_str());
	window->PostMessage(B_NODE_MONITOR);
	EXPECT_TRUE(Settle([&] { return Exists(side); }));
	EXPECT_TRUE(Done(window));
	CloseAllWindows();
	Unmount(mount);
}
