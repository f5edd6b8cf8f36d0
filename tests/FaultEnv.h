#ifndef GLIM_TEST_FAULT_ENV_H
#define GLIM_TEST_FAULT_ENV_H

// An Env that counts every call the storage kit makes on users' files and
// can make one of them fail, or stop the world right after it (every later
// call fails and changes nothing, as if the program had been killed there).
// Installed for its lifetime; the system's own Env is put back after.

#include <string>
#include <vector>

#include "Env.h"

namespace glim_test {

enum class Fault {
	kNone,
	kNoSpace, // ENOSPC
	kIOError, // EIO
	kNoAccess, // EACCES
	kShortWrite, // half the bytes written, then ENOSPC
	kRenameFails, // EBUSY, on a rename only
	kCrashAfter, // the step is done, then nothing more is
};

const char* fault_name(Fault fault);

class FaultEnv : public BPrivate::Env {
public:
	FaultEnv();
	~FaultEnv() override;

	// Step numbers start at 1. With kNone nothing fails.
	void Arm(int step, Fault fault);
	int Steps() const { return fSteps; }
	// The name of each step taken so far ("write", "rename", ...).
	const std::vector<std::string>& Log() const { return fLog; }
	// Whether the armed fault was met.
	bool Fired() const { return fFired; }

	int Open(const char* path, int flags, mode_t mode) override;
	int Close(int fd) override;
	ssize_t Read(int fd, void* buffer, size_t size) override;
	ssize_t Write(int fd, const void* buffer, size_t size) override;
	ssize_t WriteAt(int fd, const void* buffer, size_t size, off_t position) override;
	int Sync(int fd) override;
	int Rename(const char* from, const char* to, unsigned flags) override;
	int Unlink(const char* path) override;
	int MakeFolder(const char* path, mode_t mode) override;
	int SetAttr(int fd, const char* path, const char* name, const void* value,
		size_t size) override;
	int RemoveAttr(int fd, const char* path, const char* name) override;
	int ChangeMode(int fd, mode_t mode) override;
	int ChangeOwner(int fd, uid_t owner, gid_t group) override;
	int SetTimes(int fd, const struct timespec times[2]) override;

private:
	// Counts a step. False, with errno set, when it must fail now.
	bool _Step(const char* name, bool isWrite = false, bool isRename = false);
	// The size to write: half of it for the armed short write.
	size_t _WriteSize(size_t size);
	// After a crash, nothing more reaches the disk.
	template<typename T>
	T _Done(T result)
	{
		fDead = fDead || (fFired && fFault == Fault::kCrashAfter);
		return result;
	}

	BPrivate::Env* fPrevious;
	int fSteps = 0;
	int fArmedStep = 0;
	Fault fFault = Fault::kNone;
	bool fFired = false;
	bool fDead = false;
	bool fShortWriteNow = false;
	std::vector<std::string> fLog;
};

} // namespace glim_test

#endif
