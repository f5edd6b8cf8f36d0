#include <SafeFile.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "Env.h"
#include "StoragePrivate.h"

using namespace BPrivate;

namespace {

const char kTag[] = ".glim~";
const size_t kTagLength = sizeof(kTag) - 1;
const size_t kRandomLength = 6;
const size_t kMaxNameLength = 255;
const time_t kStaleAge = 60;

// "." + as much of the target's name as fits + ".glim~" + six random
// characters: hidden, recognisable, and never longer than a name may be.
std::string
temporary_leaf(const std::string& leaf)
{
	static const char kCharacters[] =
		"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
	static std::atomic<unsigned> sCounter(0);
	unsigned char random[kRandomLength];
	if (getrandom(random, sizeof(random), GRND_NONBLOCK) != (ssize_t)sizeof(random)) {
		unsigned seed = (unsigned)getpid() * 2654435761u + sCounter++ + (unsigned)time(NULL);
		for (unsigned char& c : random)
			c = (unsigned char)(seed = seed * 1103515245u + 12345u) >> 16;
	}
	size_t room = kMaxNameLength - 1 - kTagLength - kRandomLength;
	std::string name = "." + leaf.substr(0, room) + kTag;
	for (unsigned char c : random)
		name += kCharacters[c % (sizeof(kCharacters) - 1)];
	return name;
}

status_t
sync_folder(const std::string& folder)
{
	int fd = env()->Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
	if (fd < 0)
		return last_error();
	status_t status = env()->Sync(fd) == 0 ? B_OK : last_error();
	env()->Close(fd);
	return status;
}

status_t
write_all(int fd, const char* data, size_t size)
{
	while (size > 0) {
		ssize_t written = env()->Write(fd, data, size);
		if (written < 0 && errno == EINTR)
			continue;
		if (written < 0)
			return last_error();
		if (written == 0)
			return B_IO_ERROR;
		data += written;
		size -= written;
	}
	return B_OK;
}

// Every byte of source from where it stands to its end, however long it
// grows meanwhile.
status_t
copy_data(int source, int target)
{
	std::vector<char> buffer(256 * 1024);
	for (;;) {
		ssize_t count = env()->Read(source, buffer.data(), buffer.size());
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0)
			return last_error();
		if (count == 0)
			return B_OK;
		status_t status = write_all(target, buffer.data(), count);
		if (status != B_OK)
			return status;
	}
}

// Every user.* attribute of source onto target. A target volume without
// attributes cannot take them; any other refusal fails the copy, since a
// move must not lose them.
status_t
copy_user_attributes(int source, int target)
{
	std::vector<char> names;
	ssize_t size = flistxattr(source, NULL, 0);
	if (size < 0)
		return errno == ENOTSUP ? B_OK : last_error();
	names.resize(size);
	size = size > 0 ? flistxattr(source, names.data(), names.size()) : 0;
	if (size < 0)
		return last_error();
	for (ssize_t offset = 0; offset < size;) {
		const char* name = names.data() + offset;
		offset += strlen(name) + 1;
		if (strncmp(name, "user.", 5) != 0)
			continue;
		ssize_t length = fgetxattr(source, name, NULL, 0);
		if (length < 0)
			return last_error();
		std::vector<char> value(length);
		length = fgetxattr(source, name, value.data(), value.size());
		if (length < 0)
			return last_error();
		if (env()->SetAttr(target, NULL, name, value.data(), length) != 0) {
			if (errno == ENOTSUP)
				return B_OK;
			return last_error();
		}
	}
	return B_OK;
}

// Owner, mode and times of st onto target. An owner the target volume or
// this user cannot set is left, and then so are the set-id bits; a volume
// that keeps no modes or times (vfat) refuses them with EPERM.
status_t
copy_metadata(int target, const struct stat& st)
{
	mode_t mode = st.st_mode & 07777;
	if (env()->ChangeOwner(target, st.st_uid, st.st_gid) != 0) {
		if (errno != EPERM && errno != ENOTSUP)
			return last_error();
		mode &= ~(S_ISUID | S_ISGID);
	}
	if (env()->ChangeMode(target, mode) != 0 && errno != EPERM)
		return last_error();
	struct timespec times[2] = {st.st_atim, st.st_mtim};
	if (env()->SetTimes(target, times) != 0 && errno != EPERM)
		return last_error();
	return B_OK;
}

bool
same_state(const struct stat& a, const struct stat& b)
{
	return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
		&& a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
		&& a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

} // namespace

BSafeFile::BSafeFile() :
	fKeepCopiedMode(false)
{
}

BSafeFile::BSafeFile(const char* path) :
	fKeepCopiedMode(false)
{
	SetTo(path);
}

BSafeFile::~BSafeFile()
{
	Abandon();
}

