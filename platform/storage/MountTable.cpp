// The volumes: mounted file systems that hold files, from
// /proc/self/mountinfo.

#include "StoragePrivate.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace BPrivate {

// File systems that describe the kernel or the session rather than hold a
// user's files.
static const char* const kPseudoFileSystems[] = {"proc", "sysfs", "cgroup", "cgroup2", "devpts",
	"mqueue", "debugfs", "tracefs", "securityfs", "pstore", "bpf", "configfs", "fusectl",
	"binfmt_misc", "autofs", "hugetlbfs", "devtmpfs", "efivarfs", "nsfs", "rpc_pipefs", "nfsd",
	"selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "sockfs", "pipefs", NULL};

static std::mutex sTableLock;
static std::string sTablePath = "/proc/self/mountinfo";
static std::map<dev_t, std::string> sDevicePaths;

// Mountinfo escapes space, tab, newline and backslash as \ooo.
static std::string
decode_field(const std::string& field)
{
	std::string decoded;
	for (size_t i = 0; i < field.size(); i++) {
		if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0'
			&& field[i + 1] <= '3') {
			decoded += (char)((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8
				+ (field[i + 3] - '0'));
			i += 3;
		} else {
			decoded += field[i];
		}
	}
	return decoded;
}

static bool
parse_line(const std::string& line, MountEntry& _entry)
{
	std::istringstream stream(line);
	std::string id, parent, device, root, mountPoint, options, field;
	if (!(stream >> id >> parent >> device >> root >> mountPoint >> options))
		return false;
	// Optional fields up to the separator "-".
	while (stream >> field && field != "-") {
	}
	std::string fileSystem, source, superOptions;
	if (field != "-" || !(stream >> fileSystem >> source))
		return false;
	stream >> superOptions;

	if (sscanf(device.c_str(), "%u:%u", &_entry.major, &_entry.minor) != 2)
		return false;
	_entry.root = decode_field(root);
	_entry.mountPoint = decode_field(mountPoint);
	_entry.options = options;
	_entry.fileSystem = decode_field(fileSystem);
	_entry.source = decode_field(source);
	_entry.superOptions = superOptions;
	return true;
}

static bool
is_under(const std::string& path, const char* folder)
{
	size_t length = strlen(folder);
	return path.compare(0, length, folder) == 0
		&& (path.size() == length || path[length] == '/');
}

// Pseudo file systems never count; nor does anything under /proc, /sys and
// /dev, nor memory file systems under /run (the session's runtime files).
// Other memory file systems (a tmpfs on /tmp or mounted by hand) count.
static bool
is_volume_mount(const MountEntry& entry)
{
	for (int i = 0; kPseudoFileSystems[i] != NULL; i++) {
		if (entry.fileSystem == kPseudoFileSystems[i])
			return false;
	}
	if (is_under(entry.mountPoint, "/proc") || is_under(entry.mountPoint, "/sys")
		|| is_under(entry.mountPoint, "/dev"))
		return false;
	bool inMemory = entry.fileSystem == "tmpfs" || entry.fileSystem == "ramfs";
	return !(inMemory && is_under(entry.mountPoint, "/run"));
}

static std::string
table_path()
{
	std::lock_guard<std::mutex> guard(sTableLock);
	return sTablePath;
}

// Whether any mount of the table, volume or not, has the device.
static bool
listed_device(dev_t device)
{
	std::ifstream file(table_path());
	std::string line;
	while (std::getline(file, line)) {
		MountEntry entry;
		if (parse_line(line, entry) && makedev(entry.major, entry.minor) == device)
			return true;
	}
	return false;
}

std::vector<MountEntry>
parse_mount_table(std::istream& input)
{
	std::vector<MountEntry> mounts;
	std::string line;
	while (std::getline(input, line)) {
		MountEntry entry;
		if (!parse_line(line, entry))
			continue;
		for (auto it = mounts.begin(); it != mounts.end(); ++it) {
			if (it->mountPoint == entry.mountPoint) {
				mounts.erase(it);
				break;
			}
		}
		if (is_volume_mount(entry))
			mounts.push_back(entry);
	}
	return mounts;
}

// Nothing is stat()ed yet: that could wake an automounter or hang on a
// lost network server.
static std::vector<MountEntry>
candidate_mounts()
{
	std::ifstream file(table_path());
	return parse_mount_table(file);
}

static bool
mount_device(const MountEntry& entry, dev_t& _device)
{
	struct stat st;
	if (stat(entry.mountPoint.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
		return false;
	_device = st.st_dev;
	return true;
}

std::vector<VolumeEntry>
read_volumes()
{
	std::vector<VolumeEntry> volumes;
	for (const MountEntry& entry : candidate_mounts()) {
		dev_t device;
		if (!mount_device(entry, device))
			continue;
		bool known = false;
		for (const VolumeEntry& volume : volumes)
			known = known || volume.device == device;
		if (!known)
			volumes.push_back(VolumeEntry{device, entry});
	}
	return volumes;
}

// The first volume in mount order with that device, as read_volumes()
// would list it. A file system on a block device has that device's number
// as its st_dev, so only anonymous devices (major 0: btrfs, overlay, tmpfs,
// network file systems) need their mount point stat()ed.
bool
find_volume(dev_t device, VolumeEntry& _volume)
{
	for (const MountEntry& entry : candidate_mounts()) {
		if (entry.major != 0 && makedev(entry.major, entry.minor) != device)
			continue;
		dev_t found;
		if (mount_device(entry, found) && found == device) {
			_volume = VolumeEntry{device, entry};
			return true;
		}
	}
	return false;
}

bool
find_volume_for_path(const std::string& path, VolumeEntry& _volume)
{
	bool found = false;
	for (const VolumeEntry& volume : read_volumes()) {
		const std::string& point = volume.mount.mountPoint;
		bool contains = point == "/" || is_under(path, point.c_str());
		if (contains && (!found || point.size() > _volume.mount.mountPoint.size())) {
			_volume = volume;
			found = true;
		}
	}
	return found;
}

void
set_mount_table_path(const std::string& path)
{
	std::lock_guard<std::mutex> guard(sTableLock);
	sTablePath = path.empty() ? "/proc/self/mountinfo" : path;
}

void
note_device_path(dev_t device, const std::string& path)
{
	if (path.empty() || path[0] != '/')
		return;
	std::lock_guard<std::mutex> guard(sTableLock);
	sDevicePaths[device] = path;
}

// Names of the file systems that statfs() reports, as the mount table would
// give them; kernel file systems have none here and are never volumes.
static const char*
file_system_name(__fsword_t type)
{
	static const struct {
		__fsword_t magic;
		const char* name;
	} kNames[] = {{EXT4_SUPER_MAGIC, "ext4"}, {XFS_SUPER_MAGIC, "xfs"},
		{BTRFS_SUPER_MAGIC, "btrfs"}, {TMPFS_MAGIC, "tmpfs"}, {RAMFS_MAGIC, "ramfs"},
		{OVERLAYFS_SUPER_MAGIC, "overlay"}, {NFS_SUPER_MAGIC, "nfs"},
		{F2FS_SUPER_MAGIC, "f2fs"}, {MSDOS_SUPER_MAGIC, "vfat"}, {EXFAT_SUPER_MAGIC, "exfat"},
		{0x5346544e, "ntfs"}, {0x65735546, "fuse"}, {0x2fc12fc1, "zfs"},
		{0xca451a4e, "bcachefs"}, {REISERFS_SUPER_MAGIC, "reiserfs"}, {0x3153464a, "jfs"},
		{SQUASHFS_MAGIC, "squashfs"}, {ISOFS_SUPER_MAGIC, "iso9660"}, {0xff534d42, "cifs"}};
	for (const auto& entry : kNames) {
		if (entry.magic == type)
			return entry.name;
	}
	return "unknown";
}

static bool
is_kernel_file_system(__fsword_t type)
{
	static const __fsword_t kKernel[] = {PROC_SUPER_MAGIC, SYSFS_MAGIC, CGROUP_SUPER_MAGIC,
		CGROUP2_SUPER_MAGIC, DEVPTS_SUPER_MAGIC, DEBUGFS_MAGIC, TRACEFS_MAGIC, SECURITYFS_MAGIC,
		PSTOREFS_MAGIC, BPF_FS_MAGIC, 0x19800202 /* mqueue */, NSFS_MAGIC, BINFMTFS_MAGIC,
		AUTOFS_SUPER_MAGIC, HUGETLBFS_MAGIC, EFIVARFS_MAGIC, SOCKFS_MAGIC, PIPEFS_MAGIC};
	for (__fsword_t magic : kKernel) {
		if (magic == type)
			return true;
	}
	return false;
}

bool
find_unlisted_volume(dev_t device, VolumeEntry& _volume)
{
	if (listed_device(device))
		return false;
	std::vector<std::string> candidates = {"/"};
	if (const char* home = getenv("HOME"))
		candidates.push_back(home);
	char folder[PATH_MAX];
	if (getcwd(folder, sizeof(folder)) != NULL)
		candidates.push_back(folder);
	{
		std::lock_guard<std::mutex> guard(sTableLock);
		auto known = sDevicePaths.find(device);
		if (known != sDevicePaths.end())
			candidates.push_back(known->second);
	}
	for (const std::string& candidate : candidates) {
		struct stat st;
		if (candidate.empty() || stat(candidate.c_str(), &st) != 0 || st.st_dev != device)
			continue;
		// The highest folder still on the device is its root here.
		std::string root = S_ISDIR(st.st_mode) ? candidate : parent_of(candidate);
		while (root != "/") {
			std::string parent = parent_of(root);
			struct stat up;
			if (parent.empty() || stat(parent.c_str(), &up) != 0 || up.st_dev != device)
				break;
			root = parent;
		}
		struct statfs info;
		struct statvfs flags;
		if (statfs(root.c_str(), &info) != 0 || is_kernel_file_system(info.f_type)
			|| statvfs(root.c_str(), &flags) != 0)
			return false;
		MountEntry entry;
		entry.major = major(device);
		entry.minor = minor(device);
		entry.root = "/";
		entry.mountPoint = root;
		entry.fileSystem = file_system_name(info.f_type);
		entry.options = (flags.f_flag & ST_RDONLY) != 0 ? "ro" : "rw";
		_volume = VolumeEntry{device, entry};
		return true;
	}
	return false;
}

} // namespace BPrivate
