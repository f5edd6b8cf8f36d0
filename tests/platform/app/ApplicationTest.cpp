// The application: start-up order, windows, app info, and single launch
// between two processes. The single-launch socket as a boundary:
// hostile frames against a real listening application, the private folder
// and its squatters, the lock that is never granted, and connections from
// another user.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include <QTimer>

#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <OS.h>
#include <Window.h>

#include "AppTestHooks.h"
#include "SingleLaunch.h"
#include "TestSupport.h"

namespace {

const char* kSignature = "application/x-vnd.glim-application-test";
const char* kChildVariable = "GLIM_SINGLE_LAUNCH_CHILD";
const uid_t kOtherUser = 65534;


class RecordingApp : public BApplication {
public:
	RecordingApp() :
		BApplication(kSignature)
	{
	}

	void ArgvReceived(int32 argc, char** argv) override
	{
		std::string entry = "argv";
		for (int32 i = 0; i < argc; i++)
			entry += std::string(" ") + argv[i];
		events.push_back(entry);
		if (entry == "argv glim last")
			Quit();
		CheckDone();
	}

	void MessageReceived(BMessage* message) override
	{
		events.push_back("other " + std::to_string(message->what));
		BApplication::MessageReceived(message);
	}

	void RefsReceived(BMessage* message) override
	{
		std::string entry = "refs";
		entry_ref ref;
		for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
			entry += std::string(" ") + ref.name;
		events.push_back(entry);
		CheckDone();
	}

	void ReadyToRun() override
	{
		events.push_back("ready");
		CheckDone();
	}

	void CheckDone()
	{
		if ((int32)events.size() >= quitAfter)
			Quit();
	}

	std::vector<std::string> events;
	// The single-launch tests quit on "argv glim last" instead.
	int32 quitAfter = 100;
};


class ApplicationTest : public testing::Test {
protected:
	void TearDown() override { BPrivate::clear_command_line(); }
};


// Runs the application with a time limit so that a fault fails the test
// instead of hanging it.
void
RunWithLimit(BApplication* app, int milliseconds = 10000)
{
	QObject context;
	QTimer::singleShot(milliseconds, &context, [app]() { app->Quit(); });
	app->Run();
}

sockaddr_un
address_of(const std::string& path)
{
	sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
	return address;
}

// Connects to path and sends bytes: the connection, -1 when none was made.
int
send_to(const std::string& path, const std::string& bytes, size_t length = std::string::npos)
{
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	sockaddr_un address = address_of(path);
	if (fd >= 0 && connect(fd, (sockaddr*)&address, sizeof(address)) != 0) {
		close(fd);
		return -1;
	}
	send(fd, bytes.data(), std::min(length, bytes.size()), MSG_NOSIGNAL);
	return fd;
}


// True when the other end closes the connection within five seconds.
bool
closed_by_peer(int fd)
{
	bigtime_t deadline = system_time() + 5000000;
	while (system_time() < deadline) {
		pollfd entry = {fd, POLLIN, 0};
		if (poll(&entry, 1, 100) <= 0)
			continue;
		char byte;
		ssize_t read = recv(fd, &byte, 1, 0);
		if (read == 0 || (read < 0 && errno == ECONNRESET))
			return true;
	}
	return false;
}


std::string
frame(const std::vector<char>& body, uint32 length)
{
	std::string bytes((const char*)&length, 4);
	bytes.append(body.data(), body.size());
	return bytes;
}


std::string
frame(const BMessage& message)
{
	std::vector<char> body(message.FlattenedSize());
	message.Flatten(body.data(), body.size());
	return frame(body, (uint32)body.size());
}


BMessage
argv_message(const char* argument)
{
	BMessage message(B_ARGV_RECEIVED);
	message.AddInt32("argc", 2);
	message.AddString("argv", "glim");
	message.AddString("argv", argument);
	return message;
}


} // namespace


