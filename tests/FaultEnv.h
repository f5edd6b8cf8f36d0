#ifndef GLIM_TEST_FAULT_ENV_H
#define GLIM_TEST_FAULT_ENV_H

// An Env that counts every call the storage kit makes on users' files and
// can make one of them fail, or stop the world right after it (every later
// call fails and changes nothing, as if the program had been killed there).
// Installed for its lifetime; the system's own Env is put back after.

#include <functional>
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
	FaultEnv() :
		fPrevious(BPrivate::set_env(this))
	{
	}
	~FaultEnv() override { BPrivate::set_env(fPrevious); }

	// Step numbers start at 1. With kNone nothing fails.
	void Arm(int step, Fault fault)
	{
		fArmedStep = step;
		fFault = fault;
	}
	int Steps() const { return fSteps; }
	// The name of each step taken so far ("write", "rename", ...).
	const std::vector<std::string>& Log() const { return fLog; }
	// Whether the armed fault was met.
	bool Fired() const { return fFired; }
	// Called after every read that returned bytes, as another program
	// writing the file meanwhile would.
	std::function<void()> fAfterRead;

	int Open(const char* path, int flags, mode_t mode) override
	{
		return _Step("open") ? _Done(Env::Open(path, flags, mode)) : -1;
	}
	int Close(int fd) override;
	ssize_t Read(int fd, void* buffer, size_t size) override
	{
		ssize_t result = _Step("read") ? _Done(Env::Read(fd, buffer, size)) : -1;
		if (result > 0 && fAfterRead)
			fAfterRead();
		return result;
	}
	ssize_t Write(int fd, const void* buffer, size_t size) override
	{
		return _Step("write", true) ? _Done(Env::Write(fd, buffer, _WriteSize(size))) : -1;
	}
	ssize_t WriteAt(int fd, const void* buffer, size_t size, off_t position) override
	{
		return _Step("write", true)
			? _Done(Env::WriteAt(fd, buffer, _WriteSize(size), position))
			: -1;
	}
	int Sync(int fd) override { return _Step("sync") ? _Done(Env::Sync(fd)) : -1; }
	int Rename(const char* from, const char* to, unsigned flags) override
	{
		return _Step("rename", false, true) ? _Done(Env::Rename(from, to, flags)) : -1;
	}
	int Unlink(const char* path) override
	{
		return _Step("unlink") ? _Done(Env::Unlink(path)) : -1;
	}
	int MakeFolder(const char* path, mode_t mode) override
	{
		return _Step("mkdir") ? _Done(Env::MakeFolder(path, mode)) : -1;
	}
	int SetAttr(int fd, const char* path, const char* name, const void* value,
		size_t size) override
	{
		return _Step("setxattr") ? _Done(Env::SetAttr(fd, path, name, value, size)) : -1;
	}
	int RemoveAttr(int fd, const char* path, const char* name) override
	{
		return _Step("removexattr") ? _Done(Env::RemoveAttr(fd, path, name)) : -1;
	}
	int ChangeMode(int fd, mode_t mode) override
	{
		return _Step("chmod") ? _Done(Env::ChangeMode(fd, mode)) : -1;
	}
	int ChangeOwner(int fd, uid_t owner, gid_t group) override
	{
		return _Step("chown") ? _Done(Env::ChangeOwner(fd, owner, group)) : -1;
	}
	int SetTimes(int fd, const struct timespec times[2]) override
	{
		return _Step("utimens") ? _Done(Env::SetTimes(fd, times)) : -1;
	}

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