status_t
BSafeFile::SetTo(const char* path)
{
	Abandon();
	if (path == NULL || path[0] == '\0')
		return _SetStatus(B_BAD_VALUE);
	std::string folder, leaf;
	status_t status = resolve_entry(path, false, folder, leaf);
	if (status != B_OK)
		return _SetStatus(status);
	if (leaf == "." || leaf == "..")
		return _SetStatus(B_IS_A_DIRECTORY);

	fTarget = join_path(folder, leaf);
	for (int attempt = 0; attempt < 100; attempt++) {
		std::string temporary = join_path(folder, temporary_leaf(leaf));
		int fd = env()->Open(temporary.c_str(),
			O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
		if (fd >= 0) {
			fTemporary = temporary;
			_SetDescriptor(fd, false, temporary);
			return B_OK;
		}
		if (errno != EEXIST)
			break;
	}
	status = last_error();
	fTarget.clear();
	return _SetStatus(status);
}

status_t
BSafeFile::Commit(bool replace)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (fTemporary.empty())
		return B_NO_INIT;

	status_t status = env()->Sync(_Descriptor()) == 0 ? B_OK : last_error();
	if (status == B_OK && !fKeepCopiedMode)
		status = _KeepOwnerAndMode();
	if (status == B_OK) {
		status = env()->Rename(fTemporary.c_str(), fTarget.c_str(),
					 replace ? 0 : RENAME_NOREPLACE)
				== 0
			? B_OK
			: last_error();
		if (status == B_BAD_VALUE && !replace) {
			// A file system without RENAME_NOREPLACE: look, then rename.
			struct stat st;
			status = lstat(fTarget.c_str(), &st) == 0 ? (status_t)B_FILE_EXISTS
													  : (status_t)B_OK;
			if (status == B_OK)
				status = env()->Rename(fTemporary.c_str(), fTarget.c_str(), 0) == 0
					? B_OK
					: last_error();
		}
	}
	if (status != B_OK) {
		Abandon();
		return status;
	}
	fTemporary.clear();
	BFile::Unset();
	return sync_folder(parent_of(fTarget));
}

void
BSafeFile::Abandon()
{
	BFile::Unset();
	if (!fTemporary.empty())
		env()->Unlink(fTemporary.c_str());
	fTemporary.clear();
}

// A replaced file keeps its mode, and its owner where this user may give it.
status_t
BSafeFile::_KeepOwnerAndMode()
{
	struct stat target;
	if (lstat(fTarget.c_str(), &target) != 0)
		return errno == ENOENT ? B_OK : last_error();
	if (S_ISDIR(target.st_mode))
		return B_IS_A_DIRECTORY;
	if (!S_ISREG(target.st_mode))
		return B_OK;
	struct stat own;
	if (fstat(_Descriptor(), &own) != 0)
		return last_error();
	mode_t mode = target.st_mode & 07777;
	if ((own.st_uid != target.st_uid || own.st_gid != target.st_gid)
		&& env()->ChangeOwner(_Descriptor(), target.st_uid, target.st_gid) != 0)
		mode &= ~(S_ISUID | S_ISGID);
	return env()->ChangeMode(_Descriptor(), mode) == 0 ? B_OK : last_error();
}

status_t
BSafeFile::WriteFile(const char* path, const void* data, size_t size)
{
	BSafeFile file(path);
	if (file.InitCheck() != B_OK)
		return file.InitCheck();
	status_t status = write_all(file._Descriptor(), (const char*)data, size);
	return status == B_OK ? file.Commit() : status;
}

bool
is_safe_file_temporary(const char* name)
{
	if (name == NULL || name[0] != '.')
		return false;
	size_t length = strlen(name);
	if (length < 1 + kTagLength + kRandomLength)
		return false;
	const char* tag = name + length - kRandomLength - kTagLength;
	if (strncmp(tag, kTag, kTagLength) != 0)
		return false;
	for (const char* c = tag + kTagLength; *c != '\0'; c++) {
		if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
			return false;
	}
	return true;
}

int
remove_stale_temporaries(const char* folderPath)
{
	if (folderPath == NULL)
		return 0;
	DIR* folder = opendir(folderPath);
	if (folder == NULL)
		return 0;
	int removed = 0;
	time_t now = time(NULL);
	while (struct dirent* entry = readdir(folder)) {
		if (!is_safe_file_temporary(entry->d_name))
			continue;
		struct stat st;
		if (fstatat(dirfd(folder), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0
			|| !S_ISREG(st.st_mode) || st.st_uid != geteuid() || now - st.st_mtime < kStaleAge)
			continue;
		std::string path = join_path(folderPath, entry->d_name);
		if (env()->Unlink(path.c_str()) == 0)
			removed++;
	}
	closedir(folder);
	return removed;
}

status_t
copy_file(const char* from, const char* to, bool replace)
{
	if (from == NULL || to == NULL)
		return B_BAD_VALUE;
	int source = env()->Open(from, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0);
	if (source < 0)
		return errno == ELOOP ? B_BAD_TYPE : last_error();
	FileDescriptor sourceFD(source);
	struct stat before;
	if (fstat(source, &before) != 0)
		return last_error();
	if (!S_ISREG(before.st_mode))
		return S_ISDIR(before.st_mode) ? (status_t)B_IS_A_DIRECTORY : (status_t)B_BAD_TYPE;

	BSafeFile target(to);
	if (target.InitCheck() != B_OK)
		return target.InitCheck();
	target.fKeepCopiedMode = true;
	status_t status = copy_data(source, target._Descriptor());
	if (status == B_OK)
		status = copy_user_attributes(source, target._Descriptor());
	if (status == B_OK)
		status = copy_metadata(target._Descriptor(), before);
	if (status == B_OK)
		status = target.Commit(replace);
	if (status != B_OK)
		return status;

	struct stat after;
	if (fstat(source, &after) != 0 || !same_state(before, after))
		return B_BUSY;
	struct stat named;
	if (lstat(from, &named) != 0 || named.st_ino != before.st_ino
		|| named.st_dev != before.st_dev)
		return B_BUSY;
	return B_OK;
}