TEST_F(ApplicationTest, RunDeliversArgumentsThenRefsThenReady)
{
	glim_test::TempDir folder;
	std::string one = folder / "one.jpg";
	glim_test::WriteFile(one, "x");
	glim_test::WriteFile(folder / "two.png", "y");
	const struct {
		const char* what;
		std::vector<std::string> commandLine;
		std::vector<std::string> events;
	} kCases[] = {
		{"arguments and refs", {"glim", "first", "--refs", one, folder / "two.png"},
			{"argv glim first", "refs one.jpg two.png", "ready"}},
		// A leading "--" makes everything after it typed.
		{"double dash", {"glim", "--", "-dashed", "--refs", one},
			{"argv glim -dashed --refs " + one, "ready"}},
		{"nothing", {"glim"}, {"ready"}},
	};
	for (const auto& test : kCases) {
		SCOPED_TRACE(test.what);
		BPrivate::set_command_line(test.commandLine);
		RecordingApp app;
		ASSERT_EQ(app.InitCheck(), B_OK);
		EXPECT_EQ(be_app, &app);
		app.quitAfter = test.events.size();
		RunWithLimit(&app);
		EXPECT_EQ(app.events, test.events);
		EXPECT_FALSE(app.IsLaunching());
	}
}

TEST_F(ApplicationTest, WindowsCountInCreationOrderAndAreAskedBeforeQuitting)
{
	class Stubborn : public BWindow {
	public:
		using BWindow::BWindow;
		bool QuitRequested() override { return fAgree; }
		bool fAgree = false;
	};
	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	int32 before = app.CountWindows();
	BWindow* first = new BWindow(BRect(0, 0, 9, 9), "first", B_TITLED_WINDOW, 0);
	Stubborn* second = new Stubborn(BRect(0, 0, 9, 9), "stubborn", B_TITLED_WINDOW, 0);
	EXPECT_EQ(app.CountWindows(), before + 2);
	EXPECT_EQ(app.WindowAt(before), first);
	EXPECT_EQ(app.WindowAt(before + 1), second);
	EXPECT_EQ(app.WindowAt(before + 2), nullptr);
	first->Show();
	first->Lock();
	first->Quit();
	EXPECT_EQ(app.CountWindows(), before + 1);
	EXPECT_EQ(app.WindowAt(before), second);
	// The application asks the windows that are left, and stops at one that
	// refuses.
	EXPECT_FALSE(app.QuitRequested());
	EXPECT_EQ(app.WindowAt(before), second);
	EXPECT_FALSE(second->IsLocked());
	second->fAgree = true;
	EXPECT_TRUE(app.QuitRequested());
	EXPECT_EQ(app.CountWindows(), before);
}

TEST_F(ApplicationTest, SecondLaunchHandsOverToTheRunningOne)
{
	// The test runs itself again as the second launch.
	if (const char* runtime = getenv(kChildVariable)) {
		setenv("XDG_RUNTIME_DIR", runtime, 1);
		BPrivate::set_command_line({"glim", "handed-over", "--refs", getenv("GLIM_CHILD_REF")});
		RecordingApp app;
		EXPECT_EQ(app.InitCheck(), B_ALREADY_RUNNING);
		app.Run();
		EXPECT_TRUE(app.events.empty());
		return;
	}
	glim_test::TempDir folder;
	glim_test::WriteFile(folder / "picture.jpg", "x");
	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	ASSERT_EQ(app.InitCheck(), B_OK);
	app.quitAfter = 3;

	pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		setenv(kChildVariable, getenv("XDG_RUNTIME_DIR"), 1);
		setenv("GLIM_CHILD_REF", (folder / "picture.jpg").c_str(), 1);
		execl("/proc/self/exe", "child",
			"--gtest_filter=ApplicationTest.SecondLaunchHandsOverToTheRunningOne", (char*)NULL);
		_exit(127);
	}
	RunWithLimit(&app);
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
	EXPECT_EQ(app.events,
		(std::vector<std::string>{"ready", "argv glim handed-over", "refs picture.jpg"}));
}


