#include <Directory.h>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include <Entry.h>
#include <File.h>

#include "StoragePrivate.h"

using namespace BPrivate;

// The path the kernel knows for an open folder: exact, with links resolved.
static std::string
descriptor_path(int fd, const std::string& fallback)
{
	std::string link = proc_fd_path(fd);
	std::vector<char> buffer(1024);
	for (;;) {
		ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
		if (length < 0 || buffer[0] != '/')
			return fallback;
		if ((size_t)length < buffer.size())
			return std::string(buffer.data(), length);
		if (buffer.size() >= 65536)
			return fallback;
		buffer.resize(buffer.size() * 2);
	}
}

static DIR*
open_stream(int fd)
{
	int own = openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (own < 0)
		return NULL;
	DIR* stream = fdopendir(own);
	if (stream == NULL)
		close(own);
	return stream;
}

static bool
is_dot_entry(const char* name)
{
	return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

BDirectory::BDirectory() :
	fStream(NULL)
{
}

BDirectory::BDirectory(const BDirectory& other) :
	BNode(other),
	fStream(NULL)
{
}

BDirectory::BDirectory(const entry_ref* ref) :
	fStream(NULL)
{
	SetTo(ref);
}

BDirectory::BDirectory(const node_ref* ref) :
	fStream(NULL)
{
	SetTo(ref);
}

BDirectory::BDirectory(const BEntry* entry) :
	fStream(NULL)
{
	SetTo(entry);
}

BDirectory::BDirectory(const char* path) :
	fStream(NULL)
{
	SetTo(path);
}

BDirectory::BDirectory(const BDirectory* dir, const char* path) :
	fStream(NULL)
{
	SetTo(dir, path);
}

BDirectory::~BDirectory()
{
	_CloseStream();
}

BDirectory&
BDirectory::operator=(const BDirectory& other)
{
	if (this != &other) {
		_CloseStream();
		BNode::operator=(other);
	}
	return *this;
}

status_t
BDirectory::SetTo(const entry_ref* ref)
{
	std::string path;
	status_t status = path_for_ref(ref, path);
	if (status != B_OK) {
		Unset();
		return _SetStatus(status);
	}
	return SetTo(path.c_str());
}

status_t
BDirectory::SetTo(const node_ref* ref)
{
	if (ref == NULL) {
		Unset();
		return _SetStatus(B_BAD_VALUE);
	}
	if (ref->_Path().empty()) {
		Unset();
		return _SetStatus(B_ENTRY_NOT_FOUND);
	}
	status_t status = SetTo(ref->_Path().c_str());
	node_ref found;
	if (status == B_OK && (GetNodeRef(&found) != B_OK || found != *ref)) {
		Unset();
		return _SetStatus(B_ENTRY_NOT_FOUND);
	}
	return status;
}

status_t
BDirectory::SetTo(const BEntry* entry)
{
	if (entry == NULL || entry->InitCheck() != B_OK) {
		Unset();
		return _SetStatus(entry == NULL ? B_BAD_VALUE : entry->InitCheck());
	}
	return SetTo(entry->_Path().c_str());
}

status_t
BDirectory::SetTo(const char* path)
{
	Unset();
	if (path == NULL)
		return _SetStatus(B_BAD_VALUE);
	std::string fullPath = absolute_path(path);
	if (fullPath.empty())
		return _SetStatus(last_error());
	return _Open(AT_FDCWD, path, fullPath);
}

status_t
BDirectory::SetTo(const BDirectory* dir, const char* path)
{
	Unset();
	if (dir == NULL || path == NULL)
		return _SetStatus(B_BAD_VALUE);
	if (dir->InitCheck() != B_OK)
		return _SetStatus(dir->InitCheck());
	if (path[0] == '/')
		return SetTo(path);
	return _Open(dir->_Descriptor(), path, join_path(dir->_Path(), path));
}

void
BDirectory::Unset()
{
	_CloseStream();
	BNode::Unset();
}

status_t
BDirectory::GetEntry(BEntry* entry) const
{
	if (entry == NULL)
		return B_BAD_VALUE;
	if (InitCheck() != B_OK)
		return InitCheck();
	return entry->SetTo(_Path().c_str());
}

status_t
BDirectory::GetNextEntry(BEntry* entry, bool traverse)
{
	if (entry == NULL)
		return B_BAD_VALUE;
	std::string name;
	status_t status = _NextName(name);
	if (status != B_OK) {
		entry->Unset();
		return status;
	}
	if (traverse)
		return entry->SetTo(join_path(_Path(), name).c_str(), true);
	entry->_SetTo(_Path(), name);
	return B_OK;
}

status_t
BDirectory::Rewind()
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (fStream != NULL)
		rewinddir(fStream);
	return B_OK;
}

int32
BDirectory::CountEntries() const
{
	if (InitCheck() != B_OK)
		return InitCheck();
	DIR* stream = open_stream(_Descriptor());
	if (stream == NULL)
		return last_error();
	int32 count = 0;
	errno = 0;
	while (struct dirent* entry = readdir(stream)) {
		if (!is_dot_entry(entry->d_name))
			count++;
	}
	status_t status = errno != 0 ? last_error() : B_OK;
	closedir(stream);
	return status != B_OK ? status : count;
}

// Folders the user may enter but not list are still opened (as a path),
// so that files can be made in them.
status_t
BDirectory::_Open(int folder, const char* path, const std::string& fullPath)
{
	bool pathOnly = false;
	int fd = openat(folder, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd < 0 && errno == EACCES) {
		fd = openat(folder, path, O_PATH | O_DIRECTORY | O_CLOEXEC);
		pathOnly = true;
	}
	if (fd < 0)
		return _SetStatus(last_error());
	return _SetDescriptor(fd, pathOnly, descriptor_path(fd, fullPath));
}

status_t
BDirectory::_NextName(std::string& _name)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (fStream == NULL) {
		fStream = open_stream(_Descriptor());
		if (fStream == NULL)
			return last_error();
	}
	for (;;) {
		errno = 0;
		struct dirent* entry = readdir(fStream);
		if (entry == NULL)
			return errno != 0 ? last_error() : B_ENTRY_NOT_FOUND;
		if (!is_dot_entry(entry->d_name)) {
			_name = entry->d_name;
			return B_OK;
		}
	}
}

void
BDirectory::_CloseStream()
{
	if (fStream != NULL)
		closedir(fStream);
	fStream = NULL;
}

// #pragma mark -

status_t
create_directory(const char* path, mode_t mode)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	std::string full = absolute_path(path);
	if (full.empty())
		return last_error();

	size_t end = 0;
	while (end != std::string::npos) {
		end = full.find('/', end + 1);
		std::string prefix = full.substr(0, end);
		if (mkdir(prefix.c_str(), mode) == 0)
			continue;
		if (errno != EEXIST)
			return last_error();
		struct stat st;
		if (stat(prefix.c_str(), &st) != 0)
			return last_error();
		if (!S_ISDIR(st.st_mode))
			return B_NOT_A_DIRECTORY;
	}
	return B_OK;
}
