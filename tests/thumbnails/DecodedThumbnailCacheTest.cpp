// The decoded thumbnails the grid keeps between paints: bounded by its
// capacity, read again when an image changes or is forgotten, and in the
// grid limited to the cells on show.
#include "thumbnails/ThumbnailCache.h"

#include <string>
#include <vector>

#include <sys/xattr.h>
#include <unistd.h>

#include <Bitmap.h>

#include <gtest/gtest.h>

#include "thumbnails/ThumbnailContainerView.h"
#include "thumbnails/ThumbnailStore.h"
#include "ViewerTestSupport.h"

using namespace glim;
using namespace glim_test;

namespace {

class BThumbnailCacheTest : public testing::Test {
protected:
	// An image whose thumbnail, width by 30 pixels, lives in its side file:
	// removing the side file leaves the image itself untouched, so only a
	// new read would notice.
	std::string Image(const std::string& name, int width)
	{
		std::string path = fDir / name;
		EXPECT_TRUE(WriteImage(path, 10, 10, 0x808080));
		int32 size = 1;
		setxattr(path.c_str(), "user.GLIM:Filesize", &size, 4, 0);
		EXPECT_TRUE(WriteImage(side_file_path(path.c_str()), width, 30, 0x808080, 'JPEG'));
		return path;
	}

	static float Width(const BBitmap* bitmap)
	{
		return bitmap != NULL ? bitmap->Bounds().Width() + 1 : 0;
	}

	TempDir fDir{"decoded"};
};

class GridCacheTest : public ViewerTest {
protected:
	TempDir fDir{"gridcache"};
};

} // namespace

TEST_F(BThumbnailCacheTest, HoldsAtMostItsCapacityLeastRecentlyUsedGoingFirst)
{
	std::vector<std::string> paths;
	for (int i = 0; i < 4; i++)
		paths.push_back(Image("image" + std::to_string(i) + ".png", 20 + i));
	BThumbnailCache cache(3);
	for (int i : {0, 1, 2, 0, 3}) {
		SCOPED_TRACE(i);
		EXPECT_EQ(Width(cache.Get(paths[i].c_str())), 20 + i);
	}
	EXPECT_EQ(cache.CountItems(), 3);
	EXPECT_TRUE(cache.Holds(paths[0].c_str())) << "used again, so kept";
	EXPECT_FALSE(cache.Holds(paths[1].c_str()));

	cache.SetCapacity(1);
	EXPECT_EQ(cache.CountItems(), 1);
	EXPECT_TRUE(cache.Holds(paths[3].c_str())) << "the one used last stays";
	cache.SetCapacity(0);
	EXPECT_EQ(cache.Capacity(), 1);
}

TEST_F(BThumbnailCacheTest, ThumbnailsAreReadAgainWhenRemadeOrForgotten)
{
	std::string path = Image("photo.png", 40);
	BThumbnailCache cache(4);
	EXPECT_EQ(Width(cache.Get(path.c_str())), 40);

	// Forgotten: the new stream is read.
	ASSERT_TRUE(WriteImage(side_file_path(path.c_str()), 50, 30, 0x808080, 'JPEG'));
	EXPECT_EQ(Width(cache.Get(path.c_str())), 40) << "held until told";
	cache.Forget(path.c_str());
	EXPECT_EQ(Width(cache.Get(path.c_str())), 50);

	// An attribute written by anyone moves the image's change time on.
	ASSERT_TRUE(WriteImage(side_file_path(path.c_str()), 60, 30, 0x808080, 'JPEG'));
	usleep(10000);
	int32 width = 96;
	setxattr(path.c_str(), "user.GLIM:Thumbsize", &width, 4, 0);
	EXPECT_EQ(Width(cache.Get(path.c_str())), 60);

	// A file that is gone has no thumbnail and takes no place.
	EXPECT_EQ(cache.Get((fDir / "missing.png").c_str()), nullptr);
	EXPECT_FALSE(cache.Holds((fDir / "missing.png").c_str()));
	EXPECT_EQ(cache.Get(NULL), nullptr);
}

TEST_F(GridCacheTest, TheGridKeepsTheThumbnailsOfTheCellsOnShow)
{
	for (int i = 10; i < 50; i++)
		ASSERT_TRUE(
			WriteImage(fDir / ("image" + std::to_string(i) + ".png"), 120, 90, 0x204060));
	BViewerWin* window = OpenWindow(fDir.Path());
	ASSERT_TRUE(Settle([&] { return !window->WorkerRunning(); }));

	BThumbnailContainerView* grid = window->ThumbnailView();
	auto held = [&] { return Locked(window, [&] { return grid->Cache().CountItems(); }); };
	Locked(window, [&] { grid->Invalidate(); });
	ASSERT_TRUE(Settle([&] { return held() > 0; }));

	window->Lock();
	BRect bounds = grid->Bounds();
	int32 columns = grid->CountColumns();
	int32 rows = (int32)(bounds.Height() / grid->FrameHeight()) + 1;
	EXPECT_LE(grid->Cache().Capacity(), columns * (rows + 2));
	EXPECT_LE(grid->Cache().CountItems(), grid->Cache().Capacity());
	EXPECT_LT(grid->Cache().Capacity(), 40) << "bounded by the view, not the folder";
	EXPECT_TRUE(grid->Cache().Holds((fDir / "image10.png").c_str()));

	// A change of the size setting or of the folder drops what is held.
	grid->PrefsUpdate();
	EXPECT_EQ(grid->Cache().CountItems(), 0);
	window->Unlock();
	ASSERT_TRUE(Settle([&] { return held() > 0; }));
	window->Lock();
	grid->FolderChanged();
	EXPECT_EQ(grid->Cache().CountItems(), 0);
	window->Unlock();
}
