#include "Application.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <Message.h>
#include <Window.h>

#include "AppPrivate.h"
#include "AppTestHooks.h"
#include "InterfacePrivate.h"
#include "SingleLaunch.h"

BApplication* be_app = NULL;
BMessenger be_app_messenger;

namespace {

const char* kRefsOption = "--refs";
const char* kEndOfOptions = "--";

std::mutex sCommandLineLock;
std::optional<std::vector<std::string>> sCommandLine;

// The arguments and argv array that the GUI toolkit keeps for its lifetime.
std::vector<std::string> sToolkitArguments;
std::vector<char*> sToolkitArgv;
int sToolkitArgc = 0;

QEventLoop* sRunLoop = NULL;
bool sQuitBeforeRun = false;


std::vector<std::string>
read_command_line()
{
	{
		std::lock_guard<std::mutex> guard(sCommandLineLock);
		if (sCommandLine)
			return *sCommandLine;
	}
	std::ifstream file("/proc/self/cmdline", std::ios::binary);
	std::string contents((std::istreambuf_iterator<char>(file)),
		std::istreambuf_iterator<char>());
	std::vector<std::string> arguments;
	size_t start = 0;
	for (size_t i = 0; i < contents.size(); i++) {
		if (contents[i] == '\0') {
			arguments.push_back(contents.substr(start, i - start));
			start = i + 1;
		}
	}
	if (arguments.empty())
		arguments.push_back("glim");
	return arguments;
}


void
start_toolkit(const std::vector<std::string>& arguments)
{
	if (QCoreApplication::instance() != NULL) {
		BPrivate::gui_thread();
		return;
	}
	sToolkitArguments = arguments;
	for (std::string& argument : sToolkitArguments)
		sToolkitArgv.push_back(argument.data());
	sToolkitArgc = (int)sToolkitArgv.size();
	sToolkitArgv.push_back(NULL);
	BPrivate::ensure_qt_application(sToolkitArgc, sToolkitArgv.data());
}


// A relative argument that names an existing entry, made absolute so that
// the running instance finds it from its own folder.
std::string
absolute_if_exists(const std::string& argument, const std::string& cwd)
{
	struct stat info;
	if (argument.empty() || argument[0] == '/' || cwd.empty()
		|| stat(argument.c_str(), &info) != 0)
		return argument;
	return cwd + "/" + argument;
}


std::string
current_folder()
{
	std::vector<char> buffer(PATH_MAX);
	while (getcwd(buffer.data(), buffer.size()) == NULL) {
		if (errno != ERANGE)
			return "";
		buffer.resize(buffer.size() * 2);
	}
	return buffer.data();
}

} // namespace


void
BPrivate::set_command_line(const std::vector<std::string>& arguments)
{
	std::lock_guard<std::mutex> guard(sCommandLineLock);
	sCommandLine = arguments;
}


void
BPrivate::clear_command_line()
{
	std::lock_guard<std::mutex> guard(sCommandLineLock);
	sCommandLine.reset();
}


app_info::app_info() :
	thread(-1),
	team(-1),
	port(-1),
	flags(0)
{
	signature[0] = '\0';
}


BApplication::BApplication(const char* signature) :
	BLooper("application"),
	fInitStatus(B_NO_INIT),
	fPulseRate(500000),
	fPulsePending(false),
	fReadyToRunCalled(false),
	fThread(-1),
	fPulseTimer(NULL)
{
	_Init(signature);
}


BApplication::BApplication(const char* signature, status_t* _error) :
	BApplication(signature)
{
	if (_error != NULL)
		*_error = fInitStatus;
}


BApplication::~BApplication()
{
	for (int32 i = CountWindows() - 1; i >= 0; i--) {
		BWindow* window = WindowAt(i);
		if (window != NULL && window->Lock())
			window->Quit();
	}
	delete fPulseTimer;
	fSingleLaunch.reset();
	if (be_app == this) {
		be_app = NULL;
		be_app_messenger = BMessenger();
	}
}


void
BApplication::_Init(const char* signature)
{
	if (signature == NULL || signature[0] == '\0') {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	fSignature = signature;
	std::vector<std::string> arguments = read_command_line();
	start_toolkit(arguments);
	fThread = BPrivate::gui_thread();
	_SplitArguments(arguments);
	be_app = this;
	be_app_messenger = BMessenger(this);

	std::string cwd = current_folder();
	BMessage argv(B_ARGV_RECEIVED);
	argv.AddInt32("argc", (int32)fArguments.size());
	for (const std::string& argument : fArguments)
		argv.AddString("argv", absolute_if_exists(argument, cwd).c_str());
	argv.AddString("cwd", cwd.c_str());
	BMessage refs(B_REFS_RECEIVED);
	for (const std::string& path : fRefPaths) {
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) == B_OK)
			refs.AddRef("refs", &ref);
	}
	std::vector<const BMessage*> handOver;
	if (fArguments.size() > 1)
		handOver.push_back(&argv);
	if (!refs.IsEmpty())
		handOver.push_back(&refs);
	fSingleLaunch = std::make_unique<BPrivate::SingleLaunch>(signature);
	fInitStatus = fSingleLaunch->Start(handOver, be_app_messenger);
	// Without a socket to listen on (no writable runtime folder) the
	// application still runs, only later starts cannot find it.
	if (fInitStatus == B_ERROR)
		fInitStatus = B_OK;
}


