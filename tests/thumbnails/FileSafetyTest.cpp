// The proof that no photo, attribute, time or permission is lost: every step
// of every operation that writes or moves a user's file is made to fail
// (ENOSPC, EIO, EACCES, a short write, a failed rename), and separately the
// program is stopped right after it; afterwards the source must be intact
// with its metadata, the target either the old file or the complete new one,
// and nothing half-written listed as an image.
#include "mainwindow/ViewerWin.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <Bitmap.h>
#include <Directory.h>
#include <File.h>
#include <SafeFile.h>

#include <gtest/gtest.h>

#include "FaultEnv.h"
#include "ViewerTestSupport.h"
#include "app/Commands.h"
#include "settings/ImageServices.h"
#include "thumbnails/ThumbnailReader.h"
#include "thumbnails/ThumbnailStore.h"
#include "thumbnails/Trash.h"

using namespace glim_test;

namespace {

// What a user would miss if it changed: the bytes, the mode, the
// modification time and every user attribute.
struct Snapshot {
	bool exists = false;
	bool isLink = false;
	std::string bytes;
	mode_t mode = 0;
	long long mtime = 0; // nanoseconds
	std::map<std::string, std::string> attributes;

	bool operator==(const Snapshot&) const = default;
};

Snapshot
Take(const std::string& path)
{
	Snapshot snapshot;
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		return snapshot;
	snapshot = {true, S_ISLNK(st.st_mode), "", st.st_mode,
		st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec, {}};
	if (snapshot.isLink)
		return snapshot;
	snapshot.bytes = ReadText(path);
	char names[4096];
	ssize_t size = llistxattr(path.c_str(), names, sizeof(names));
	for (ssize_t offset = 0; offset < size;) {
		std::string name = names + offset;
		offset += name.size() + 1;
		char value[65536];
		ssize_t length = lgetxattr(path.c_str(), name.c_str(), value, sizeof(value));
		if (name.compare(0, 5, "user.") == 0 && length >= 0)
			snapshot.attributes[name] = std::string(value, length);
	}
	return snapshot;
}

// The same content and metadata, wherever it lives now.
bool
SameFile(Snapshot a, Snapshot b)
{
	a.mode &= 07777;
	b.mode &= 07777;
	a.isLink = b.isLink = false;
	return a.exists && a == b;
}

std::string
Describe(const Snapshot& s)
{
	if (!s.exists)
		return "(absent)";
	return std::to_string(s.bytes.size()) + " bytes, mode " + std::to_string(s.mode & 07777)
		+ ", " + std::to_string(s.attributes.size()) + " attributes";
}

int
CountTemporaries(const std::string& folder)
{
	int count = 0;
	for (const std::string& name : ListFolder(folder))
		count += is_safe_file_temporary(name.c_str());
	return count;
}

// An image with a stricter mode than usual, an old time and attributes of
// its own, as the user's photos carry.
void
MakePhoto(const std::string& path, unsigned color, const char* tag)
{
	ASSERT_TRUE(WriteImage(path, 12, 9, color, 'JPEG'));
	ASSERT_EQ(setxattr(path.c_str(), "user.test", tag, strlen(tag), 0), 0);
	ASSERT_EQ(chmod(path.c_str(), 0600), 0);
	struct timespec times[2] = {{981158400, 0}, {981158400, 123456789}};
	ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

const Fault kFaults[] = {Fault::kNoSpace, Fault::kIOError, Fault::kNoAccess, Fault::kShortWrite,
	Fault::kRenameFails, Fault::kCrashAfter};

using Paths = std::vector<std::string>;

// One operation under test: prepare makes a fresh source and target in a
// case folder and names the files to watch, and run does the operation. Walk
// takes snapshots of those before the run and hands them to check, which
// asserts the invariants; folders are those whose listings must show no
// half-written image (the case folder when not given).
struct Operation {
	const char* name;
	std::function<Paths(const std::string& caseFolder)> prepare;
	std::function<void(const std::string& caseFolder)> run;
	std::function<void(const std::string& caseFolder, const std::vector<Snapshot>& before,
		bool crashed, bool clean)>
		check;
	std::function<Paths(const std::string& caseFolder)> folders;
};

class FileSafetyTest : public testing::Test {
protected:
	// Runs op once unharmed to count its steps, then once per step and
	// fault.
	void Walk(const Operation& op, const std::string& root)
	{
		int steps = 0;
		{
			std::string folder = root / "clean";
			std::vector<Snapshot> before = Prepare(op, folder);
			FaultEnv env;
			op.run(folder);
			steps = env.Steps();
			op.check(folder, before, false, true);
		}
		EXPECT_GT(steps, 2) << op.name;
		int cases = 0;
		for (int step = 1; step <= steps; step++) {
			for (Fault fault : kFaults) {
				std::string folder = root
					/ (std::to_string(step) + "-" + std::to_string((int)fault));
				std::vector<Snapshot> before = Prepare(op, folder);
				bool fired;
				std::string stepName;
				{
					FaultEnv env;
					env.Arm(step, fault);
					op.run(folder);
					fired = env.Fired();
					stepName = step <= (int)env.Log().size() ? env.Log()[step - 1] : "?";
				}
				if (!fired)
					continue;
				cases++;
				SCOPED_TRACE(std::string(op.name) + ": step " + std::to_string(step) + " ("
					+ stepName + "), " + fault_name(fault));
				op.check(folder, before, fault == Fault::kCrashAfter, false);
				if (HasFatalFailure())
					return;
				for (const std::string& listed :
					op.folders ? op.folders(folder) : Paths{folder})
					CheckListing(listed, fault == Fault::kCrashAfter);
			}
		}
		printf("%s: %d steps, %d faulted cases\n", op.name, steps, cases);
		EXPECT_GT(cases, steps) << op.name;
	}

	static std::vector<Snapshot> Prepare(const Operation& op, const std::string& folder)
	{
		MakeDirs(folder);
		std::vector<Snapshot> before;
		for (const std::string& path : op.prepare(folder))
			before.push_back(Take(path));
		return before;
	}

	// What a folder read lists as images (every entry but side files and
	// temporaries) decodes whole; temporaries are left only by a crash, and
	// then swept once stale.
	static void CheckListing(const std::string& folder, bool crashed)
	{
		if (!crashed) {
			EXPECT_EQ(CountTemporaries(folder), 0) << folder;
		}
		for (const std::string& name : ListFolder(folder)) {
			std::string path = folder / name;
			if (is_safe_file_temporary(name.c_str())) {
				// Two minutes old, as after a crash long ago.
				struct timespec times[2] = {{time(NULL) - 120, 0}, {time(NULL) - 120, 0}};
				utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
				continue;
			}
			BFile file(path.c_str(), B_READ_ONLY);
			if (glim::is_side_file(name.c_str()) || file.InitCheck() != B_OK
				|| !glim::is_image(file))
				continue;
			std::unique_ptr<BBitmap> decoded(glim::decode_image(&file));
			EXPECT_TRUE(decoded != NULL) << name;
		}
		remove_stale_temporaries(folder.c_str());
		EXPECT_EQ(CountTemporaries(folder), 0) << folder;
	}

	TempDir fDir{"safety"};
};

// A photo moved or copied over an older file of the same name. Source intact
// where it was and the target as before, or the source moved whole with its
// metadata; across volumes, when the copy was in place before the failure
// or crash, both may stay. A copy never touches its source.
Operation
MoveOrCopy(const char* name, std::string targetRoot, bool copy)
{
	auto target = [targetRoot](const std::string& folder) {
		return targetRoot.empty() ? folder / "to"
								  : targetRoot / folder.substr(folder.rfind('/') + 1);
	};
	Operation op;
	op.name = name;
	op.prepare = [=](const std::string& folder) {
		MakeDirs(folder / "from");
		MakeDirs(target(folder));
		MakePhoto(folder / "from/a.jpg", 0x336699, "keep");
		MakePhoto(target(folder) / "a.jpg", 0x996633, "old");
		return Paths{folder / "from/a.jpg", target(folder) / "a.jpg"};
	};
	op.run = [=](const std::string& folder) {
		std::string from = folder / "from/a.jpg";
		if (copy) {
			copy_file(from.c_str(), (target(folder) / "a.jpg").c_str(), true);
			return;
		}
		BEntry entry(from.c_str(), false);
		BDirectory to(target(folder).c_str());
		entry.MoveTo(&to, "a.jpg", true);
	};
	op.check = [=](const std::string& folder, const std::vector<Snapshot>& before, bool,
				   bool clean) {
		Snapshot source = Take(folder / "from/a.jpg");
		Snapshot now = Take(target(folder) / "a.jpg");
		bool unchanged = source == before[0] && now == before[1];
		bool arrived = SameFile(now, before[0]);
		if (copy) {
			EXPECT_EQ(source, before[0]) << "the source of a copy changed";
			EXPECT_TRUE(now == before[1] || arrived) << "target " << Describe(now);
		} else {
			bool moved = !source.exists && arrived;
			bool both = !targetRoot.empty() && source == before[0] && arrived;
			EXPECT_TRUE(unchanged || moved || both)
				<< "source " << Describe(source) << ", target " << Describe(now);
		}
		if (clean) {
			EXPECT_EQ(source.exists, copy);
			EXPECT_TRUE(arrived) << "the clean run did not finish";
		}
	};
	op.folders = [=](const std::string& folder) {
		return Paths{folder / "from", target(folder)};
	};
	return op;
}

// A thumbnail stream as the worker makes it.
std::string
ThumbnailBytes(size_t size)
{
	return "\xff\xd8" + std::string(size - 2, 't');
}

// The worker's side-file write: a side file replaced whole, never written
// through a link at its name.
Operation
SideFileWrite(bool overLink)
{
	Operation op;
	op.name = overLink ? "side file over a link to the image" : "side file";
	op.prepare = [=](const std::string& folder) {
		MakePhoto(folder / "a.jpg", 0x336699, "keep");
		if (overLink)
			EXPECT_EQ(symlink("a.jpg", (folder / "a.jpg.gth").c_str()), 0);
		else
			WriteFile(folder / "a.jpg.gth", "old thumbnail");
		return Paths{folder / "a.jpg", folder / "a.jpg.gth"};
	};
	op.run = [=](const std::string& folder) {
		std::string bytes = ThumbnailBytes(3000);
		std::string image = folder / "a.jpg";
		BFile file(image.c_str(), B_READ_ONLY);
		BSafeFile side(glim::side_file_path(image.c_str()).c_str());
		if (side.InitCheck() == B_OK
			&& glim::store_thumbnail(&side, bytes.data(), bytes.size(), false, image.c_str(),
				160))
			side.Commit();
	};
	op.check = [=](const std::string& folder, const std::vector<Snapshot>& before, bool,
				   bool clean) {
		EXPECT_EQ(Take(folder / "a.jpg"), before[0]) << "the image changed";
		Snapshot side = Take(folder / "a.jpg.gth");
		bool isNew = side.exists && !side.isLink && side.bytes == ThumbnailBytes(3000);
		EXPECT_TRUE(side == before[1] || isNew) << "side file " << Describe(side);
		EXPECT_TRUE(isNew || !clean);
	};
	return op;
}

// The thumbnail attributes written onto an image that carries older ones.
// With a stream too large for the attributes (ext4 keeps about 4 KB) the
// side file takes it and the old stream must go with it.
Operation
AttributeWrite(size_t streamSize)
{
	Operation op;
	op.name = streamSize > 4096 ? "attribute write overflowing to the side file"
								: "attribute write";
	op.prepare = [=](const std::string& folder) {
		std::string image = folder / "a.jpg";
		MakePhoto(image, 0x336699, "keep");
		int32 size = 1, width = 100;
		EXPECT_EQ(setxattr(image.c_str(), "user.GLIM:Thumbnail", "old", 3, 0), 0);
		EXPECT_EQ(setxattr(image.c_str(), "user.GLIM:Filesize", &size, 4, 0), 0);
		EXPECT_EQ(setxattr(image.c_str(), "user.GLIM:Thumbsize", &width, 4, 0), 0);
		return Paths{image};
	};
	op.run = [=](const std::string& folder) {
		std::string bytes = ThumbnailBytes(streamSize);
		std::string image = folder / "a.jpg";
		BFile file(image.c_str(), B_READ_ONLY);
		glim::store_thumbnail(&file, bytes.data(), bytes.size(), true, image.c_str(), 160);
	};
	op.check = [=](const std::string& folder, const std::vector<Snapshot>& before, bool,
				   bool clean) {
		std::string image = folder / "a.jpg";
		Snapshot now = Take(image);
		EXPECT_EQ(now.bytes, before[0].bytes);
		EXPECT_EQ(now.mode, before[0].mode);
		EXPECT_EQ(now.mtime, before[0].mtime);
		EXPECT_EQ(now.attributes["user.test"], "keep");
		std::string fresh = ThumbnailBytes(streamSize);
		std::string stream = now.attributes.count("user.GLIM:Thumbnail")
			? now.attributes["user.GLIM:Thumbnail"]
			: "(none)";
		Snapshot side = Take(image + ".gth");
		// What the reader would show: the attribute first, else the side file.
		std::string shown = stream != "(none)" ? stream : side.bytes;
		EXPECT_TRUE(stream == "old" || stream == fresh || stream == "(none)");
		EXPECT_TRUE(!side.exists || side.bytes == fresh);
		BFile file(image.c_str(), B_READ_ONLY);
		if (clean || glim::thumbnail_is_current(image.c_str(), file, now.bytes.size(), 160)) {
			EXPECT_EQ(shown, fresh) << "an old thumbnail is taken for the current one";
		}
	};
	return op;
}

// The Remove command: into the home Trash, beside a file of the same name
// already there.
Operation
TrashOperation()
{
	Operation op;
	op.name = "trash";
	op.prepare = [=](const std::string& folder) {
		MakeDirs(folder / "from");
		MakeDirs(folder / "data/Trash/files");
		MakeDirs(folder / "data/Trash/info");
		MakePhoto(folder / "from/a.jpg", 0x336699, "keep");
		MakePhoto(folder / "data/Trash/files/a.jpg", 0x996633, "old");
		WriteFile(folder / "data/Trash/info/a.jpg.trashinfo",
			"[Trash Info]\nPath=/elsewhere/a.jpg\nDeletionDate=2001-02-03T00:00:00\n");
		return Paths{folder / "from/a.jpg", folder / "data/Trash/files/a.jpg"};
	};
	op.run = [=](const std::string& folder) {
		setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
		std::string reason;
		glim::move_to_trash((folder / "from/a.jpg").c_str(), reason);
	};
	op.check = [=](const std::string& folder, const std::vector<Snapshot>& before, bool crashed,
				   bool clean) {
		Snapshot source = Take(folder / "from/a.jpg");
		Snapshot trashed = Take(folder / "data/Trash/files/a.2.jpg");
		bool hasInfo = Exists(folder / "data/Trash/info/a.2.jpg.trashinfo");
		EXPECT_EQ(Take(folder / "data/Trash/files/a.jpg"), before[1]);
		EXPECT_TRUE(Exists(folder / "data/Trash/info/a.jpg.trashinfo"));
		bool stayed = source == before[0] && !trashed.exists && (crashed || !hasInfo);
		bool wentWhole = !source.exists && SameFile(trashed, before[0]) && hasInfo;
		EXPECT_TRUE(clean ? wentWhole : stayed || wentWhole)
			<< "source " << Describe(source) << ", in the Trash " << Describe(trashed)
			<< (hasInfo ? " with" : " without") << " its info";
	};
	op.folders = [](const std::string& folder) {
		return Paths{folder / "from", folder / "data/Trash/files"};
	};
	return op;
}

} // namespace

TEST_F(FileSafetyTest, AMoveOnOneVolumeNeverLosesTheFile)
{
	Walk(MoveOrCopy("move on one volume", "", false), fDir.Path());
}

TEST_F(FileSafetyTest, ACopyNeverTouchesTheSourceAndPlacesOnlyWholeFiles)
{
	Walk(MoveOrCopy("copy", "", true), fDir.Path());
}

TEST_F(FileSafetyTest, AMoveAcrossVolumesRemovesTheSourceOnlyAfterAWholeCopy)
{
	if (!CanMount())
		GTEST_SKIP() << "mounting needs root";
	std::string volume = Mount(fDir.Path(), "tmpfs", "size=16m");
	ASSERT_FALSE(volume.empty());
	Walk(MoveOrCopy("move across volumes", volume, false), fDir.Path());
	Unmount(volume);
}

TEST_F(FileSafetyTest, ASideFileIsReplacedWholeAndNeverThroughALink)
{
	Walk(SideFileWrite(false), fDir / "plain");
	Walk(SideFileWrite(true), fDir / "link");
}

TEST_F(FileSafetyTest, AttributeWritesNeverLeaveAnOldThumbnailTakenForCurrent)
{
	Walk(AttributeWrite(2000), fDir / "fits");
	// ext4 keeps about 4 KB of attributes per file: a larger stream goes to
	// the side file.
	Walk(AttributeWrite(12000), fDir / "overflows");
}

TEST_F(FileSafetyTest, TrashingNeverLosesTheFileOrItsNeighbour)
{
	ScopedVariable dataHome("XDG_DATA_HOME", getenv("XDG_DATA_HOME"));
	Walk(TrashOperation(), fDir.Path());
}

TEST_F(FileSafetyTest, SaveAsReplacesWholeOrNotAtAll)
{
	ForgetSettings();
	std::unique_ptr<TestApp> app(new TestApp);
	MakeDirs(fDir / "src");
	std::string source = fDir / "src/shown.jpg";
	MakePhoto(source, 0x336699, "keep");
	BViewerWin* window = OpenWindow(source, false);
	Settle([&] { return window->CurrentIndex() == 0 && !window->WorkerRunning(); });
	window->Lock();
	// Taken once the worker has stored its thumbnail on it.
	Snapshot shown = Take(source);
	window->SaveAs(false);
	BMessage chosen(MSG_SAVE_TYPE);
	chosen.AddInt32("glim:filetype", (int32)'PNG ');
	window->MessageReceived(&chosen);

	auto fresh = std::make_shared<std::string>();
	Operation op;
	op.name = "Save As";
	op.prepare = [=](const std::string& folder) {
		WriteFile(folder / "b.png", "the earlier b.png");
		chmod((folder / "b.png").c_str(), 0640);
		return Paths{folder / "b.png"};
	};
	op.run = [=](const std::string& folder) {
		BDirectory target(folder.c_str());
		window->SaveTo(&target, "b.png");
	};
	op.check = [=](const std::string& folder, const std::vector<Snapshot>& before, bool,
				   bool clean) {
		EXPECT_EQ(Take(source), shown) << "the source changed";
		Snapshot target = Take(folder / "b.png");
		if (clean) {
			*fresh = target.bytes;
			EXPECT_EQ(target.bytes.compare(1, 3, "PNG"), 0);
		}
		bool whole = target.bytes == *fresh && (target.mode & 07777) == 0640;
		EXPECT_TRUE(target == before[0] || whole) << "b.png " << Describe(target);
	};
	Walk(op, fDir / "saves");
	EXPECT_FALSE(app->fAlerts.empty());
	window->Unlock();
	CloseAllWindows();
	app.reset();
}
