#include "FaultEnv.h"

#include <cerrno>

#include <unistd.h>

namespace glim_test {

const char*
fault_name(Fault fault)
{
	switch (fault) {
		case Fault::kNone:
			return "none";
		case Fault::kNoSpace:
			return "ENOSPC";
		case Fault::kIOError:
			return "EIO";
		case Fault::kNoAccess:
			return "EACCES";
		case Fault::kShortWrite:
			return "short write";
		case Fault::kRenameFails:
			return "rename fails";
		case Fault::kCrashAfter:
			return "crash after";
	}
	return "?";
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
	if (fShortWriteNow) {
		// The disk filled during the short write before.
		errno = ENOSPC;
		fLog.push_back(name);
		fSteps++;
		return !isWrite;
	}
	fLog.push_back(name);
	if (++fSteps != fArmedStep || fFault == Fault::kNone)
		return true;
	switch (fFault) {
		case Fault::kCrashAfter:
			fFired = true;
			return true;
		case Fault::kShortWrite:
			if (!isWrite)
				return true;
			fFired = true;
			return true;
		case Fault::kRenameFails:
			if (!isRename)
				return true;
			fFired = true;
			errno = EBUSY;
			return false;
		case Fault::kNoSpace:
			errno = ENOSPC;
			break;
		case Fault::kIOError:
			errno = EIO;
			break;
		case Fault::kNoAccess:
			errno = EACCES;
			break;
		case Fault::kNone:
			return true;
	}
	fFired = true;
	return false;
}

int
FaultEnv::Open(const char* path, int flags, mode_t mode)
{
	if (!_Step("open"))
		return -1;
	int fd = Env::Open(path, flags, mode);
	fDead = fDead || (fFired && fFault == Fault::kCrashAfter);
	return fd;
}

// Closing has no effect on the disk, so even a dead program's descriptors
// are closed: the test process goes on.
int
FaultEnv::Close(int fd)
{
	if (fDead)
		return Env::Close(fd);
	if (!_Step("close")) {
		int error = errno;
		Env::Close(fd);
		errno = error;
		return -1;
	}
	return Env::Close(fd);
}

ssize_t
FaultEnv::Read(int fd, void* buffer, size_t size)
{
	if (!_Step("read"))
		return -1;
	ssize_t result = Env::Read(fd, buffer, size);
	fDead = fDead || (fFired && fFault == Fault::kCrashAfter);
	return result;
}

ssize_t
FaultEnv::Write(int fd, const void* buffer, size_t size)
{
	if (!_Step("write", true))
		return -1;
	if (fFired && fFault == Fault::kShortWrite && !fShortWriteNow) {
		fShortWriteNow = true;
		return Env::Write(fd, buffer, size > 1 ? size / 2 : size);
	}
	ssize_t result = Env::Write(fd, buffer, size);
	fDead = fDead || (fFired && fFault == Fault::kCrashAfter);
	return result;
}

ssize_t
FaultEnv::WriteAt(int fd, const void* buffer, size_t size, off_t position)
{
	if (!_Step("write", true))
		return -1;
	if (fFired && fFault == Fault::kShortWrite && !fShortWriteNow) {
		fShortWriteNow = true;
		return Env::WriteAt(fd, buffer, size > 1 ? size / 2 : size, position);
	}
	ssize_t result = Env::WriteAt(fd, buffer, size, position);
	fDead = fDead || (fFired && fFault == Fault::kCrashAfter);
	return result;
}

#define FAULT_STEP(call, ...)                                  \
	if (!_Step(__VA_ARGS__))                                   \
		return -1;                                             \
	int result = call;                                         \
	fDead = fDead || (fFired && fFault == Fault::kCrashAfter); \
	return result;

int
FaultEnv::Sync(int fd)
{
	FAULT_STEP(Env::Sync(fd), "sync")
}

int
FaultEnv::Rename(const char* from, const char* to, unsigned flags)
{
	FAULT_STEP(Env::Rename(from, to, flags), "rename", false, true)
}

int
FaultEnv::Unlink(const char* path)
{
	FAULT_STEP(Env::Unlink(path), "unlink")
}

int
FaultEnv::MakeFolder(const char* path, mode_t mode)
{
	FAULT_STEP(Env::MakeFolder(path, mode), "mkdir")
}

int
FaultEnv::SetAttr(int fd, const char* path, const char* name, const void* value, size_t size)
{
	FAULT_STEP(Env::SetAttr(fd, path, name, value, size), "setxattr")
}

int
FaultEnv::RemoveAttr(int fd, const char* path, const char* name)
{
	FAULT_STEP(Env::RemoveAttr(fd, path, name), "removexattr")
}

int
FaultEnv::ChangeMode(int fd, mode_t mode)
{
	FAULT_STEP(Env::ChangeMode(fd, mode), "chmod")
}

int
FaultEnv::ChangeOwner(int fd, uid_t owner, gid_t group)
{
	FAULT_STEP(Env::ChangeOwner(fd, owner, group), "chown")
}

int
FaultEnv::SetTimes(int fd, const struct timespec times[2])
{
	FAULT_STEP(Env::SetTimes(fd, times), "utimens")
}

} // namespace glim_test