void
BApplication::_SplitArguments(const std::vector<std::string>& arguments)
{
	fArguments.clear();
	fRefPaths.clear();
	// A leading "--" ends the options: what follows is typed arguments only,
	// even "--refs" or a name that begins with a dash.
	bool optionsEnded = false;
	bool refs = false;
	for (size_t i = 0; i < arguments.size(); i++) {
		if (i == 1 && arguments[i] == kEndOfOptions) {
			optionsEnded = true;
			continue;
		}
		if (i > 0 && !refs && !optionsEnded && arguments[i] == kRefsOption) {
			refs = true;
			continue;
		}
		if (refs)
			fRefPaths.push_back(arguments[i]);
		else
			fArguments.push_back(arguments[i]);
	}
}


// #pragma mark - running


thread_id
BApplication::Run()
{
	if (fInitStatus != B_OK)
		return fInitStatus;
	BLooper::Run();
	_PostStartMessages();
	_SyncPulse();
	if (!sQuitBeforeRun) {
		QEventLoop loop;
		sRunLoop = &loop;
		loop.exec();
		sRunLoop = NULL;
	}
	sQuitBeforeRun = false;
	return fThread;
}


void
BApplication::_PostStartMessages()
{
	if (fArguments.size() > 1) {
		BMessage argv(B_ARGV_RECEIVED);
		argv.AddInt32("argc", (int32)fArguments.size());
		for (const std::string& argument : fArguments)
			argv.AddString("argv", argument.c_str());
		argv.AddString("cwd", current_folder().c_str());
		PostMessage(&argv);
	}
	BMessage refs(B_REFS_RECEIVED);
	for (const std::string& path : fRefPaths) {
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) == B_OK)
			refs.AddRef("refs", &ref);
	}
	if (!refs.IsEmpty())
		PostMessage(&refs);
	PostMessage(B_READY_TO_RUN);
}


void
BApplication::Quit()
{
	// Leaves the event loop of Run(); the object itself is deleted by its
	// creator once Run() has returned.
	QMetaObject::invokeMethod(
		QCoreApplication::instance(),
		[]() {
			if (sRunLoop != NULL)
				sRunLoop->quit();
			else
				sQuitBeforeRun = true;
		},
		Qt::QueuedConnection);
	if (BPrivate::is_gui_thread() && sRunLoop == NULL)
		sQuitBeforeRun = true;
}


bool
BApplication::QuitRequested()
{
	for (int32 i = CountWindows() - 1; i >= 0; i--) {
		BWindow* window = WindowAt(i);
		if (window == NULL || !window->Lock())
			continue;
		if (!window->QuitRequested()) {
			window->Unlock();
			return false;
		}
		window->Quit();
	}
	return true;
}


void
BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}
	switch (message->what) {
		case B_ARGV_RECEIVED:
			_DispatchArgv(message);
			break;
		case B_REFS_RECEIVED:
			RefsReceived(message);
			break;
		case B_READY_TO_RUN:
			if (!fReadyToRunCalled) {
				fReadyToRunCalled = true;
				ReadyToRun();
			}
			break;
		case B_ABOUT_REQUESTED:
			AboutRequested();
			break;
		case B_PULSE:
			fPulsePending = false;
			Pulse();
			break;
		default:
			BLooper::DispatchMessage(message, handler);
			break;
	}
}


void
BApplication::_DispatchArgv(BMessage* message)
{
	std::vector<std::string> arguments;
	const char* argument;
	for (int32 i = 0; message->FindString("argv", i, &argument) == B_OK; i++)
		arguments.push_back(argument);
	if (arguments.empty())
		return;
	std::vector<char*> argv;
	for (std::string& each : arguments)
		argv.push_back(each.data());
	argv.push_back(NULL);
	ArgvReceived((int32)arguments.size(), argv.data());
}


void
BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

void
BApplication::Pulse()
{
}

void
BApplication::ReadyToRun()
{
}

void
BApplication::ArgvReceived(int32, char**)
{
}

void
BApplication::RefsReceived(BMessage*)
{
}

void
BApplication::AboutRequested()
{
}

// #pragma mark - windows, pulse, info


int32
BApplication::CountWindows() const
{
	return BPrivate::count_windows();
}


BWindow*
BApplication::WindowAt(int32 index) const
{
	return BPrivate::window_at(index);
}


void
BApplication::SetPulseRate(bigtime_t rate)
{
	fPulseRate = rate > 0 ? rate : 0;
	_SyncPulse();
}


void
BApplication::_SyncPulse()
{
	int32 token = _Token();
	bigtime_t rate = fPulseRate;
	auto sync = [this, token, rate]() {
		if (BPrivate::looper_for_token(token) != this)
			return;
		if (fPulseTimer == NULL) {
			fPulseTimer = new QTimer;
			QObject::connect(fPulseTimer, &QTimer::timeout, [this]() {
				if (fPulsePending.exchange(true))
					return;
				PostMessage(B_PULSE);
			});
		}
		if (rate <= 0)
			fPulseTimer->stop();
		else
			fPulseTimer->start(std::max(1, (int)(rate / 1000)));
	};
	if (BPrivate::is_gui_thread())
		sync();
	else
		QMetaObject::invokeMethod(QCoreApplication::instance(), sync, Qt::QueuedConnection);
}


status_t
BApplication::GetAppInfo(app_info* info) const
{
	if (info == NULL)
		return B_BAD_VALUE;
	info->thread = fThread;
	info->team = getpid();
	info->port = -1;
	info->flags = B_SINGLE_LAUNCH;
	snprintf(info->signature, sizeof(info->signature), "%s", fSignature.c_str());
	std::vector<char> path(PATH_MAX + 1);
	ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
	if (length < 0)
		return BPrivate::status_from_errno(errno);
	path[length] = '\0';
	return get_ref_for_path(path.data(), &info->ref);
}
