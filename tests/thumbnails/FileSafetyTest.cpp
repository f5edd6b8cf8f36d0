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

#include <dirent.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <Bitmap.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Message.h>
#include <SafeFile.h>

#include <gtest/gtest.h>

#include "FaultEnv.h"
#include "TestSupport.h"
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
	struct timespec mtime = {0, 0};
	std::map<std::string, std::string> attributes;

	bool operator==(const Snapshot& other) const
	{
		return exists == other.exists && isLink == other.isLink && bytes == other.bytes
			&& mode == other.mode && mtime.tv_sec == other.mtime.tv_sec
			&& mtime.tv_nsec == other.mtime.tv_nsec && attributes == other.attributes;
	}
	bool operator!=(const Snapshot& other) const { return !(*this == other); }
};

Snapshot
Take(const std::string& path)
{
	Snapshot snapshot;
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		return snapshot;
	snapshot.exists = true;
	snapshot.isLink = S_ISLNK(st.st_mode);
	snapshot.mode = st.st_mode;
	snapshot.mtime = st.st_mtim;
	if (snapshot.isLink)
		return snapshot;
	std::vector<char> bytes = ReadFile(path);
	snapshot.bytes.assign(bytes.begin(), bytes.end());
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
SameFile(const Snapshot& a, const Snapshot& b)
{
	return a.exists && b.exists && a.bytes == b.bytes && (a.mode & 07777) == (b.mode & 07777)
		&& a.mtime.tv_sec == b.mtime.tv_sec && a.mtime.tv_nsec == b.mtime.tv_nsec
		&& a.attributes == b.attributes;
}

std::string
Describe(const Snapshot& s)
{
	if (!s.exists)
		return "(absent)";
	return std::to_string(s.bytes.size()) + " bytes, mode " + std::to_string(s.mode & 07777)
		+ ", " + std::to_string(s.attributes.size()) + " attributes";
}

// What a folder read lists as images: every entry but side files and the
// safe-write module's temporaries that a translator recognises.
std::vector<std::string>
ListedImages(const std::string& folder)
{
	std::vector<std::string> images;
	DIR* dir = opendir(folder.c_str());
	if (dir == NULL)
		return images;
	while (struct dirent* entry = readdir(dir)) {
		std::string name = entry->d_name;
		if (name == "." || name == ".." || glim::is_side_file(name.c_str())
			|| is_safe_file_temporary(name.c_str()))
			continue;
		BFile file((folder / name).c_str(), B_READ_ONLY);
		if (file.InitCheck() == B_OK && glim::is_image(file))
			images.push_back(name);
	}
	closedir(dir);
	return images;
}

// Temporaries the safe-write module left in folder.
int
CountTemporaries(const std::string& folder)
{
	int count = 0;
	DIR* dir = opendir(folder.c_str());
	while (struct dirent* entry = dir != NULL ? readdir(dir) : NULL)
		count += is_safe_file_temporary(entry->d_name) ? 1 : 0;
	if (dir != NULL)
		closedir(dir);
	return count;
}

// Makes every temporary in folder two minutes old, as after a crash long
// ago.
void
AgeTemporaries(const std::string& folder)
{
	DIR* dir = opendir(folder.c_str());
	while (struct dirent* entry = dir != NULL ? readdir(dir) : NULL) {
		if (!is_safe_file_temporary(entry->d_name))
			continue;
		struct timespec times[2] = {{time(NULL) - 120, 0}, {time(NULL) - 120, 0}};
		utimensat(dirfd(dir), entry->d_name, times, AT_SYMLINK_NOFOLLOW);
	}
	if (dir != NULL)
		closedir(dir);
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

// One operation under test: prepare makes a fresh source and target in a
// case folder, run does the operation, check asserts the invariants; the
// folders whose listings must show no half-written image are given by
// folders.
struct Operation {
	const char* name;
	std::function<void(const std::string& caseFolder)> prepare;
	std::function<void(const std::string& caseFolder)> run;
	std::function<void(const std::string& caseFolder, bool crashed)> check;
	std::function<std::vector<std::string>(const std::string& caseFolder)> folders;
};

class FileSafetyTest : public testing::Test {
protected:
	// Runs op once unharmed to count its steps, then once per step and
	// fault. Returns the number of cases in which a fault was met.
	int Walk(const Operation& op, const std::string& root)
	{
		int steps = 0;
		{
			std::string folder = root / "clean";
			MakeDirs(folder);
			op.prepare(folder);
			FaultEnv env;
			op.run(folder);
			steps = env.Steps();
			op.check(folder, false);
		}
		EXPECT_GT(steps, 2) << op.name;
		int cases = 0;
		for (int step = 1; step <= steps; step++) {
			for (Fault fault : kFaults) {
				std::string folder = root
					/ (std::to_string(step) + "-" + std::to_string((int)fault));
				MakeDirs(folder);
				op.prepare(folder);
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
				op.check(folder, fault == Fault::kCrashAfter);
				if (HasFatalFailure())
					return cases;
				for (const std::string& listed : op.folders(folder)) {
					if (fault != Fault::kCrashAfter) {
						EXPECT_EQ(CountTemporaries(listed), 0) << listed;
					}
					// What is listed is whole; stale temporaries are swept.
					for (const std::string& image : ListedImages(listed)) {
						BFile file((listed / image).c_str(), B_READ_ONLY);
						std::unique_ptr<BBitmap> decoded(glim::decode_image(&file));
						EXPECT_TRUE(decoded != NULL) << image;
					}
					AgeTemporaries(listed);
					remove_stale_temporaries(listed.c_str());
					EXPECT_EQ(CountTemporaries(listed), 0) << listed;
				}
			}
		}
		printf("%s: %d steps, %d faulted cases\n", op.name, steps, cases);
		EXPECT_GT(cases, steps) << op.name;
		return cases;
	}

	TempDir fDir{"safety"};
};

// Source intact where it was and the target as before, or the source moved
// whole with its metadata; across volumes, when the copy was in place before
// the failure or crash, both may stay.
void
CheckMove(const Snapshot& source0, const Snapshot& target0, const std::string& from,
	const std::string& to, bool bothMayStay)
{
	Snapshot source = Take(from);
	Snapshot target = Take(to);
	bool notMoved = source == source0 && target == target0;
	bool moved = !source.exists && SameFile(target, source0);
	bool both = bothMayStay && source == source0 && SameFile(target, source0);
	EXPECT_TRUE(notMoved || moved || both)
		<< "source " << Describe(source) << ", target " << Describe(target);
}

// A source photo and an older file of the same name at the target.
struct Pair {
	Snapshot source;
	Snapshot target;
};

Operation
MoveOrCopy(const char* name, std::string targetRoot, bool copy)
{
	auto before = std::make_shared<std::map<std::string, Pair>>();
	auto targetFolder = [targetRoot](const std::string& folder) {
		if (targetRoot.empty())
			return folder / "to";
		return targetRoot / folder.substr(folder.rfind('/') + 1);
	};
	Operation op;
	op.name = name;
	op.prepare = [=](const std::string& folder) {
		MakeDirs(folder / "from");
		MakeDirs(targetFolder(folder));
		MakePhoto(folder / "from" / "a.jpg", 0x336699, "keep");
		MakePhoto(targetFolder(folder) / "a.jpg", 0x996633, "old");
		(*before)[folder] = {Take(folder / "from" / "a.jpg"),
			Take(targetFolder(folder) / "a.jpg")};
	};
	op.run = [=](const std::string& folder) {
		std::string from = folder / "from" / "a.jpg";
		if (copy) {
			copy_file(from.c_str(), (targetFolder(folder) / "a.jpg").c_str(), true);
			return;
		}
		BEntry entry(from.c_str(), false);
		BDirectory target(targetFolder(folder).c_str());
		entry.MoveTo(&target, "a.jpg", true);
	};
	op.check = [=](const std::string& folder, bool) {
		const Pair& pair = (*before)[folder];
		std::string from = folder / "from" / "a.jpg";
		std::string to = targetFolder(folder) / "a.jpg";
		if (copy) {
			EXPECT_EQ(Take(from), pair.source) << "the source of a copy changed";
			Snapshot target = Take(to);
			EXPECT_TRUE(target == pair.target || SameFile(target, pair.source))
				<< "target " << Describe(target);
		} else
			CheckMove(pair.source, pair.target, from, to, !targetRoot.empty());
		if (folder.size() > 6 && folder.compare(folder.size() - 6, 6, "/clean") == 0) {
			EXPECT_FALSE(copy ? false : Take(from).exists);
			EXPECT_TRUE(SameFile(Take(to), pair.source)) << "the clean run did not finish";
		}
	};
	op.folders = [=](const std::string& folder) {
		return std::vector<std::string>{folder / "from", targetFolder(folder)};
	};
	return op;
}

bool
IsClean(const std::string& folder)
{
	return folder.size() > 6 && folder.compare(folder.size() - 6, 6, "/clean") == 0;
}

// A thumbnail stream as the worker makes it.
std::vector<char>
ThumbnailBytes(size_t size)
{
	std::vector<char> bytes(size);
	for (size_t i = 0; i < size; i++)
		bytes[i] = (char)(i * 7 + 3);
	bytes[0] = (char)0xff;
	bytes[1] = (char)0xd8;
	return bytes;
}

std::string
Attribute(const std::string& path, const char* name)
{
	char value[65536];
	ssize_t length = lgetxattr(path.c_str(), (std::string("user.") + name).c_str(), value,
		sizeof(value));
	return length < 0 ? std::string("(none)") : std::string(value, length);
}

// The worker's side-file write: a side file replaced whole, never written
// through a link at its name.
Operation
SideFileWrite(bool overLink)
{
	auto before = std::make_shared<std::map<std::string, Pair>>();
	Operation op;
	op.name = overLink ? "side file over a link to the image" : "side file";
	op.prepare = [=](const std::string& folder) {
		MakePhoto(folder / "a.jpg", 0x336699, "keep");
		if (overLink)
			ASSERT_EQ(symlink("a.jpg", (folder / "a.jpg.gth").c_str()), 0);
		else
			WriteFile(folder / "a.jpg.gth", "old thumbnail");
		(*before)[folder] = {Take(folder / "a.jpg"), Take(folder / "a.jpg.gth")};
	};
	op.run = [=](const std::string& folder) {
		std::vector<char> bytes = ThumbnailBytes(3000);
		std::string image = folder / "a.jpg";
		BFile file(image.c_str(), B_READ_ONLY);
		BSafeFile side(glim::side_file_path(image.c_str()).c_str());
		if (side.InitCheck() == B_OK
			&& glim::store_thumbnail(&side, bytes.data(), bytes.size(), false, image.c_str(),
				160))
			side.Commit();
	};
	op.check = [=](const std::string& folder, bool) {
		const Pair& pair = (*before)[folder];
		EXPECT_EQ(Take(folder / "a.jpg"), pair.source) << "the image changed";
		Snapshot side = Take(folder / "a.jpg.gth");
		std::vector<char> bytes = ThumbnailBytes(3000);
		bool isNew = side.exists && !side.isLink
			&& side.bytes == std::string(bytes.begin(), bytes.end());
		EXPECT_TRUE(side == pair.target || isNew) << "side file " << Describe(side);
		if (IsClean(folder)) {
			EXPECT_TRUE(isNew);
		}
	};
	op.folders = [](const std::string& folder) { return std::vector<std::string>{folder}; };
	return op;
}

// The thumbnail attributes written onto an image that carries older ones.
// With a stream too large for the attributes (ext4 keeps about 4 KB) the
// side file takes it and the old stream must go with it.
Operation
AttributeWrite(size_t streamSize)
{
	auto before = std::make_shared<std::map<std::string, Pair>>();
	Operation op;
	op.name = streamSize > 4096 ? "attribute write overflowing to the side file"
								: "attribute write";
	op.prepare = [=](const std::string& folder) {
		std::string image = folder / "a.jpg";
		MakePhoto(image, 0x336699, "keep");
		int32 size = 1, width = 100;
		ASSERT_EQ(setxattr(image.c_str(), "user.GLIM:Thumbnail", "old", 3, 0), 0);
		ASSERT_EQ(setxattr(image.c_str(), "user.GLIM:Filesize", &size, 4, 0), 0);
		ASSERT_EQ(setxattr(image.c_str(), "user.GLIM:Thumbsize", &width, 4, 0), 0);
		struct timespec times[2] = {{981158400, 0}, {981158400, 123456789}};
		ASSERT_EQ(utimensat(AT_FDCWD, image.c_str(), times, 0), 0);
		(*before)[folder] = {Take(image), Snapshot()};
	};
	op.run = [=](const std::string& folder) {
		std::vector<char> bytes = ThumbnailBytes(streamSize);
		std::string image = folder / "a.jpg";
		BFile file(image.c_str(), B_READ_ONLY);
		glim::store_thumbnail(&file, bytes.data(), bytes.size(), true, image.c_str(), 160);
	};
	op.check = [=](const std::string& folder, bool) {
		const Pair& pair = (*before)[folder];
		std::string image = folder / "a.jpg";
		Snapshot now = Take(image);
		EXPECT_EQ(now.bytes, pair.source.bytes);
		EXPECT_EQ(now.mode, pair.source.mode);
		EXPECT_EQ(now.mtime.tv_nsec, pair.source.mtime.tv_nsec);
		EXPECT_EQ(Attribute(image, "test"), "keep");
		std::vector<char> bytes = ThumbnailBytes(streamSize);
		std::string fresh(bytes.begin(), bytes.end());
		std::string stream = Attribute(image, "GLIM:Thumbnail");
		Snapshot side = Take(image + ".gth");
		// What the reader would show: the attribute first, else the side file.
		std::string shown = stream != "(none)" ? stream : side.bytes;
		EXPECT_TRUE(stream == "old" || stream == fresh || stream == "(none)");
		EXPECT_TRUE(!side.exists || side.bytes == fresh);
		BFile file(image.c_str(), B_READ_ONLY);
		if (glim::thumbnail_is_current(image.c_str(), file, now.bytes.size(), 160)) {
			EXPECT_EQ(shown, fresh) << "an old thumbnail is taken for the current one";
		}
		if (IsClean(folder)) {
			EXPECT_EQ(shown, fresh);
		}
	};
	op.folders = [](const std::string& folder) { return std::vector<std::string>{folder}; };
	return op;
}

// The Remove command: into the home Trash, beside a file of the same name
// already there.
Operation
TrashOperation()
{
	auto before = std::make_shared<std::map<std::string, Pair>>();
	Operation op;
	op.name = "trash";
	op.prepare = [=](const std::string& folder) {
		MakeDirs(folder / "from");
		MakeDirs(folder / "data/Trash/files");
		MakeDirs(folder / "data/Trash/info");
		MakePhoto(folder / "from" / "a.jpg", 0x336699, "keep");
		MakePhoto(folder / "data/Trash/files/a.jpg", 0x996633, "old");
		WriteFile(folder / "data/Trash/info/a.jpg.trashinfo",
			"[Trash Info]\nPath=/elsewhere/a.jpg\nDeletionDate=2001-02-03T00:00:00\n");
		(*before)[folder] = {Take(folder / "from" / "a.jpg"),
			Take(folder / "data/Trash/files/a.jpg")};
	};
	op.run = [=](const std::string& folder) {
		setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
		std::string reason;
		glim::move_to_trash((folder / "from" / "a.jpg").c_str(), reason);
	};
	op.check = [=](const std::string& folder, bool crashed) {
		const Pair& pair = (*before)[folder];
		Snapshot source = Take(folder / "from" / "a.jpg");
		Snapshot trashed = Take(folder / "data/Trash/files/a.2.jpg");
		bool hasInfo = Exists(folder / "data/Trash/info/a.2.jpg.trashinfo");
		EXPECT_EQ(Take(folder / "data/Trash/files/a.jpg"), pair.target);
		EXPECT_TRUE(Exists(folder / "data/Trash/info/a.jpg.trashinfo"));
		bool stayed = source == pair.source && !trashed.exists && (crashed || !hasInfo);
		bool wentWhole = !source.exists && SameFile(trashed, pair.source) && hasInfo;
		EXPECT_TRUE(stayed || wentWhole)
			<< "source " << Describe(source) << ", in the Trash " << Describe(trashed)
			<< (hasInfo ? " with" : " without") << " its info";
		if (IsClean(folder)) {
			EXPECT_TRUE(wentWhole);
		}
	};
	op.folders = [](const std::string& folder) {
		return std::vector<std::string>{folder / "from", folder / "data/Trash/files"};
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
	Walk(SideFileWrite(false), fDir.Path() / "plain");
	Walk(SideFileWrite(true), fDir.Path() / "link");
}

TEST_F(FileSafetyTest, AttributeWritesNeverLeaveAnOldThumbnailTakenForCurrent)
{
	Walk(AttributeWrite(2000), fDir.Path() / "fits");
	// ext4 keeps about 4 KB of attributes per file: a larger stream goes to
	// the side file.
	Walk(AttributeWrite(12000), fDir.Path() / "overflows");
}

TEST_F(FileSafetyTest, TrashingNeverLosesTheFileOrItsNeighbour)
{
	std::string dataHome = getenv("XDG_DATA_HOME");
	Walk(TrashOperation(), fDir.Path());
	setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
}

TEST_F(FileSafetyTest, SaveAsReplacesWholeOrNotAtAll)
{
	ForgetSettings();
	std::unique_ptr<TestApp> app(new TestApp);
	MakeDirs(fDir / "src");
	MakePhoto(fDir / "src" / "shown.jpg", 0x336699, "keep");
	BViewerWin* window = new BViewerWin(BRect(80, 80, 579, 479),
		(fDir / "src" / "shown.jpg").c_str(), false);
	window->Show();
	Settle([&] { return window->CurrentIndex() == 0; });
	Settle([&] { return !window->WorkerRunning(); });
	window->Lock();
	// Taken once the worker has stored its thumbnail on it.
	Snapshot shown = Take(fDir / "src" / "shown.jpg");
	window->SaveAs(false);
	BMessage chosen(MSG_SAVE_TYPE);
	chosen.AddInt32("glim:filetype", (int32)'PNG ');
	window->MessageReceived(&chosen);

	auto before = std::make_shared<std::map<std::string, Snapshot>>();
	auto fresh = std::make_shared<std::string>();
	Operation op;
	op.name = "Save As";
	op.prepare = [=](const std::string& folder) {
		WriteFile(folder / "b.png", "the earlier b.png");
		chmod((folder / "b.png").c_str(), 0640);
		(*before)[folder] = Take(folder / "b.png");
	};
	op.run = [=](const std::string& folder) {
		BDirectory target(folder.c_str());
		window->SaveTo(&target, "b.png");
	};
	op.check = [=, this](const std::string& folder, bool) {
		EXPECT_EQ(Take(fDir / "src" / "shown.jpg"), shown) << "the source changed";
		Snapshot target = Take(folder / "b.png");
		if (IsClean(folder)) {
			*fresh = target.bytes;
			EXPECT_EQ(target.bytes.compare(1, 3, "PNG"), 0);
		}
		bool old = target == (*before)[folder];
		bool whole = target.bytes == *fresh && (target.mode & 07777) == 0640;
		EXPECT_TRUE(old || whole) << "b.png " << Describe(target);
	};
	op.folders = [](const std::string& folder) { return std::vector<std::string>{folder}; };
	Walk(op, fDir.Path() / "saves");
	EXPECT_FALSE(app->fAlerts.empty());
	window->Unlock();
	CloseAllWindows();
	app.reset();
}
