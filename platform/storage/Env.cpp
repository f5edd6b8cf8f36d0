#include "Env.h"

#include <atomic>

#include <stdio.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace BPrivate {

Env::~Env() = default;

int
Env::Open(const char* path, int flags, mode_t mode)
{
	return open(path, flags, mode);
}

int
Env::Close(int fd)
{
	return close(fd);
}

ssize_t
Env::Read(int fd, void* buffer, size_t size)
{
	return read(fd, buffer, size);
}

ssize_t
Env::Write(int fd, const void* buffer, size_t size)
{
	return write(fd, buffer, size);
}

ssize_t
Env::WriteAt(int fd, const void* buffer, size_t size, off_t position)
{
	return pwrite(fd, buffer, size, position);
}

int
Env::Sync(int fd)
{
	return fsync(fd);
}

int
Env::Rename(const char* from, const char* to, unsigned flags)
{
	return renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
}

int
Env::Unlink(const char* path)
{
	return unlink(path);
}

int
Env::MakeFolder(const char* path, mode_t mode)
{
	return mkdir(path, mode);
}

int
Env::SetAttr(int fd, const char* path, const char* name, const void* value, size_t size)
{
	return fd >= 0 ? fsetxattr(fd, name, value, size, 0) : setxattr(path, name, value, size, 0);
}

int
Env::RemoveAttr(int fd, const char* path, const char* name)
{
	return fd >= 0 ? fremovexattr(fd, name) : removexattr(path, name);
}

int
Env::ChangeMode(int fd, mode_t mode)
{
	return fchmod(fd, mode);
}

int
Env::ChangeOwner(int fd, uid_t owner, gid_t group)
{
	return fchown(fd, owner, group);
}

int
Env::SetTimes(int fd, const struct timespec times[2])
{
	return futimens(fd, times);
}

static Env sSystemEnv;
static std::atomic<Env*> sEnv(&sSystemEnv);

Env*
env()
{
	return sEnv.load(std::memory_order_acquire);
}

Env*
set_env(Env* replacement)
{
	Env* old = sEnv.exchange(replacement != NULL ? replacement : &sSystemEnv);
	return old == &sSystemEnv ? NULL : old;
}

} // namespace BPrivate
