// Copying, moving and trashing the file of a dragged thumbnail.
#include "thumbnails/ThumbnailContainerView.h"

#include <memory>
#include <optional>
#include <string>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <Entry.h>
#include <FindDirectory.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>

#include <gtest/gtest.h>

#include "TestHooks.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"
#include "mainwindow/ViewerWin.h"
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
		Close();
		fApp.reset();
	}

	// A window on the source folder with its only file selected in the grid;
	// the file then holds contents, if given.
	void Select(const std::string& name, const std::optional<std::string>& contents)
	{
		WriteImage(fDir / "source" / name, 6, 6, 0x112233);
		fWindow = new BViewerWin(BRect(50, 50, 549, 449), (fDir / "source").c_str(), true);
		fWindow->Show();
		Settle([&] { return fWindow->FolderPath() != NULL; });
		Settle([&] { return !fWindow->WorkerRunning(); });
		if (contents)
			WriteFile(fDir / "source" / name, *contents);
		fWindow->Lock();
		fGrid = fWindow->ThumbnailView();
		BPrivate::push_pointer_state(fGrid->ConvertToScreen(BPoint(20, 20)), 0);
		BPrivate::simulate_mouse_down(fGrid, BPoint(20, 20), B_PRIMARY_MOUSE_BUTTON);
		fWindow->Unlock();
		Settle();
		fWindow->Lock();
		EXPECT_EQ(fGrid->Selected(), 0);
	}

	void Close()
	{
		if (fWindow != NULL && fWindow->IsLocked())
			fWindow->Unlock();
		fWindow = NULL;
		CloseAllWindows();
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

	void Trash()
	{
		BMessage reply(B_TRASH_TARGET);
		fGrid->RemoveFile(&reply);
	}

	TempDir fDir{"fileops"};
	// A Trash of the test's own.
	ScopedVariable fDataHome{"XDG_DATA_HOME", (fDir / "data").c_str()};
	std::unique_ptr<TestApp> fApp;
	BViewerWin* fWindow = NULL;
	BThumbnailContainerView* fGrid = NULL;
};

} // namespace

TEST_F(ThumbnailFileOpsTest, CopiesEveryByteAndSetsTheType)
{
	for (size_t size : {(size_t)0, (size_t)1024, (size_t)1025, (size_t)70000}) {
		SCOPED_TRACE(size);
		std::string contents(size, '\0');
		for (size_t i = 0; i < size; i++)
			contents[i] = (char)(i * 7 + 3);
		std::string name = "file" + std::to_string(size) + ".png";
		Select(name, contents);
		Drop(B_COPY_TARGET, fDir / "target", name);
		EXPECT_EQ(ReadText(fDir / "target" / name), contents);
		EXPECT_TRUE(Exists(fDir / "source" / name)) << "a copy keeps the source";
		BNode node((fDir / "target" / name).c_str());
		char type[256] = "";
		EXPECT_EQ(BNodeInfo(&node).GetType(type), B_OK);
		EXPECT_STREQ(type, "image/png");
		Close();
		unlink((fDir / "source" / name).c_str());
	}
}

TEST_F(ThumbnailFileOpsTest, AMoveRemovesTheSourceAndADropOntoItselfLeavesItAlone)
{
	Select("photo.png", "precious bytes");
	Drop(B_MOVE_TARGET, fDir / "source", "photo.png");
	EXPECT_EQ(ReadText(fDir / "source/photo.png"), "precious bytes");
	Drop(B_MOVE_TARGET, fDir / "target", "moved.png");
	EXPECT_FALSE(Exists(fDir / "source/photo.png"));
	EXPECT_EQ(ReadText(fDir / "target/moved.png"), "precious bytes");
}

TEST_F(ThumbnailFileOpsTest, OtherTypesAndIncompleteRepliesAreIgnored)
{
	Select("photo.png", "data");
	Drop(B_MOVE_TARGET, fDir / "target", "x.png", "text/plain");
	Drop(B_COPY_TARGET, fDir / "target", "y.png", "APPLICATION/OCTET-STREAM");
	BMessage incomplete(B_MOVE_TARGET);
	incomplete.AddString("be:types", B_FILE_MIME_TYPE);
	fGrid->CopyFile(&incomplete);
	EXPECT_FALSE(Exists(fDir / "target/x.png"));
	EXPECT_TRUE(Exists(fDir / "target/y.png")) << "the type is compared ignoring case";
	EXPECT_TRUE(Exists(fDir / "source/photo.png"));
}

