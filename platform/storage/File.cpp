#include <File.h>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <Directory.h>
#include <Entry.h>

#include "Env.h"
#include "StoragePrivate.h"

using namespace BPrivate;

static int
open_flags(uint32 openMode)
{
	int flags = O_CLOEXEC;
	switch (openMode & B_ACCESS_MODE_MASK) {
		case B_WRITE_ONLY:
			flags |= O_WRONLY;
			break;
		case B_READ_WRITE:
			flags |= O_RDWR;
			break;
		default:
			flags |= O_RDONLY;
			break;
	}
	if ((openMode & B_CREATE_FILE) != 0)
		flags |= O_CREAT;
	if ((openMode & B_FAIL_IF_EXISTS) != 0)
		flags |= O_CREAT | O_EXCL;
	if ((openMode & B_ERASE_FILE) != 0)
		flags |= O_TRUNC;
	if ((openMode & B_OPEN_AT_END) != 0)
		flags |= O_APPEND;
	return flags;
}

BFile::BFile()
{
}

BFile::BFile(const entry_ref* ref, uint32 openMode)
{
	SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode)
{
	SetTo(entry, openMode);
}

BFile::BFile(const char* path, uint32 openMode)
{
	SetTo(path, openMode);
}

BFile::BFile(const BDirectory* dir, const char* path, uint32 openMode)
{
	SetTo(dir, path, openMode);
}

BFile::~BFile() = default;

status_t
BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
	std::string path;
	status_t status = path_for_ref(ref, path);
	if (status != B_OK) {
		Unset();
		return _SetStatus(status);
	}
	return SetTo(path.c_str(), openMode);
}

status_t
BFile::SetTo(const BEntry* entry, uint32 openMode)
{
	if (entry == NULL || entry->InitCheck() != B_OK) {
		Unset();
		return _SetStatus(entry == NULL ? B_BAD_VALUE : entry->InitCheck());
	}
	return SetTo(entry->_Path().c_str(), openMode);
}

status_t
BFile::SetTo(const char* path, uint32 openMode)
{
	Unset();
	if (path == NULL)
		return _SetStatus(B_BAD_VALUE);
	std::string fullPath = absolute_path(path);
	if (fullPath.empty())
		return _SetStatus(last_error());
	return _Open(AT_FDCWD, path, fullPath, openMode);
}

status_t
BFile::SetTo(const BDirectory* dir, const char* path, uint32 openMode)
{
	Unset();
	if (dir == NULL || path == NULL)
		return _SetStatus(B_BAD_VALUE);
	if (dir->InitCheck() != B_OK)
		return _SetStatus(dir->InitCheck());
	if (path[0] == '/')
		return SetTo(path, openMode);
	return _Open(dir->_Descriptor(), path, join_path(dir->_Path(), path), openMode);
}

ssize_t
BFile::Read(void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (buffer == NULL && size > 0)
		return B_BAD_VALUE;
	ssize_t count;
	do {
		count = env()->Read(_Descriptor(), buffer, size);
	} while (count < 0 && errno == EINTR);
	return count < 0 ? last_error() : count;
}

ssize_t
BFile::Write(const void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (buffer == NULL && size > 0)
		return B_BAD_VALUE;
	size_t done = 0;
	while (done < size) {
		ssize_t count = env()->Write(_Descriptor(), (const char*)buffer + done, size - done);
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0)
			return done > 0 ? (ssize_t)done : last_error();
		done += count;
	}
	return done;
}

ssize_t
BFile::ReadAt(off_t position, void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if ((buffer == NULL && size > 0) || position < 0)
		return B_BAD_VALUE;
	size_t done = 0;
	while (done < size) {
		ssize_t count = pread(_Descriptor(), (char*)buffer + done, size - done,
			position + done);
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0)
			return done > 0 ? (ssize_t)done : last_error();
		if (count == 0)
			break;
		done += count;
	}
	return done;
}

ssize_t
BFile::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if ((buffer == NULL && size > 0) || position < 0)
		return B_BAD_VALUE;
	size_t done = 0;
	while (done < size) {
		ssize_t count = env()->WriteAt(_Descriptor(), (const char*)buffer + done, size - done,
			position + done);
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0)
			return done > 0 ? (ssize_t)done : last_error();
		done += count;
	}
	return done;
}

off_t
BFile::Seek(off_t position, uint32 seekMode)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (seekMode != SEEK_SET && seekMode != SEEK_CUR && seekMode != SEEK_END)
		return B_BAD_VALUE;
	off_t result = lseek(_Descriptor(), position, seekMode);
	return result < 0 ? last_error() : result;
}

off_t
BFile::Position() const
{
	if (InitCheck() != B_OK)
		return InitCheck();
	off_t result = lseek(_Descriptor(), 0, SEEK_CUR);
	return result < 0 ? last_error() : result;
}

status_t
BFile::SetSize(off_t size)
{
	if (InitCheck() != B_OK)
		return InitCheck();
	if (size < 0)
		return B_BAD_VALUE;
	return ftruncate(_Descriptor(), size) == 0 ? B_OK : last_error();
}

status_t
BFile::GetSize(off_t* size) const
{
	if (size == NULL)
		return B_BAD_VALUE;
	struct stat st;
	status_t status = GetStat(&st);
	if (status == B_OK)
		*size = st.st_size;
	return status;
}

// Opens without blocking, so that a FIFO is refused instead of waiting for
// a writer, and keeps only regular files and devices.
status_t
BFile::_Open(int folder, const char* path, const std::string& fullPath, uint32 openMode)
{
	FileDescriptor fd(openat(folder, path, open_flags(openMode) | O_NONBLOCK, 0666));
	if (!fd.IsValid())
		return _SetStatus(last_error());

	struct stat st;
	if (fstat(fd.Get(), &st) != 0)
		return _SetStatus(last_error());
	if (S_ISDIR(st.st_mode))
		return _SetStatus(B_IS_A_DIRECTORY);
	if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
		return _SetStatus(B_BAD_TYPE);
	// O_NONBLOCK only kept the open from waiting on a device; it changes
	// nothing for a regular file, which is left as it is (one file of a
	// folder being read costs two calls fewer).
	if (!S_ISREG(st.st_mode)) {
		int flags = fcntl(fd.Get(), F_GETFL);
		if (flags < 0 || fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
			return _SetStatus(last_error());
	}

	_SetDescriptor(fd.Release(), false, fullPath);
	return B_OK;
}