TEST(SingleLaunchTest, HostileFramesAreDroppedWithTheirConnection)
{
	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	ASSERT_EQ(app.InitCheck(), B_OK);
	std::string path = BPrivate::SingleLaunch(kSignature).SocketPath();

	std::string goodFrame = frame(argv_message("good"));
	std::vector<char> good(goodFrame.begin() + 4, goodFrame.end());
	// The good message with the message size (at 4) or the field count (at
	// 44) replaced.
	auto patched = [&](size_t offset, uint32 value) {
		std::vector<char> body = good;
		memcpy(body.data() + offset, &value, 4);
		return body;
	};
	struct Hostile {
		const char* what;
		std::string bytes;
	} hostile[] = {
		{"frame of 1 GiB", frame(good, 1u << 30)},
		{"frame of 2^32 - 1", frame(good, 0xffffffff)},
		{"frame shorter than a message header", frame({'1', 'S', 'M'}, 3)},
		{"empty frame", frame({}, 0)},
		{"message claiming 1 GiB", frame(patched(4, 1u << 30), (uint32)good.size())},
		{"message longer than its frame",
			frame(patched(4, (uint32)good.size() + 4), (uint32)good.size())},
		{"field count lies", frame(patched(44, 1000000), (uint32)good.size())},
		{"not a message", frame(std::vector<char>(good.size(), 'x'), (uint32)good.size())},
		{"a command that is not a hand-over", frame(BMessage('Bvbi'))},
	};

	std::thread client([&]() {
		for (const Hostile& entry : hostile) {
			SCOPED_TRACE(entry.what);
			int fd = send_to(path, entry.bytes);
			ASSERT_GE(fd, 0);
			EXPECT_TRUE(closed_by_peer(fd));
			close(fd);
		}
		// Cut off half way, and fewer than four bytes: nothing arrives.
		std::string good = frame(argv_message("truncated"));
		for (size_t length : {good.size() / 2, (size_t)3}) {
			int fd = send_to(path, good, length);
			ASSERT_GE(fd, 0);
			close(fd);
		}
		// A good frame after a bad one on the same connection is never read.
		int fd = send_to(path, frame(BMessage('Bvbi')) + frame(argv_message("after bad")));
		EXPECT_TRUE(closed_by_peer(fd));
		close(fd);
		// The instance still takes a proper hand-over.
		fd = send_to(path, frame(argv_message("last")));
		char acknowledgement = 0;
		EXPECT_EQ(recv(fd, &acknowledgement, 1, 0), 1);
		EXPECT_EQ(acknowledgement, 'A');
		close(fd);
	});
	RunWithLimit(&app, 20000);
	client.join();
	EXPECT_EQ(app.events, (std::vector<std::string>{"ready", "argv glim last"}));
}


// With no runtime folder the socket goes into a folder of the user's own in
// $TMPDIR; one that anybody else could have made or changed is not used,
// and the program starts on its own instead of talking to whatever is in
// it.
TEST(SingleLaunchTest, SquattedFolderIsNotUsed)
{
	std::string socketName =
		std::filesystem::path(BPrivate::SingleLaunch(kSignature).SocketPath()).filename();
	glim_test::TempDir temporary;
	glim_test::ScopedVariable runtime("XDG_RUNTIME_DIR", NULL);
	glim_test::ScopedVariable tmpdir("TMPDIR", temporary.Path().c_str());
	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	std::string folder = temporary / ("glim-" + std::to_string(getuid()));
	auto makeWithMode = [&](mode_t mode) {
		ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
		ASSERT_EQ(chmod(folder.c_str(), mode), 0);
	};

	struct Case {
		const char* what;
		std::function<void()> make;
		bool rootOnly;
		bool used;
	} cases[] = {
		{"missing: made with mode 0700", [] {}, false, true},
		{"mode 0700", [&] { makeWithMode(0700); }, false, true},
		{"mode 0755", [&] { makeWithMode(0755); }, false, false},
		{"mode 0777", [&] { makeWithMode(0777); }, false, false},
		{"sticky 01700", [&] { makeWithMode(01700); }, false, false},
		{"a link to a private folder",
			[&] { ASSERT_EQ(symlink(temporary.Path().c_str(), folder.c_str()), 0); }, false,
			false},
		{"a file", [&] { glim_test::WriteFile(folder, "x"); }, false, false},
		{"another user's",
			[&] {
				makeWithMode(0700);
				ASSERT_EQ(chown(folder.c_str(), kOtherUser, kOtherUser), 0);
			},
			true, false},
	};
	for (const Case& entry : cases) {
		SCOPED_TRACE(entry.what);
		if (entry.rootOnly && getuid() != 0) {
			printf("skipped \"%s\": needs root to give a folder away\n", entry.what);
			continue;
		}
		std::filesystem::remove_all(folder);
		entry.make();
		// In a folder that is not used, a squatter's socket waits for the
		// arguments.
		int squatter = -1;
		struct stat info;
		if (!entry.used && lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
			squatter = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
			sockaddr_un address = address_of(folder + "/" + socketName);
			ASSERT_EQ(bind(squatter, (sockaddr*)&address, sizeof(address)), 0);
			ASSERT_EQ(listen(squatter, 4), 0);
		}

		BPrivate::SingleLaunch launch(kSignature);
		BMessage argv = argv_message("secret");
		EXPECT_EQ(launch.Start({&argv}, BMessenger(&app)), B_OK)
			<< "starts on its own, never hands over";
		EXPECT_EQ(launch.IsListening(), entry.used);
		if (entry.used) {
			EXPECT_EQ(launch.SocketPath(), folder + "/" + socketName);
			ASSERT_EQ(lstat(folder.c_str(), &info), 0);
			EXPECT_EQ(info.st_mode & 07777, 0700u);
		} else
			EXPECT_TRUE(launch.SocketPath().empty());
		if (squatter >= 0) {
			EXPECT_LT(accept(squatter, NULL, NULL), 0) << "the squatter got a connection";
			close(squatter);
		}
	}

	// Nor is a runtime folder that is not private: the one in $TMPDIR is
	// used instead.
	std::filesystem::remove_all(folder);
	glim_test::TempDir open("runtime");
	chmod(open.Path().c_str(), 0777);
	glim_test::ScopedVariable openRuntime("XDG_RUNTIME_DIR", open.Path().c_str());
	std::string path = BPrivate::SingleLaunch(kSignature).SocketPath();
	EXPECT_EQ(path.rfind(folder + "/", 0), 0u) << path;
	chmod(open.Path().c_str(), 0700);
	path = BPrivate::SingleLaunch(kSignature).SocketPath();
	EXPECT_EQ(path.rfind(open.Path() + "/", 0), 0u) << path;
}


