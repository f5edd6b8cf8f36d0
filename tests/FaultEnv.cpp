#include "FaultEnv.h"

#include <cerrno>


namespace glim_test {

const char*
fault_name(Fault fault)
{
	static const char* const kNames[] = {"none", "ENOSPC", "EIO", "EACCES", "short write",
		"rename fails", "crash after"};
	return kNames[(int)fault];
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

} // namespace glim_test