TEST_F(ThumbnailFileOpsTest, AFullDiskKeepsTheSourceAndLeavesNoPartialCopy)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	std::string small = Mount(fDir.Path(), "tmpfs", "size=64k");
	ASSERT_FALSE(small.empty());
	std::string big(300000, 'x');
	Select("big.png", big);
	// An older file of that name in the target stays as it was.
	WriteFile(small + "/big.png", "older");
	Drop(B_MOVE_TARGET, small, "big.png");
	EXPECT_EQ(ReadText(fDir / "source/big.png"), big);
	EXPECT_EQ(ReadText(small + "/big.png"), "older");
	Close();
	Unmount(small);
}

TEST_F(ThumbnailFileOpsTest, AMoveKeepsTheFileWithItsModeTimeAndAttributes)
{
	for (bool otherVolume : {false, true}) {
		SCOPED_TRACE(otherVolume ? "other volume" : "same volume");
		if (otherVolume && !CanMount())
			continue;
		std::string target = otherVolume ? Mount(fDir.Path(), "tmpfs", "size=4m")
										 : fDir / "target";
		Select("photo.png", std::nullopt);
		std::string source = fDir / "source/photo.png";
		ASSERT_EQ(chmod(source.c_str(), 0600), 0);
		ASSERT_EQ(setxattr(source.c_str(), "user.test", "keep", 4, 0), 0);
		struct timespec times[2] = {{981158400, 0}, {981158400, 0}};
		ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
		struct stat before, after;
		ASSERT_EQ(stat(source.c_str(), &before), 0);

		Drop(B_MOVE_TARGET, target, "photo.png");
		ASSERT_EQ(stat((target / "photo.png").c_str(), &after), 0);
		EXPECT_FALSE(Exists(source));
		EXPECT_EQ(after.st_mode & 07777, 0600u);
		EXPECT_EQ(after.st_mtim.tv_sec, 981158400);
		char value[16] = "";
		EXPECT_EQ(getxattr((target / "photo.png").c_str(), "user.test", value, sizeof(value)),
			4);
		if (!otherVolume) {
			EXPECT_EQ(after.st_ino, before.st_ino) << "a move on one volume is a rename";
		}
		Close();
		if (otherVolume)
			Unmount(target);
	}
}

TEST_F(ThumbnailFileOpsTest, ASourceOnAReadOnlyVolumeIsStillCopied)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	Select("photo.png", "read-only bytes");
	std::string source = fDir / "source";
	ASSERT_EQ(mount(source.c_str(), source.c_str(), NULL, MS_BIND, NULL), 0);
	ASSERT_EQ(mount(NULL, source.c_str(), NULL, MS_REMOUNT | MS_BIND | MS_RDONLY, NULL), 0);
	Drop(B_COPY_TARGET, fDir / "target", "photo.png");
	EXPECT_EQ(ReadText(fDir / "target/photo.png"), "read-only bytes");
	Close();
	umount2(source.c_str(), MNT_DETACH);
}

TEST_F(ThumbnailFileOpsTest, RemovingMovesTheFileToTheTrashUnderANameNotTaken)
{
	std::string files = TrashFiles();
	std::string info = files.substr(0, files.rfind('/')) + "/info";
	Select("photo.png", "trashed before");
	Trash();
	EXPECT_FALSE(Exists(fDir / "source/photo.png"));
	EXPECT_TRUE(Exists(info / "photo.png.trashinfo"));
	Close();

	Select("photo.png", "trash me");
	Trash();
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
	Trash();
	EXPECT_TRUE(Exists(fDir / "source/photo.png"));
	ASSERT_EQ(fApp->fAlerts.size(), 1u);
	EXPECT_EQ(fApp->fAlerts[0].find("\"photo.png\" could not be moved to the Trash."), 0u)
		<< fApp->fAlerts[0];
	Close();
	unlink(files.c_str());
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
