// Copying, moving and trashing the file of a dragged thumbnail.
#include "thumbnails/ThumbnailContainerView.h"

#include <string>

#include <unistd.h>

#include <Entry.h>
#include <FindDirectory.h>
#include <Path.h>

#include <gtest/gtest.h>

#include "TestHooks.h"
#include "ViewerTestSupport.h"
#include "thumbnails/Trash.h"

using namespace glim_test;

namespace {

std::string
TrashFiles()
{
	BPath trash;
	EXPECT_EQ(find_directory(B_TRASH_DIRECTORY, &trash, true), B_OK);
	return trash.Path();
}

class ThumbnailFileOpsTest : public ViewerTest {
protected:
	void TearDown() override
	{
		if (fWindow != NULL && fWindow->IsLocked())
			fWindow->Unlock();
		ViewerTest::TearDown();
	}

	// A window on the source folder with its only file selected in the grid;
	// the file then holds contents.
	void Select(const std::string& name, const std::string& contents)
	{
		MakeDirs(fDir / "target");
		MakeDirs(fDir / "source");
		WriteImage(fDir / "source" / name, 6, 6, 0x112233);
		fWindow = OpenWindow(fDir / "source", true, BRect(50, 50, 549, 449));
		Settle([&] { return !fWindow->WorkerRunning(); });
		WriteFile(fDir / "source" / name, contents);
		fWindow->Lock();
		fGrid = fWindow->ThumbnailView();
		BPrivate::push_pointer_state(fGrid->ConvertToScreen(BPoint(20, 20)), 0);
		BPrivate::simulate_mouse_down(fGrid, BPoint(20, 20), B_PRIMARY_MOUSE_BUTTON);
		fWindow->Unlock();
		Settle();
		fWindow->Lock();
		EXPECT_EQ(fGrid->Selected(), 0);
	}

	// The reply of a drag's target asking for the file under name in folder.
	void Drop(uint32 what, const std::string& folder, const std::string& name,
		const char* types = B_FILE_MIME_TYPE)
	{
		BMessage reply(what);
		reply.AddString("be:types", types);
		reply.AddString("be:filetypes", "image/png");
		reply.AddString("name", name.c_str());
		entry_ref ref;
		EXPECT_EQ(get_ref_for_path(folder.c_str(), &ref), B_OK);
		reply.AddRef("directory", &ref);
		fGrid->CopyFile(&reply);
	}

	TempDir fDir{"fileops"};
	// A Trash of the test's own.
	ScopedVariable fDataHome{"XDG_DATA_HOME", (fDir / "data").c_str()};
	BViewerWin* fWindow = NULL;
	BThumbnailContainerView* fGrid = NULL;
};

} // namespace

// Copies and moves need a file type and a target folder; a file dropped
// onto itself stays.
TEST_F(ThumbnailFileOpsTest, AMoveRemovesTheSourceAndOtherRepliesLeaveItAlone)
{
	Select("photo.png", "precious bytes");
	Drop(B_MOVE_TARGET, fDir / "target", "x.png", "text/plain");
	Drop(B_COPY_TARGET, fDir / "target", "y.png", "APPLICATION/OCTET-STREAM");
	BMessage incomplete(B_MOVE_TARGET);
	incomplete.AddString("be:types", B_FILE_MIME_TYPE);
	fGrid->CopyFile(&incomplete);
	EXPECT_FALSE(Exists(fDir / "target/x.png"));
	EXPECT_TRUE(Exists(fDir / "target/y.png")) << "the type is compared ignoring case";
	Drop(B_MOVE_TARGET, fDir / "source", "photo.png");
	EXPECT_EQ(ReadText(fDir / "source/photo.png"), "precious bytes");

	Drop(B_MOVE_TARGET, fDir / "target", "moved.png");
	EXPECT_FALSE(Exists(fDir / "source/photo.png"));
	EXPECT_EQ(ReadText(fDir / "target/moved.png"), "precious bytes");
}

TEST_F(ThumbnailFileOpsTest, RemovingMovesTheFileToTheTrashUnderANameNotTaken)
{
	std::string files = TrashFiles();
	std::string info = files.substr(0, files.rfind('/')) + "/info";
	WriteFile(files / "photo.png", "trashed before");
	Select("photo.png", "trash me");
	BMessage trash(B_TRASH_TARGET);
	fGrid->RemoveFile(&trash);
	EXPECT_FALSE(Exists(fDir / "source/photo.png"));
	EXPECT_EQ(ReadText(files / "photo.png"), "trashed before");
	EXPECT_EQ(ReadText(files / "photo.2.png"), "trash me");
	std::string expected = "Path=" + fDir.Path() + "/source/photo.png\n";
	EXPECT_NE(ReadText(info / "photo.2.png.trashinfo").find(expected), std::string::npos);
	EXPECT_TRUE(fApp->fAlerts.empty());
}

TEST_F(ThumbnailFileOpsTest, AFileThatCannotBeTrashedIsNamedInAnAlert)
{
	std::string files = TrashFiles();
	// The Trash's files folder replaced by a plain file: nothing can go in.
	ASSERT_EQ(rmdir(files.c_str()), 0);
	WriteFile(files, "not a folder");
	Select("photo.png", "stays");
	BMessage trash(B_TRASH_TARGET);
	fGrid->RemoveFile(&trash);
	EXPECT_TRUE(Exists(fDir / "source/photo.png"));
	ASSERT_EQ(fApp->fAlerts.size(), 1u);
	EXPECT_EQ(fApp->fAlerts[0].find("\"photo.png\" could not be moved to the Trash."), 0u)
		<< fApp->fAlerts[0];
}

TEST(TrashTest, AFileOnAnotherVolumeGoesToThatVolumesOwnTrash)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	TempDir dir("trash");
	ScopedVariable dataHome("XDG_DATA_HOME", (dir / "data").c_str());
	std::string uid = std::to_string(getuid());
	const struct {
		const char* name;
		mode_t sharedMode; // 0: no $topdir/.Trash
		const char* expectedFolder;
	} kCases[] = {
		{"no shared trash", 0, ".Trash-"},
		{"shared trash with the sticky bit", 01777, ".Trash/"},
		{"shared trash without the sticky bit", 0777, ".Trash-"},
	};
	for (const auto& c : kCases) {
		SCOPED_TRACE(c.name);
		std::string volume = Mount(dir.Path(), "tmpfs", "size=1m");
		ASSERT_FALSE(volume.empty());
		if (c.sharedMode != 0) {
			MakeDirs(volume / ".Trash");
			ASSERT_EQ(chmod((volume / ".Trash").c_str(), c.sharedMode), 0);
		}
		MakeDirs(volume / "photos");
		WriteFile(volume / "photos/a b.jpg", "on its own volume");
		std::string reason;
		EXPECT_TRUE(glim::move_to_trash((volume / "photos/a b.jpg").c_str(), reason)) << reason;
		std::string trash = volume / (std::string(c.expectedFolder) + uid);
		EXPECT_TRUE(Exists(trash / "files/a b.jpg"));
		// A volume's trash keeps paths relative to the volume's top.
		EXPECT_NE(ReadText(trash / "info/a b.jpg.trashinfo").find("\nPath=photos/a%20b.jpg\n"),
			std::string::npos);
		EXPECT_FALSE(Exists(dir / "data/Trash/files/a b.jpg"));
		Unmount(volume);
	}
}
