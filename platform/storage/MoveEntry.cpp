// Moving entries: rename within a device, copy-then-remove across devices,
// and the freedesktop trash's .trashinfo files.

#include <SafeFile.h>

#include "Env.h"
#include "StoragePrivate.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace BPrivate {

static status_t
write_all(int fd, const char* data, size_t size)
{
	while (size > 0) {
		ssize_t written = env()->Write(fd, data, size);
		if (written < 0 && errno == EINTR)
			continue;
		if (written <= 0)
			return written < 0 ? last_error() : B_IO_ERROR;
		data += written;
		size -= written;
	}
	return B_OK;
}

static void
sync_folder(const std::string& folder)
{
	int fd = env()->Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
	if (fd >= 0) {
		env()->Sync(fd);
		env()->Close(fd);
	}
}

// On one volume a move is a rename: the same inode, with everything it
// carries.
static status_t
place(const std::string& from, const std::string& to, bool clobber)
{
	if (env()->Rename(from.c_str(), to.c_str(), clobber ? 0 : RENAME_NOREPLACE) == 0)
		return B_OK;
	if (clobber || (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP))
		return last_error();
	// A file system without RENAME_NOREPLACE: check, then rename.
	struct stat st;
	if (lstat(to.c_str(), &st) == 0)
		return B_FILE_EXISTS;
	return env()->Rename(from.c_str(), to.c_str(), 0) == 0 ? B_OK : last_error();
}

static std::string
temporary_name(const std::string& folder)
{
	static std::atomic<unsigned> sCounter(0);
	char name[64];
	snprintf(name, sizeof(name), ".glim-move-%d-%u-%lx", (int)getpid(), sCounter++,
		(unsigned long)random());
	return join_path(folder, name);
}

static status_t
move_link_across(const std::string& from, const std::string& to, bool clobber)
{
	std::vector<char> target(256);
	for (;;) {
		ssize_t length = readlink(from.c_str(), target.data(), target.size());
		if (length < 0)
			return last_error();
		if ((size_t)length < target.size()) {
			target.resize(length);
			break;
		}
		target.resize(target.size() * 2);
	}
	target.push_back('\0');

	std::string made = clobber ? temporary_name(parent_of(to)) : to;
	if (symlink(target.data(), made.c_str()) != 0)
		return errno == EEXIST ? B_FILE_EXISTS : last_error();
	if (clobber && env()->Rename(made.c_str(), to.c_str(), 0) != 0) {
		status_t status = last_error();
		unlink(made.c_str());
		return status;
	}
	return env()->Unlink(from.c_str()) == 0 ? B_OK : last_error();
}

status_t
move_entry(const std::string& from, const std::string& to, bool clobber)
{
	status_t status = place(from, to, clobber);
	if (status == B_OK) {
		sync_folder(parent_of(to));
		if (parent_of(to) != parent_of(from))
			sync_folder(parent_of(from));
	}
	if (status != B_CROSS_DEVICE_LINK)
		return status;

	struct stat st;
	if (lstat(from.c_str(), &st) != 0)
		return last_error();
	if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
		return B_CROSS_DEVICE_LINK;
	if (!clobber && lstat(to.c_str(), &st) == 0)
		return B_FILE_EXISTS;
	// Copying is pointless when the source could not be removed afterwards.
	if (access(parent_of(from).c_str(), W_OK | X_OK) != 0)
		return last_error();
	if (S_ISLNK(st.st_mode))
		return move_link_across(from, to, clobber);

	// The copy is complete and on the disk before the source goes; a source
	// that changed while it was copied stays too (B_BUSY), so nothing that
	// was written to it meanwhile is lost.
	status = copy_file(from.c_str(), to.c_str(), clobber);
	if (status != B_OK)
		return status;
	if (env()->Unlink(from.c_str()) != 0)
		return last_error();
	sync_folder(parent_of(from));
	return B_OK;
}

// #pragma mark - trash

