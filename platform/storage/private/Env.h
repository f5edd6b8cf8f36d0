#ifndef _STORAGE_ENV_H
#define _STORAGE_ENV_H

// The operating system calls that change or read a user's files, behind one
// small interface. Every write of a user's file, every move and every
// attribute change goes through env(), so a test can install an Env that
// makes any one step fail (or stops the world right after it) and prove that
// no photo, attribute, time or permission is lost. Each call keeps its POSIX
// contract: -1 with errno set on failure.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace BPrivate {

class Env {
public:
	virtual ~Env();

	virtual int Open(const char* path, int flags, mode_t mode);
	virtual int Close(int fd);
	virtual ssize_t Read(int fd, void* buffer, size_t size);
	virtual ssize_t Write(int fd, const void* buffer, size_t size);
	virtual ssize_t WriteAt(int fd, const void* buffer, size_t size, off_t position);
	virtual int Sync(int fd);
	// renameat2() flags: 0 or RENAME_NOREPLACE.
	virtual int Rename(const char* from, const char* to, unsigned flags);
	virtual int Unlink(const char* path);
	virtual int MakeFolder(const char* path, mode_t mode);
	// Attributes through a descriptor, or through path when fd is negative
	// (an O_PATH node reached by /proc/self/fd).
	virtual int SetAttr(int fd, const char* path, const char* name, const void* value,
		size_t size);
	virtual int RemoveAttr(int fd, const char* path, const char* name);
	virtual int ChangeMode(int fd, mode_t mode);
	virtual int ChangeOwner(int fd, uid_t owner, gid_t group);
	virtual int SetTimes(int fd, const struct timespec times[2]);
};

// The Env in use: the system's own unless a test installed another.
Env* env();
// Installs env (NULL: the system's own) and returns the one it replaces.
Env* set_env(Env* env);

} // namespace BPrivate

#endif
