#include <Volume.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>

#include <Directory.h>
#include <StorageDefs.h>

#include "StoragePrivate.h"

using namespace BPrivate;

// File systems known to keep user attributes, for when the probe cannot
// tell (the mount point is not readable by the user).
static const char* const kAttributeFileSystems[] = {"ext2", "ext3", "ext4", "xfs", "btrfs",
	"f2fs", "jfs", "reiserfs", "zfs", "bcachefs", "overlay", "tmpfs", "nfs4", "ceph", NULL};

static bool
has_option(const std::string& options, const char* option)
{
	size_t start = 0;
	while (start <= options.size()) {
		size_t end = options.find(',', start);
		if (end == std::string::npos)
			end = options.size();
		if (options.compare(start, end - start, option) == 0)
			return true;
		start = end + 1;
	}
	return false;
}

// udev names labels with \xHH escapes (a space is \x20).
static std::string
decode_label(const std::string& name)
{
	std::string label;
	for (size_t i = 0; i < name.size(); i++) {
		unsigned value;
		if (name.compare(i, 2, "\\x") == 0 && i + 3 < name.size()
			&& sscanf(name.c_str() + i + 2, "%2x", &value) == 1) {
			label += (char)value;
			i += 3;
		} else {
			label += name[i];
		}
	}
	return label;
}

BVolume::BVolume() :
	fDevice((dev_t)-1),
	fStatus(B_NO_INIT),
	fReadOnly(false)
{
}

BVolume::BVolume(dev_t device) :
	BVolume()
{
	SetTo(device);
}

BVolume::BVolume(const BVolume& other) = default;

BVolume::~BVolume() = default;

BVolume& BVolume::operator=(const BVolume& other) = default;

bool
BVolume::operator==(const BVolume& other) const
{
	if (fStatus != B_OK || other.fStatus != B_OK)
		return fStatus != B_OK && other.fStatus != B_OK;
	return fDevice == other.fDevice;
}

status_t
BVolume::SetTo(dev_t device)
{
	Unset();
	VolumeEntry volume;
	if (!find_volume(device, volume) && !find_unlisted_volume(device, volume))
		return fStatus = B_ENTRY_NOT_FOUND;
	fDevice = device;
	fMountPoint = volume.mount.mountPoint;
	fFileSystem = volume.mount.fileSystem;
	fSource = volume.mount.source;
	fReadOnly = has_option(volume.mount.options, "ro")
		|| has_option(volume.mount.superOptions, "ro");
	return fStatus = B_OK;
}

void
BVolume::Unset()
{
	fDevice = (dev_t)-1;
	fStatus = B_NO_INIT;
	fMountPoint.clear();
	fFileSystem.clear();
	fSource.clear();
	fReadOnly = false;
}

status_t
BVolume::InitCheck() const
{
	return fStatus;
}

dev_t
BVolume::Device() const
{
	return fDevice;
}

status_t
BVolume::GetRootDirectory(BDirectory* directory) const
{
	if (directory == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	return directory->SetTo(fMountPoint.c_str());
}

status_t
BVolume::GetName(char* name) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	std::string shown = _Label();
	if (shown.empty())
		shown = fMountPoint == "/" ? std::string("System") : leaf_of(fMountPoint);
	size_t length = std::min(shown.size(), (size_t)B_FILE_NAME_LENGTH - 1);
	memcpy(name, shown.data(), length);
	name[length] = '\0';
	return B_OK;
}

off_t
BVolume::Capacity() const
{
	struct statvfs info;
	if (fStatus != B_OK)
		return fStatus;
	if (statvfs(fMountPoint.c_str(), &info) != 0)
		return last_error();
	return (off_t)info.f_blocks * info.f_frsize;
}

bool
BVolume::IsReadOnly() const
{
	return fStatus == B_OK && fReadOnly;
}

bool
BVolume::KnowsAttr() const
{
	if (fStatus != B_OK)
		return false;
	if (getxattr(fMountPoint.c_str(), "user.glim-attribute-probe", NULL, 0) >= 0
		|| errno == ENODATA)
		return true;
	if (errno == ENOTSUP)
		return false;
	for (int i = 0; kAttributeFileSystems[i] != NULL; i++) {
		if (fFileSystem == kAttributeFileSystems[i])
			return true;
	}
	return false;
}

// The label udev published for the volume's block device, if any.
std::string
BVolume::_Label() const
{
	std::string device;
	if (fSource.compare(0, 5, "/dev/") != 0 || !real_path(fSource, device))
		return "";
	const char* folder = "/dev/disk/by-label";
	DIR* labels = opendir(folder);
	if (labels == NULL)
		return "";
	std::string label;
	while (struct dirent* entry = readdir(labels)) {
		std::string target;
		if (entry->d_name[0] != '.' && real_path(join_path(folder, entry->d_name), target)
			&& target == device) {
			label = decode_label(entry->d_name);
			break;
		}
	}
	closedir(labels);
	return label;
}