// Whoever holds the lock cannot keep a new start waiting: after the time
// given it runs on its own, without taking the socket over.
TEST(SingleLaunchTest, HeldLockTimesOut)
{
	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	// Another signature than the application's, whose socket would answer.
	const char* kLockSignature = "application/x-vnd.glim-lock-test";
	BPrivate::SingleLaunch launch(kLockSignature, 300000);
	ASSERT_FALSE(launch.SocketPath().empty());
	int lock = open((launch.SocketPath() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC,
		0600);
	ASSERT_GE(lock, 0);
	ASSERT_EQ(flock(lock, LOCK_EX), 0);

	BMessage argv = argv_message("waiting");
	bigtime_t start = system_time();
	EXPECT_EQ(launch.Start({&argv}, BMessenger(&app)), B_OK);
	bigtime_t waited = system_time() - start;
	EXPECT_GE(waited, 300000);
	EXPECT_LT(waited, 3000000);
	EXPECT_FALSE(launch.IsListening());
	close(lock);

	BPrivate::SingleLaunch later(kLockSignature, 300000);
	EXPECT_EQ(later.Start({}, BMessenger(&app)), B_OK);
	EXPECT_TRUE(later.IsListening()) << "a free lock is taken at once";
}


// A process of another user that reaches the socket (here through a
// descriptor opened before it gave up root) is refused before it is read.
TEST(SingleLaunchTest, AnotherUsersConnectionIsRefused)
{
	if (getuid() != 0)
		GTEST_SKIP() << "needs root to connect as another user";
	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	ASSERT_EQ(app.InitCheck(), B_OK);
	std::string path = BPrivate::SingleLaunch(kSignature).SocketPath();
	ASSERT_EQ(chmod(path.c_str(), 0777), 0);

	// Everything the child needs is made before the fork: it only makes
	// system calls.
	int target = open(path.c_str(), O_PATH | O_CLOEXEC);
	ASSERT_GE(target, 0);
	sockaddr_un address = address_of("/proc/self/fd/" + std::to_string(target));
	std::string bytes = frame(argv_message("intruder"));
	pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		if (setgid(kOtherUser) != 0 || setuid(kOtherUser) != 0)
			_exit(10);
		prctl(PR_SET_DUMPABLE, 1);
		int fd = socket(AF_UNIX, SOCK_STREAM, 0);
		if (fd < 0 || connect(fd, (sockaddr*)&address, sizeof(address)) != 0)
			_exit(11);
		send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
		_exit(closed_by_peer(fd) ? 0 : 12);
	}
	close(target);
	std::thread waiter([&]() {
		int status = 0;
		waitpid(child, &status, 0);
		EXPECT_TRUE(WIFEXITED(status));
		EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no other user, 11: no connection, "
											 "12: not refused";
		close(send_to(path, frame(argv_message("last"))));
	});
	RunWithLimit(&app, 20000);
	waiter.join();
	EXPECT_EQ(app.events, (std::vector<std::string>{"ready", "argv glim last"}));
}
