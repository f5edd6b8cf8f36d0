// Moving entries: rename within a device, copy-then-remove across devices,
// and the freedesktop trash's .trashinfo files.

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
rename_no_replace(const std::string& from, const std::string& to)
{
	if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
		return B_OK;
	if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
		return last_error();
	// A file system without RENAME_NOREPLACE: check, then rename.
	struct stat st;
	if (lstat(to.c_str(), &st) == 0)
		return B_FILE_EXISTS;
	return rename(from.c_str(), to.c_str()) == 0 ? B_OK : last_error();
}

static status_t
place(const std::string& from, const std::string& to, bool clobber)
{
	if (!clobber)
		return rename_no_replace(from, to);
	return rename(from.c_str(), to.c_str()) == 0 ? B_OK : last_error();
}

static status_t
write_all(int fd, const char* data, size_t size)
{
	while (size > 0) {
		ssize_t written = write(fd, data, size);
		if (written < 0) {
			if (errno == EINTR)
				continue;
			return last_error();
		}
		data += written;
		size -= written;
	}
	return B_OK;
}

// Copies the rest of source into target, in kernel where the two file
// systems allow it.
static status_t
copy_data(int source, int target)
{
	bool inKernel = true;
	std::vector<char> buffer;
	for (;;) {
		ssize_t count;
		if (inKernel) {
			count = copy_file_range(source, NULL, target, NULL, 1 << 24, 0);
			if (count < 0
				&& (errno == EXDEV || errno == EINVAL || errno == ENOSYS
					|| errno == EOPNOTSUPP || errno == EBADF)) {
				inKernel = false;
				continue;
			}
		} else {
			buffer.resize(64 * 1024);
			count = read(source, buffer.data(), buffer.size());
			if (count > 0) {
				status_t status = write_all(target, buffer.data(), count);
				if (status != B_OK)
					return status;
			}
		}
		if (count == 0)
			return B_OK;
		if (count < 0 && errno != EINTR)
			return last_error();
	}
}

// Copies the user.* attributes, which carry thumbnails and types. A target
// file system without attributes simply does not get them.
static void
copy_user_attributes(int source, int target)
{
	ssize_t size = flistxattr(source, NULL, 0);
	if (size <= 0)
		return;
	std::vector<char> names(size);
	size = flistxattr(source, names.data(), names.size());
	for (ssize_t offset = 0; offset < size;) {
		const char* name = names.data() + offset;
		offset += strlen(name) + 1;
		if (strncmp(name, "user.", 5) != 0)
			continue;
		ssize_t length = fgetxattr(source, name, NULL, 0);
		if (length < 0)
			continue;
		std::vector<char> value(length);
		length = fgetxattr(source, name, value.data(), value.size());
		if (length >= 0)
			fsetxattr(target, name, value.data(), length, 0);
	}
}

// Owner, permissions and times, as far as the target file system keeps
// them: a move must not fail over what it cannot store (vfat keeps no
// owners). Without the owner, set-id bits are not carried over.
static void
copy_metadata(int target, const struct stat& st)
{
	mode_t mode = st.st_mode & 07777;
	if (fchown(target, st.st_uid, st.st_gid) != 0)
		mode &= ~(S_ISUID | S_ISGID);
	fchmod(target, mode);
	struct timespec times[2] = {st.st_atim, st.st_mtim};
	futimens(target, times);
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
copy_file_across(const std::string& from, const std::string& to, const struct stat& st,
	bool clobber)
{
	FileDescriptor source(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
	if (!source.IsValid())
		return last_error();

	std::string temporary = join_path(parent_of(to), ".glim-move-XXXXXX");
	std::vector<char> pattern(temporary.begin(), temporary.end());
	pattern.push_back('\0');
	FileDescriptor target(mkostemp(pattern.data(), O_CLOEXEC));
	if (!target.IsValid())
		return last_error();
	temporary = pattern.data();

	status_t status = copy_data(source.Get(), target.Get());
	if (status == B_OK) {
		copy_user_attributes(source.Get(), target.Get());
		copy_metadata(target.Get(), st);
	}
	// The copy must be on the disk before the source may go.
	if (status == B_OK && fsync(target.Get()) != 0)
		status = last_error();
	if (status == B_OK && close(target.Release()) != 0)
		status = last_error();
	if (status == B_OK)
		status = place(temporary, to, clobber);
	if (status != B_OK) {
		unlink(temporary.c_str());
		return status;
	}
	// Should the source resist removal now, both copies stay: nothing is lost.
	return unlink(from.c_str()) == 0 ? B_OK : last_error();
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
	if (clobber && rename(made.c_str(), to.c_str()) != 0) {
		status_t status = last_error();
		unlink(made.c_str());
		return status;
	}
	return unlink(from.c_str()) == 0 ? B_OK : last_error();
}

status_t
move_entry(const std::string& from, const std::string& to, bool clobber)
{
	status_t status = place(from, to, clobber);
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
	return copy_file_across(from, to, st, clobber);
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
	return "[Trash Info]\nPath=" + percent_encode_path(path) + "\nDeletionDate=" + date
		+ "\n";
}

status_t
write_trash_info(const std::string& infoFolder, const std::string& name,
	const std::string& originalPath, const std::string& topFolder, bool replace)
{
	if (mkdir(infoFolder.c_str(), 0700) != 0 && errno != EEXIST)
		return last_error();
	std::string path = join_path(infoFolder, name + ".trashinfo");
	int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
	FileDescriptor fd(open(path.c_str(), flags, 0600));
	if (!fd.IsValid() && errno == EEXIST) {
		// An info file without its trashed entry is left over: take its place.
		std::string trashed = join_path(parent_of(infoFolder) + "/files", name);
		struct stat st;
		if (lstat(trashed.c_str(), &st) == 0 || errno != ENOENT)
			return B_FILE_EXISTS;
		unlink(path.c_str());
		fd.Reset(open(path.c_str(), flags, 0600));
	}
	if (!fd.IsValid())
		return last_error();

	std::string text = trash_info_text(originalPath, topFolder);
	status_t status = write_all(fd.Get(), text.data(), text.size());
	if (status == B_OK && close(fd.Release()) != 0)
		status = last_error();
	if (status != B_OK)
		unlink(path.c_str());
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
	FileDescriptor fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
	return fd.IsValid() && write_all(fd.Get(), data.data(), data.size()) == B_OK;
}

} // namespace BPrivate
