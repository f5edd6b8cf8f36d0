// Copying, moving and trashing the file of a dragged thumbnail.
#include "thumbnails/ThumbnailContainerView.h"

#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <Entry.h>
#include <FindDirectory.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include "TestHooks.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"
#include "mainwindow/ViewerWin.h"

using namespace glim_test;

namespace {

class ThumbnailFileOpsTest : public testing::Test {
protected:
	void SetUp() override
	{
		ForgetSettings();
		fApp.reset(new TestApp);
		MakeDirs(fDir / "source");
		MakeDirs(fDir / "target");
	}

	void TearDown() override
	{
		CloseAllWindows();
		fApp.reset();
	}

	// A window on the source folder with its only file selected in the grid.
	BThumbnailContainerView* Select(const std::string& name, const std::string& contents)
	{
		WriteImage(fDir / "source" / name, 6, 6, 0x112233);
		fWindow = new BViewerWin(BRect(50, 50, 549, 449), (fDir / "source").c_str(), true);
		fWindow->Show();
		Settle([&] { return fWindow->FolderPath() != NULL; });
		Settle([&] { return !fWindow->WorkerRunning(); });
		// The image was listed; now its bytes are what the test needs.
		if (!contents.empty() || name.find("empty") != std::string::npos)
			WriteFile(fDir / "source" / name, contents);
		fWindow->Lock();
		BThumbnailContainerView* grid = fWindow->ThumbnailView();
		BPrivate::push_pointer_state(grid->ConvertToScreen(BPoint(20, 20)), 0);
		BPrivate::simulate_mouse_down(grid, BPoint(20, 20), B_PRIMARY_MOUSE_BUTTON);
		fWindow->Unlock();
		Settle();
		fWindow->Lock();
		EXPECT_EQ(grid->Selected(), 0);
		return grid;
	}

	BMessage Reply(uint32 what, const std::string& folder, const std::string& name,
		const char* types = B_FILE_MIME_TYPE)
	{
		BMessage reply(what);
		reply.AddString("be:types", types);
		reply.AddString("be:filetypes", "image/png");
		reply.AddString("name", name.c_str());
		entry_ref ref;
		EXPECT_EQ(get_ref_for_path(folder.c_str(), &ref), B_OK);
		reply.AddRef("directory", &ref);
		return reply;
	}

	TempDir fDir{"fileops"};
	std::unique_ptr<TestApp> fApp;
	BViewerWin* fWindow = NULL;
};

} // namespace

TEST_F(ThumbnailFileOpsTest, CopiesEveryByteAndSetsTheType)
{
	for (size_t size : {(size_t)0, (size_t)1024, (size_t)1025, (size_t)70000}) {
		SCOPED_TRACE(size);
		std::string contents(size, '\0');
		for (size_t i = 0; i < size; i++)
			contents[i] = (char)(i * 7 + 3);
		std::string name = size == 0 ? "empty.png" : "file" + std::to_string(size) + ".png";
		BThumbnailContainerView* grid = Select(name, contents);
		BMessage reply = Reply(B_COPY_TARGET, fDir / "target", name);
		grid->CopyFile(&reply);
		std::vector<char> copied = ReadFile(fDir / "target" / name);
		EXPECT_EQ(std::string(copied.begin(), copied.end()), contents);
		EXPECT_TRUE(Exists(fDir / "source" / name)) << "a copy keeps the source";
		BNode node((fDir / "target" / name).c_str());
		BNodeInfo info(&node);
		char type[256] = "";
		EXPECT_EQ(info.GetType(type), B_OK);
		EXPECT_STREQ(type, "image/png");
		fWindow->Unlock();
		CloseAllWindows();
		unlink((fDir / "source" / name).c_str());
	}
}

TEST_F(ThumbnailFileOpsTest, AMoveRemovesTheSourceOnlyAfterTheCopy)
{
	BThumbnailContainerView* grid = Select("photo.png", "abcdef");
	BMessage reply = Reply(B_MOVE_TARGET, fDir / "target", "moved.png");
	grid->CopyFile(&reply);
	EXPECT_FALSE(Exists(fDir / "source" / "photo.png"));
	std::vector<char> moved = ReadFile(fDir / "target" / "moved.png");
	EXPECT_EQ(std::string(moved.begin(), moved.end()), "abcdef");
	fWindow->Unlock();
}

TEST_F(ThumbnailFileOpsTest, ADropOntoItselfLeavesTheFileAlone)
{
	BThumbnailContainerView* grid = Select("photo.png", "precious bytes");
	BMessage reply = Reply(B_MOVE_TARGET, fDir / "source", "photo.png");
	grid->CopyFile(&reply);
	std::vector<char> kept = ReadFile(fDir / "source" / "photo.png");
	EXPECT_EQ(std::string(kept.begin(), kept.end()), "precious bytes");
	fWindow->Unlock();
}

TEST_F(ThumbnailFileOpsTest, OtherTypesAndIncompleteRepliesAreIgnored)
{
	BThumbnailContainerView* grid = Select("photo.png", "data");
	BMessage other = Reply(B_MOVE_TARGET, fDir / "target", "x.png", "text/plain");
	grid->CopyFile(&other);
	BMessage upper = Reply(B_COPY_TARGET, fDir / "target", "y.png", "APPLICATION/OCTET-STREAM");
	grid->CopyFile(&upper);
	BMessage incomplete(B_MOVE_TARGET);
	incomplete.AddString("be:types", B_FILE_MIME_TYPE);
	grid->CopyFile(&incomplete);
	EXPECT_FALSE(Exists(fDir / "target" / "x.png"));
	EXPECT_TRUE(Exists(fDir / "target" / "y.png")) << "the type is compared ignoring case";
	EXPECT_TRUE(Exists(fDir / "source" / "photo.png"));
	fWindow->Unlock();
}

TEST_F(ThumbnailFileOpsTest, AFullDiskKeepsTheSourceAndLeavesNoPartialCopy)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	std::string small = Mount(fDir.Path(), "tmpfs", "size=64k");
	ASSERT_FALSE(small.empty());
	std::string big(300000, 'x');
	BThumbnailContainerView* grid = Select("big.png", big);
	// An older file of that name in the target stays as it was.
	WriteFile(small + "/big.png", "older");
	BMessage reply = Reply(B_MOVE_TARGET, small, "big.png");
	grid->CopyFile(&reply);
	EXPECT_EQ(ReadFile(fDir / "source" / "big.png").size(), big.size());
	std::vector<char> older = ReadFile(small + "/big.png");
	EXPECT_EQ(std::string(older.begin(), older.end()), "older");
	fWindow->Unlock();
	CloseAllWindows();
	Unmount(small);
}

TEST_F(ThumbnailFileOpsTest, RemovingMovesTheFileToTheTrash)
{
	BThumbnailContainerView* grid = Select("photo.png", "trash me");
	BMessage reply(B_TRASH_TARGET);
	grid->RemoveFile(&reply);
	EXPECT_FALSE(Exists(fDir / "source" / "photo.png"));
	BPath trash;
	ASSERT_EQ(find_directory(B_TRASH_DIRECTORY, &trash), B_OK);
	EXPECT_TRUE(Exists(std::string(trash.Path()) + "/photo.png"));
	unlink((std::string(trash.Path()) + "/photo.png").c_str());
	fWindow->Unlock();
}
