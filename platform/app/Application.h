#ifndef _APPLICATION_H
#define _APPLICATION_H

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <Entry.h>
#include <Looper.h>
#include <Messenger.h>
#include <StorageDefs.h>

class BWindow;

namespace BPrivate {
class SingleLaunch;
}

// Launch flags of app_info.
#define B_SINGLE_LAUNCH 0x0
#define B_MULTIPLE_LAUNCH 0x1
#define B_EXCLUSIVE_LAUNCH 0x2
#define B_LAUNCH_MASK 0x3
#define B_BACKGROUND_APP 0x4
#define B_ARGV_ONLY 0x8

struct app_info {
	app_info();

	thread_id thread;
	team_id team;
	port_id port;
	uint32 flags;
	entry_ref ref;
	char signature[B_MIME_TYPE_LENGTH];
};

// The application: a looper dispatched on the GUI thread, whose Run() runs
// the GUI event loop until Quit().
//
// The constructor starts the GUI toolkit with the process's own arguments.
// A desktop launcher hands files over as "--refs path...": everything after
// that option becomes one B_REFS_RECEIVED message instead of arguments.
// Run() then delivers, in order: ArgvReceived (only when there are
// arguments besides the program's name), RefsReceived, ReadyToRun.
//
// Single launch: while an application runs, a second start of the same
// signature by the same user hands its arguments (B_ARGV_RECEIVED with
// "argc", "argv" and "cwd"; relative paths that exist are made absolute)
// and its references (B_REFS_RECEIVED) to the running one, whose hooks
// receive them; the second one's InitCheck() is B_ALREADY_RUNNING and its
// Run() returns at once. A socket left behind by a crashed instance is taken
// over.
class BApplication : public BLooper {
public:
	BApplication(const char* signature);
	BApplication(const char* signature, status_t* _error);
	virtual ~BApplication();

	status_t InitCheck() const { return fInitStatus; }

	// Hooks.
	virtual thread_id Run();
	virtual void Quit();
	// Asks every window; true when all of them quit.
	virtual bool QuitRequested();
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	virtual void Pulse();
	virtual void ReadyToRun();
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void RefsReceived(BMessage* message);
	virtual void AboutRequested();

	// Every BWindow that exists, in creation order.
	int32 CountWindows() const;
	BWindow* WindowAt(int32 index) const;

	// Pulse() every rate microseconds on the GUI thread; 0 stops it.
	void SetPulseRate(bigtime_t rate);
	bigtime_t PulseRate() const { return fPulseRate; }

	status_t GetAppInfo(app_info* info) const;
	const char* Signature() const { return fSignature.c_str(); }
	bool IsLaunching() const { return !fReadyToRunCalled; }

private:
	BApplication(const BApplication&) = delete;
	BApplication& operator=(const BApplication&) = delete;

	void _Init(const char* signature);
	void _SplitArguments(const std::vector<std::string>& arguments);
	void _PostStartMessages();
	void _DispatchArgv(BMessage* message);
	void _SyncPulse();

	std::string fSignature;
	status_t fInitStatus;
	std::vector<std::string> fArguments;
	std::vector<std::string> fRefPaths;
	std::unique_ptr<BPrivate::SingleLaunch> fSingleLaunch;
	bigtime_t fPulseRate;
	std::atomic<bool> fPulsePending;
	bool fReadyToRunCalled;
	thread_id fThread;
	class QTimer* fPulseTimer;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;

#endif
