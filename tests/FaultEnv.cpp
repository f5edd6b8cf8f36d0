#include "FaultEnv.h"

#include <cerrno>

#include <unistd.h>

namespace glim_test {

const char*
fault_name(Fault fault)
{
	static const char* const kNames[] = {"none", "ENOSPC", "EIO", "EACCES", "short write",
		"rename fails", "crash after"};
	return kNames[(int)fault];
}

FaultEnv::FaultEnv() :
	fPrevious(BPrivate::set_env(this))
{
}

FaultEnv::~FaultEnv()
{
	BPrivate::set_env(fPrevious);
}

void
FaultEnv::Arm(int step, Fault fault)
{
	fArmedStep = step;
	fFault = fault;
}

bool
FaultEnv::_Step(const char* name, bool isWrite, bool isRename)
{
	if (fDead) {
		errno = EIO;
		return false;
	}
	fLog.push_back(name);
	fSteps++;
	if (fShortWriteNow) {
		// The disk filled during the short write before.
		errno = ENOSPC;
		return !isWrite;
	}
	if (fSteps != fArmedStep || fFault == Fault::kNone
		|| (fFault == Fault::kShortWrite && !isWrite)
		|| (fFault == Fault::kRenameFails && !isRename))
		return true;
	fFired = true;
	if (fFault == Fault::kCrashAfter || fFault == Fault::kShortWrite)
		return true;
	static const int kErrors[] = {0, ENOSPC, EIO, EACCES, 0, EBUSY, 0};
	errno = kErrors[(int)fFault];
	return false;
}

size_t
FaultEnv::_WriteSize(size_t size)
{
	if (!fFired || fFault != Fault::kShortWrite || fShortWriteNow)
		return size;
	fShortWriteNow = true;
	return size > 1 ? size / 2 : size;
}

int
FaultEnv::Open(const char* path, int flags, mode_t mode)
{
	return _Step("open") ? _Done(Env::Open(path, flags, mode)) : -1;
}

// Closing has no effect on the disk, so even a dead program's descriptors
// are closed: the test process goes on.
int
FaultEnv::Close(int fd)
{
	if (fDead || _Step("close"))
		return Env::Close(fd);
	int error = errno;
	Env::Close(fd);
	errno = error;
	return -1;
}

ssize_t
FaultEnv::Read(int fd, void* buffer, size_t size)
{
	return _Step("read") ? _Done(Env::Read(fd, buffer, size)) : -1;
}

ssize_t
FaultEnv::Write(int fd, const void* buffer, size_t size)
{
	return _Step("write", true) ? _Done(Env::Write(fd, buffer, _WriteSize(size))) : -1;
}

ssize_t
FaultEnv::WriteAt(int fd, const void* buffer, size_t size, off_t position)
{
	return _Step("write", true) ? _Done(Env::WriteAt(fd, buffer, _WriteSize(size), position))
								: -1;
}

int
FaultEnv::Sync(int fd)
{
	return _Step("sync") ? _Done(Env::Sync(fd)) : -1;
}

int
FaultEnv::Rename(const char* from, const char* to, unsigned flags)
{
	return _Step("rename", false, true) ? _Done(Env::Rename(from, to, flags)) : -1;
}

int
FaultEnv::Unlink(const char* path)
{
	return _Step("unlink") ? _Done(Env::Unlink(path)) : -1;
}

int
FaultEnv::MakeFolder(const char* path, mode_t mode)
{
	return _Step("mkdir") ? _Done(Env::MakeFolder(path, mode)) : -1;
}

int
FaultEnv::SetAttr(int fd, const char* path, const char* name, const void* value, size_t size)
{
	return _Step("setxattr") ? _Done(Env::SetAttr(fd, path, name, value, size)) : -1;
}

int
FaultEnv::RemoveAttr(int fd, const char* path, const char* name)
{
	return _Step("removexattr") ? _Done(Env::RemoveAttr(fd, path, name)) : -1;
}

int
FaultEnv::ChangeMode(int fd, mode_t mode)
{
	return _Step("chmod") ? _Done(Env::ChangeMode(fd, mode)) : -1;
}

int
FaultEnv::ChangeOwner(int fd, uid_t owner, gid_t group)
{
	return _Step("chown") ? _Done(Env::ChangeOwner(fd, owner, group)) : -1;
}

int
FaultEnv::SetTimes(int fd, const struct timespec times[2])
{
	return _Step("utimens") ? _Done(Env::SetTimes(fd, times)) : -1;
}

} // namespace glim_test