bool
trash_info_folder(const std::string& folder, std::string& _infoFolder, std::string& _topFolder)
{
	std::string homeFiles;
	if (real_path(home_trash_folder() + "/files", homeFiles) && homeFiles == folder) {
		_infoFolder = home_trash_folder() + "/info";
		_topFolder.clear();
		return true;
	}
	if (leaf_of(folder) != "files")
		return false;

	// A volume's trash: <top>/.Trash-<uid>/files or <top>/.Trash/<uid>/files.
	std::string trash = parent_of(folder);
	std::string uid = std::to_string(getuid());
	if (leaf_of(trash) == ".Trash-" + uid)
		_topFolder = parent_of(trash);
	else if (leaf_of(trash) == uid && leaf_of(parent_of(trash)) == ".Trash")
		_topFolder = parent_of(parent_of(trash));
	else
		return false;
	_infoFolder = trash + "/info";
	return true;
}

std::string
percent_encode_path(const std::string& path)
{
	static const char kHex[] = "0123456789ABCDEF";
	std::string encoded;
	for (unsigned char c : path) {
		bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
			|| (c >= '0' && c <= '9');
		if (alphanumeric || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
			encoded += (char)c;
		} else {
			encoded += '%';
			encoded += kHex[c >> 4];
			encoded += kHex[c & 0xf];
		}
	}
	return encoded;
}

static std::string
trash_info_text(const std::string& originalPath, const std::string& topFolder)
{
	std::string path = originalPath;
	if (!topFolder.empty() && path.compare(0, topFolder.size() + 1, topFolder + "/") == 0)
		path = path.substr(topFolder.size() + 1);

	char date[32];
	time_t now = time(NULL);
	struct tm local;
	localtime_r(&now, &local);
	strftime(date, sizeof(date), "%Y-%m-%dT%H:%M:%S", &local);
	return "[Trash Info]\nPath=" + percent_encode_path(path) + "\nDeletionDate=" + date + "\n";
}

status_t
write_trash_info(const std::string& infoFolder, const std::string& name,
	const std::string& originalPath, const std::string& topFolder, bool replace)
{
	if (env()->MakeFolder(infoFolder.c_str(), 0700) != 0 && errno != EEXIST)
		return last_error();
	std::string path = join_path(infoFolder, name + ".trashinfo");
	int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
	FileDescriptor fd(env()->Open(path.c_str(), flags, 0600));
	if (!fd.IsValid() && errno == EEXIST) {
		// An info file without its trashed entry is left over: take its place.
		std::string trashed = join_path(parent_of(infoFolder) + "/files", name);
		struct stat st;
		if (lstat(trashed.c_str(), &st) == 0 || errno != ENOENT)
			return B_FILE_EXISTS;
		env()->Unlink(path.c_str());
		fd.Reset(env()->Open(path.c_str(), flags, 0600));
	}
	if (!fd.IsValid())
		return last_error();

	std::string text = trash_info_text(originalPath, topFolder);
	// The desktop's trash must find the info file whenever it finds the
	// entry, so it is on the disk before the entry moves.
	status_t status = write_all(fd.Get(), text.data(), text.size());
	if (status == B_OK && env()->Sync(fd.Get()) != 0)
		status = last_error();
	if (status == B_OK && env()->Close(fd.Release()) != 0)
		status = last_error();
	if (status != B_OK)
		env()->Unlink(path.c_str());
	return status;
}

std::vector<char>
read_small_file(const std::string& path)
{
	std::vector<char> data;
	FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
	char buffer[4096];
	ssize_t count;
	while (fd.IsValid() && (count = read(fd.Get(), buffer, sizeof(buffer))) > 0)
		data.insert(data.end(), buffer, buffer + count);
	return data;
}

bool
write_small_file(const std::string& path, const std::vector<char>& data)
{
	FileDescriptor fd(
		env()->Open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
	return fd.IsValid() && write_all(fd.Get(), data.data(), data.size()) == B_OK;
}

} // namespace BPrivate
