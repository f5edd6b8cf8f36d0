#include <Volume.h>

#include <set>
#include <string>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <Directory.h>
#include <StorageDefs.h>
#include <VolumeRoster.h>

#include "StoragePrivate.h"
#include "TestSupport.h"

using glim_test::TempDir;

namespace {

dev_t
DeviceOf(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? st.st_dev : (dev_t)-1;
}

// Whether the file system really takes a user attribute, by writing one.
bool
TakesAttributes(const std::string& folder)
{
	std::string file = folder + "/probe";
	glim_test::WriteFile(file, "");
	bool takes = setxattr(file.c_str(), "user.probe", "1", 1, 0) == 0;
	unlink(file.c_str());
	return takes;
}

std::string
Name(const BVolume& volume)
{
	char name[B_FILE_NAME_LENGTH];
	return volume.GetName(name) == B_OK ? name : "";
}

// What every volume tells of itself, for the one holding folder.
void
ExpectVolumeOf(const BVolume& volume, const std::string& folder)
{
	ASSERT_EQ(volume.InitCheck(), B_OK);
	EXPECT_EQ(volume.Device(), DeviceOf(folder));
	EXPECT_EQ(volume.KnowsAttr(), TakesAttributes(folder));
	EXPECT_FALSE(Name(volume).empty());
	EXPECT_GT(volume.Capacity(), 0);
	BDirectory root;
	ASSERT_EQ(volume.GetRootDirectory(&root), B_OK);
	EXPECT_EQ(DeviceOf(root._Path()), volume.Device());
}

} // namespace

TEST(VolumeTest, TheTestFolderIsOnAVolume)
{
	TempDir dir;
	BVolume volume(DeviceOf(dir.Path()));
	ExpectVolumeOf(volume, dir.Path());
	EXPECT_FALSE(volume.IsReadOnly());
	BVolume copy(volume);
	EXPECT_TRUE(copy == volume);

	// Kernel file systems are not volumes.
	EXPECT_EQ(BVolume(DeviceOf("/proc")).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BVolume(DeviceOf("/sys")).InitCheck(), B_ENTRY_NOT_FOUND);
	BVolume none;
	BDirectory root;
	EXPECT_EQ(none.InitCheck(), B_NO_INIT);
	EXPECT_FALSE(none.KnowsAttr());
	EXPECT_EQ(none.GetRootDirectory(&root), B_NO_INIT);
}

TEST(VolumeTest, AFileWhoseMountIsNotListedIsStillOnAVolume)
{
	// As in a chroot: the mount table lists only the kernel's file systems.
	TempDir dir;
	std::string table = dir / "mountinfo";
	glim_test::WriteFile(table,
		"22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
		"23 1 0:22 / /sys rw,nosuid - sysfs sysfs rw\n");
	BVolume listed(DeviceOf(dir.Path()));
	ASSERT_EQ(listed.InitCheck(), B_OK);

	BPrivate::set_mount_table_path(table);
	BVolume volume(DeviceOf(dir.Path()));
	BVolume proc(DeviceOf("/proc"));
	BPrivate::set_mount_table_path("");
	ExpectVolumeOf(volume, dir.Path());
	EXPECT_EQ(volume.KnowsAttr(), listed.KnowsAttr());
	EXPECT_EQ(volume.IsReadOnly(), listed.IsReadOnly());
	// Kernel file systems stay no volume.
	EXPECT_EQ(proc.InitCheck(), B_ENTRY_NOT_FOUND);
}

TEST(VolumeTest, RosterListsEachVolumeOnce)
{
	TempDir dir;
	BVolumeRoster roster;
	BVolume volume;
	std::set<dev_t> devices;
	bool sawTestFolder = false;
	while (roster.GetNextVolume(&volume) == B_OK) {
		EXPECT_TRUE(devices.insert(volume.Device()).second);
		EXPECT_FALSE(Name(volume).empty());
		sawTestFolder = sawTestFolder || volume.Device() == DeviceOf(dir.Path());
	}
	EXPECT_TRUE(sawTestFolder);
	EXPECT_FALSE(devices.count(DeviceOf("/proc")));
	EXPECT_EQ(roster.GetNextVolume(&volume), B_BAD_VALUE);
	EXPECT_EQ(roster.GetNextVolume(nullptr), B_BAD_VALUE);

	// After a rewind the volumes come again, each once (other tests running
	// at the same time may mount or unmount one meanwhile).
	roster.Rewind();
	std::set<dev_t> again;
	while (roster.GetNextVolume(&volume) == B_OK)
		EXPECT_TRUE(again.insert(volume.Device()).second);
	EXPECT_TRUE(again.count(DeviceOf(dir.Path())));
}
