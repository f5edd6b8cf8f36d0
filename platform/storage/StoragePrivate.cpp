#include "StoragePrivate.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

#include <unistd.h>

#include <Entry.h>
#include <StorageDefs.h>

namespace BPrivate {

FileDescriptor&
FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
	if (this != &other)
		Reset(other.Release());
	return *this;
}

int
FileDescriptor::Release()
{
	int fd = fFD;
	fFD = -1;
	return fd;
}

void
FileDescriptor::Reset(int fd)
{
	if (fFD >= 0)
		close(fFD);
	fFD = fd;
}

status_t
last_error()
{
	return status_from_errno(errno);
}

std::string
absolute_path(const char* path)
{
	if (path[0] == '/')
		return path;
	std::unique_ptr<char, decltype(&free)> cwd(getcwd(NULL, 0), &free);
	if (cwd == nullptr)
		return "";
	return join_path(cwd.get(), path);
}

std::string
join_path(const std::string& folder, const std::string& leaf)
{
	if (leaf.empty() || leaf == ".")
		return folder;
	if (!folder.empty() && folder.back() == '/')
		return folder + leaf;
	return folder + "/" + leaf;
}

std::string
parent_of(const std::string& path)
{
	size_t slash = path.rfind('/');
	if (slash == std::string::npos)
		return ".";
	if (slash == 0)
		return "/";
	return path.substr(0, slash);
}

std::string
leaf_of(const std::string& path)
{
	size_t slash = path.rfind('/');
	return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool
real_path(const std::string& path, std::string& _resolved)
{
	std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), NULL), &free);
	if (resolved == nullptr)
		return false;
	_resolved = resolved.get();
	return true;
}

static void
split_resolved(const std::string& resolved, std::string& _folder, std::string& _leaf)
{
	if (resolved == "/") {
		_folder = "/";
		_leaf = ".";
	} else {
		_folder = parent_of(resolved);
		_leaf = leaf_of(resolved);
	}
}

status_t
resolve_entry(const char* path, bool traverse, std::string& _folder, std::string& _leaf)
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (path[0] == '\0')
		return B_ENTRY_NOT_FOUND;

	std::string full = absolute_path(path);
	if (full.empty())
		return last_error();
	while (full.size() > 1 && full.back() == '/')
		full.pop_back();

	std::string leaf = leaf_of(full);
	if (full == "/" || leaf == "." || leaf == "..") {
		std::string resolved;
		if (!real_path(full, resolved))
			return last_error();
		split_resolved(resolved, _folder, _leaf);
		return B_OK;
	}
	if (leaf.size() >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;

	std::string folder;
	struct stat st;
	if (!real_path(parent_of(full), folder) || stat(folder.c_str(), &st) != 0)
		return last_error();
	if (!S_ISDIR(st.st_mode))
		return B_NOT_A_DIRECTORY;

	std::string entryPath = join_path(folder, leaf);
	if (traverse && lstat(entryPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
		std::string target;
		if (!real_path(entryPath, target))
			return last_error();
		split_resolved(target, _folder, _leaf);
		return B_OK;
	}
	_folder = folder;
	_leaf = leaf;
	return B_OK;
}

status_t
path_for_ref(const entry_ref* ref, std::string& _path)
{
	if (ref == NULL)
		return B_BAD_VALUE;
	if (ref->name == NULL || ref->_DirectoryPath() == NULL)
		return B_ENTRY_NOT_FOUND;

	struct stat st;
	if (stat(ref->_DirectoryPath(), &st) != 0)
		return last_error();
	if (ref->device != (dev_t)-1 && (st.st_dev != ref->device || st.st_ino != ref->directory))
		return B_ENTRY_NOT_FOUND;

	_path = join_path(ref->_DirectoryPath(), ref->name);
	return B_OK;
}

std::string
proc_fd_path(int fd)
{
	return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace BPrivate
