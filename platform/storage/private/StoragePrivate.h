#ifndef _STORAGE_PRIVATE_H
#define _STORAGE_PRIVATE_H

// Helpers shared by the storage kit's classes. Not platform API: the system's
// code does not use them. Paths are bytes throughout.

#include <iosfwd>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

#include <SupportDefs.h>

struct entry_ref;

namespace BPrivate {

// Owns one file descriptor and closes it when it dies.
class FileDescriptor {
public:
	FileDescriptor() :
		fFD(-1)
	{
	}
	explicit FileDescriptor(int fd) :
		fFD(fd)
	{
	}
	FileDescriptor(FileDescriptor&& other) noexcept :
		fFD(other.Release())
	{
	}
	~FileDescriptor() { Reset(); }

	FileDescriptor& operator=(FileDescriptor&& other) noexcept;

	int Get() const { return fFD; }
	bool IsValid() const { return fFD >= 0; }
	int Release();
	void Reset(int fd = -1);

private:
	FileDescriptor(const FileDescriptor&) = delete;
	FileDescriptor& operator=(const FileDescriptor&) = delete;

	int fFD;
};

// errno of the last failed call as a status.
status_t last_error();

// Paths as bytes. absolute_path() prepends the working folder to a relative
// path ("" when that cannot be had); join_path() treats the leaf "." as the
// folder itself.
std::string absolute_path(const char* path);
std::string join_path(const std::string& folder, const std::string& leaf);
std::string parent_of(const std::string& path);
std::string leaf_of(const std::string& path);
// realpath() into a string; false with errno set on failure.
bool real_path(const std::string& path, std::string& _resolved);

// Splits path into the real path of the folder that holds it (links in the
// folder part resolved) and its leaf name. The leaf need not exist; its
// folder must. "/" gives ("/", "."); leaves "." and ".." are resolved. With
// traverse, a leaf that is a link is followed to the entry it names.
status_t resolve_entry(const char* path, bool traverse, std::string& _folder,
	std::string& _leaf);

// The path of an entry_ref: its folder path and name. Fails when the ref
// carries no folder path or the folder at that path is no longer the node
// the ref names.
status_t path_for_ref(const entry_ref* ref, std::string& _path);

// "/proc/self/fd/N": reaches the node behind an O_PATH descriptor.
std::string proc_fd_path(int fd);

// The node flavour (B_FILE_NODE, ...) of a stat mode.

// Moves the entry at from to to. Without clobber an existing target fails
// with B_FILE_EXISTS. Across devices, files and links are copied then the
// source removed, only once the copy is complete and in place; folders fail
// with B_CROSS_DEVICE_LINK.
status_t move_entry(const std::string& from, const std::string& to, bool clobber);

// The freedesktop home trash: $XDG_DATA_HOME/Trash (~/.local/share/Trash),
// whether it exists or not.
std::string home_trash_folder();

// When folder is a freedesktop trash "files" folder (the home trash or a
// volume's .Trash-<uid>), gives its "info" folder and the prefix to strip
// from original paths (empty for the home trash, whose paths are absolute).
bool trash_info_folder(const std::string& folder, std::string& _infoFolder,
	std::string& _topFolder);

// Writes <infoFolder>/<name>.trashinfo for an entry that was at
// originalPath. Without replace an existing info file fails with
// B_FILE_EXISTS.
status_t write_trash_info(const std::string& infoFolder, const std::string& name,
	const std::string& originalPath, const std::string& topFolder, bool replace);

// Percent-encodes a path for a .trashinfo file: unreserved characters and
// "/" stay, every other byte becomes %XX.
std::string percent_encode_path(const std::string& path);

// Whole small files (a .trashinfo), for putting one back after a failure.
std::vector<char> read_small_file(const std::string& path);
bool write_small_file(const std::string& path, const std::vector<char>& data);

// One mounted file system from /proc/self/mountinfo, escapes decoded.
struct MountEntry {
	unsigned major = 0;
	unsigned minor = 0;
	std::string root;
	std::string mountPoint;
	std::string options;
	std::string fileSystem;
	std::string source;
	std::string superOptions;
};

// The mounts of a table in the form of /proc/self/mountinfo that may be
// volumes, in mount order, without those hidden by a later mount on the
// same point. Lines that do not read are left out.
std::vector<MountEntry> parse_mount_table(std::istream& input);

// The mounts that count as volumes, in mount order, each mount point once
// (a later mount over the same point hides the earlier one). The device of
// each is the st_dev of its mount point; each device appears once.
struct VolumeEntry {
	dev_t device;
	MountEntry mount;
};
std::vector<VolumeEntry> read_volumes();
// The volume of a device; false when no volume has it.
bool find_volume(dev_t device, VolumeEntry& _volume);
// The volume whose mount point is the longest prefix of an absolute path.
bool find_volume_for_path(const std::string& path, VolumeEntry& _volume);

// A device missing from the mount table (in a chroot or some containers the
// table lists only mounts outside the process's root): the volume is made
// from a path known to be on the device ("/", the home and working folders,
// or one the storage kit met), its root the highest folder on that device,
// and statfs() tells the file system. False for kernel file systems.
bool find_unlisted_volume(dev_t device, VolumeEntry& _volume);
// Remembers a path on its device for find_unlisted_volume().
void note_device_path(dev_t device, const std::string& path);

// For tests: read the mount table from another file ("" for the process's
// own).
void set_mount_table_path(const std::string& path);

} // namespace BPrivate

#endif
