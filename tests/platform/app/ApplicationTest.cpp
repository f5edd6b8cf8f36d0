// The application: start-up order, windows, pulse, app info, and single
// launch between two processes.
#include <atomic>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include <QTimer>

#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <Path.h>
#include <Window.h>

#include "AppTestHooks.h"
#include "SingleLaunch.h"
#include "TestHooks.h"
#include "TestSupport.h"

namespace {

const char* kSignature = "application/x-vnd.glim-application-test";
const char* kChildVariable = "GLIM_SINGLE_LAUNCH_CHILD";


class RecordingApp : public BApplication {
public:
	RecordingApp(const char* signature = kSignature) :
		BApplication(signature)
	{
	}

	void ArgvReceived(int32 argc, char** argv) override
	{
		std::string entry = "argv";
		for (int32 i = 0; i < argc; i++)
			entry += std::string(" ") + argv[i];
		events.push_back(entry);
		CheckDone();
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

	void Pulse() override
	{
		if (++pulses == 3)
			Quit();
	}

	void CheckDone()
	{
		if ((int32)events.size() >= quitAfter)
			Quit();
	}

	std::vector<std::string> events;
	int32 quitAfter = 1;
	std::atomic<int32> pulses{0};
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
		Stubborn() :
			BWindow(BRect(0, 0, 9, 9), "stubborn", B_TITLED_WINDOW, 0)
		{
		}
		bool QuitRequested() override { return fAgree; }
		bool fAgree = false;
	};
	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	int32 before = app.CountWindows();
	BWindow* first = new BWindow(BRect(0, 0, 9, 9), "first", B_TITLED_WINDOW, 0);
	Stubborn* second = new Stubborn;
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

TEST_F(ApplicationTest, PulseAtTheSetRate)
{
	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	app.quitAfter = 100;
	app.SetPulseRate(10000);
	RunWithLimit(&app);
	EXPECT_EQ(app.pulses, 3);
}


TEST_F(ApplicationTest, AppInfoNamesTheExecutable)
{
	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	app_info info;
	ASSERT_EQ(app.GetAppInfo(&info), B_OK);
	EXPECT_STREQ(info.signature, kSignature);
	EXPECT_EQ(info.team, getpid());
	char executable[4096];
	ssize_t length = readlink("/proc/self/exe", executable, sizeof(executable) - 1);
	ASSERT_GT(length, 0);
	executable[length] = '\0';
	BPath path(&info.ref);
	EXPECT_STREQ(path.Path(), executable);
	EXPECT_EQ(app.GetAppInfo(NULL), B_BAD_VALUE);
}


TEST_F(ApplicationTest, StaleSocketIsTakenOver)
{
	std::string socketPath = BPrivate::SingleLaunch(kSignature).SocketPath();
	int fd = socket(AF_UNIX, SOCK_STREAM, 0);
	ASSERT_GE(fd, 0);
	sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	snprintf(address.sun_path, sizeof(address.sun_path), "%s", socketPath.c_str());
	unlink(socketPath.c_str());
	ASSERT_EQ(bind(fd, (sockaddr*)&address, sizeof(address)), 0);
	close(fd);
	ASSERT_TRUE(glim_test::Exists(socketPath));

	BPrivate::set_command_line({"glim"});
	RecordingApp app;
	EXPECT_EQ(app.InitCheck(), B_OK);
	int client = socket(AF_UNIX, SOCK_STREAM, 0);
	EXPECT_EQ(connect(client, (sockaddr*)&address, sizeof(address)), 0);
	close(client);
}


TEST_F(ApplicationTest, SecondLaunchHandsOverToTheRunningOne)
{
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
		execl("/proc/self/exe", "child", "--gtest_filter=ApplicationChild.*", (char*)NULL);
		_exit(127);
	}
	RunWithLimit(&app);
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 0);
	ASSERT_EQ(app.events.size(), 3u);
	EXPECT_EQ(app.events[0], "ready");
	EXPECT_EQ(app.events[1], "argv glim handed-over");
	EXPECT_EQ(app.events[2], "refs picture.jpg");
}


// The second process of the test above; skipped in an ordinary run.
TEST(ApplicationChild, HandsOverAndEnds)
{
	const char* runtime = getenv(kChildVariable);
	if (runtime == NULL)
		GTEST_SKIP()
			<< "runs only as the second launch of SecondLaunchHandsOverToTheRunningOne";
	setenv("XDG_RUNTIME_DIR", runtime, 1);
	BPrivate::set_command_line({"glim", "handed-over", "--refs", getenv("GLIM_CHILD_REF")});
	RecordingApp app;
	EXPECT_EQ(app.InitCheck(), B_ALREADY_RUNNING);
	app.Run();
	EXPECT_TRUE(app.events.empty());
}
