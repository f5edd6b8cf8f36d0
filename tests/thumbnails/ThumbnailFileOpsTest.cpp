// Copying, moving and trashing the file of a dragged thumbnail.
#include "thumbnails/ThumbnailContainerView.h"

#include <memory>
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
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include "TestHooks.h"
#include "TestSupport.h"
#include "ViewerTestSupport.h"
#include "mainwindow/ViewerWin.h"
#include "thumbnails/Trash.h"

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

TEST_F(ThumbnailFileOpsTest, AMoveKeepsTheFileWithItsModeTimeAndAttributes)
{
	const struct {
		const char* name;
		bool otherVolume;
	} kCases[] = {{"same volume", false}, {"other volume", true}};
	for (const auto& c : kCases) {
		SCOPED_TRACE(c.name);
		if (c.otherVolume && !CanMount())
			continue;
		std::string target = c.otherVolume ? Mount(fDir.Path(), "tmpfs", "size=4m")
										   : fDir / "target";
		BThumbnailContainerView* grid = Select("photo.png", "");
		std::string source = fDir / "source" / "photo.png";
		ASSERT_EQ(chmod(source.c_str(), 0600), 0);
		ASSERT_EQ(setxattr(source.c_str(), "user.test", "keep", 4, 0), 0);
		struct timespec times[2] = {{981158400, 0}, {981158400, 0}};
		ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
		struct stat before;
		ASSERT_EQ(stat(source.c_str(), &before), 0);

		BMessage reply = Reply(B_MOVE_TARGET, target, "photo.png");
		grid->CopyFile(&reply);
		struct stat after;
		ASSERT_EQ(stat((target / "photo.png").c_str(), &after), 0);
		EXPECT_FALSE(Exists(source));
		EXPECT_EQ(after.st_mode & 07777, 0600u);
		EXPECT_EQ(after.st_mtim.tv_sec, 981158400);
		char value[16] = "";
		EXPECT_EQ(getxattr((target / "photo.png").c_str(), "user.test", value, sizeof(value)),
			4);
		if (!c.otherVolume) {
			EXPECT_EQ(after.st_ino, before.st_ino) << "a move on one volume is a rename";
		}
		fWindow->Unlock();
		CloseAllWindows();
		if (c.otherVolume)
			Unmount(target);
	}
}

TEST_F(ThumbnailFileOpsTest, ASourceOnAReadOnlyVolumeIsStillCopied)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	BThumbnailContainerView* grid = Select("photo.png", "read-only bytes");
	std::string source = fDir / "source";
	ASSERT_EQ(mount(source.c_str(), source.c_str(), NULL, MS_BIND, NULL), 0);
	ASSERT_EQ(mount(NULL, source.c_str(), NULL, MS_REMOUNT | MS_BIND | MS_RDONLY, NULL), 0);
	BMessage reply = Reply(B_COPY_TARGET, fDir / "target", "photo.png");
	grid->CopyFile(&reply);
	std::vector<char> copied = ReadFile(fDir / "target" / "photo.png");
	EXPECT_EQ(std::string(copied.begin(), copied.end()), "read-only bytes");
	fWindow->Unlock();
	CloseAllWindows();
	umount2(source.c_str(), MNT_DETACH);
}

TEST_F(ThumbnailFileOpsTest, ANameTakenInTheTrashGetsANumberAndItsOwnInfo)
{
	BPath trash;
	ASSERT_EQ(find_directory(B_TRASH_DIRECTORY, &trash, true), B_OK);
	std::string files = trash.Path();
	std::string info = files.substr(0, files.rfind('/')) + "/info";
	WriteFile(files / "photo.png", "trashed before");
	WriteFile(info / "photo.png.trashinfo", "[Trash Info]\nPath=/old/photo.png\n");

	BThumbnailContainerView* grid = Select("photo.png", "trash me too");
	BMessage reply(B_TRASH_TARGET);
	grid->RemoveFile(&reply);
	EXPECT_FALSE(Exists(fDir / "source" / "photo.png"));
	std::vector<char> before = ReadFile(files / "photo.png");
	EXPECT_EQ(std::string(before.begin(), before.end()), "trashed before");
	std::vector<char> moved = ReadFile(files / "photo.2.png");
	EXPECT_EQ(std::string(moved.begin(), moved.end()), "trash me too");
	std::vector<char> text = ReadFile(info / "photo.2.png.trashinfo");
	std::string expected = "Path=" + fDir.Path() + "/source/photo.png\n";
	EXPECT_NE(std::string(text.begin(), text.end()).find(expected), std::string::npos);
	EXPECT_TRUE(fApp->fAlerts.empty());
	fWindow->Unlock();
}

TEST_F(ThumbnailFileOpsTest, AFileThatCannotBeTrashedIsNamedInAnAlert)
{
	BPath trash;
	ASSERT_EQ(find_directory(B_TRASH_DIRECTORY, &trash, true), B_OK);
	std::string files = trash.Path();
	// The Trash's files folder replaced by a plain file: nothing can go in.
	ASSERT_EQ(rmdir(files.c_str()), 0);
	WriteFile(files, "not a folder");
	BThumbnailContainerView* grid = Select("photo.png", "stays");
	BMessage reply(B_TRASH_TARGET);
	grid->RemoveFile(&reply);
	EXPECT_TRUE(Exists(fDir / "source" / "photo.png"));
	ASSERT_EQ(fApp->fAlerts.size(), 1u);
	EXPECT_EQ(fApp->fAlerts[0].find("\"photo.png\" could not be moved to the Trash."), 0u)
		<< fApp->fAlerts[0];
	fWindow->Unlock();
	unlink(files.c_str());
}

TEST(TrashTest, AFileOnAnotherVolumeGoesToThatVolumesOwnTrash)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	TempDir dir("trash");
	std::string dataHome = getenv("XDG_DATA_HOME");
	setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
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
		WriteFile(volume / "photo.jpg", "on its own volume");
		std::string reason;
		EXPECT_TRUE(glim::move_to_trash((volume / "photo.jpg").c_str(), reason)) << reason;
		std::string trash = volume / (std::string(c.expectedFolder) + uid);
		EXPECT_TRUE(Exists(trash / "files/photo.jpg"));
		std::vector<char> text = ReadFile(trash / "info/photo.jpg.trashinfo");
		// A volume's trash keeps paths relative to the volume's top.
		EXPECT_NE(std::string(text.begin(), text.end()).find("Path=photo.jpg\n"),
			std::string::npos);
		EXPECT_FALSE(Exists(dir / "data/Trash/files/photo.jpg"));
		Unmount(volume);
	}
	setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
}
