// The real program's answers on the terminal: --help, --version and unknown
// options come before the application and need no display.

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

struct Outcome {
	int status = -1;
	std::string out;
	std::string err;
};

// Runs the program with no display at all: were the application started,
// the toolkit would fail for want of one. Standard output goes to
// stdoutPath when one is given.
Outcome
RunGlim(const std::vector<std::string>& arguments, const char* stdoutPath = NULL)
{
	glim_test::TempDir folder("cmdline");
	const std::string outPath = stdoutPath != NULL ? stdoutPath : folder / "out";
	std::string command =
		"env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" GLIM_EXECUTABLE "'";
	for (const std::string& word : arguments)
		command += " '" + word + "'";
	command += " </dev/null >'" + outPath + "' 2>'" + folder / "err" + "'";
	const int status = system(command.c_str());
	Outcome outcome;
	outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	if (stdoutPath == NULL)
		outcome.out = glim_test::ReadText(outPath);
	outcome.err = glim_test::ReadText(folder / "err");
	return outcome;
}

} // namespace

TEST(CommandLineTest, HelpAndVersionAnswerOnStandardOutputWithoutADisplay)
{
	const struct {
		std::vector<std::string> arguments;
		bool help;
	} cases[] = {
		{{"--help"}, true},
		{{"-h"}, true},
		{{"/no/such/file", "--help"}, true},
		{{"--version"}, false},
		{{"--version", "--help"}, false},
	};
	for (const auto& entry : cases) {
		SCOPED_TRACE(entry.arguments[0] + " " + entry.arguments.back());
		Outcome outcome = RunGlim(entry.arguments);
		EXPECT_EQ(outcome.status, 0) << outcome.err;
		EXPECT_EQ(outcome.err, "");
		if (entry.help) {
			EXPECT_EQ(outcome.out.rfind("Usage: glim [FILE-OR-FOLDER]\n", 0), 0u)
				<< outcome.out;
			for (const char* part : {"second start hands its argument to the\nrunning one",
					 "$XDG_CONFIG_HOME/Glim", "--version"})
				EXPECT_NE(outcome.out.find(part), std::string::npos) << part;
		} else
			EXPECT_EQ(outcome.out, "Glim 0.9.7\n");
	}
}


TEST(CommandLineTest, UnknownOptionIsAnErrorWithStatusTwo)
{
	for (const char* option : {"--bogus", "-x", "--helpme", "--version=1", "-hv"}) {
		SCOPED_TRACE(option);
		Outcome outcome = RunGlim({option, "--help"});
		EXPECT_EQ(outcome.status, 2);
		EXPECT_EQ(outcome.out, "");
		EXPECT_NE(outcome.err.find(std::string("unknown option \"") + option + "\""),
			std::string::npos)
			<< outcome.err;
	}
}


TEST(CommandLineTest, FailedWriteOfTheAnswerIsAFailure)
{
	if (!glim_test::Exists("/dev/full"))
		GTEST_SKIP() << "no /dev/full";
	for (const char* option : {"--help", "--version"}) {
		SCOPED_TRACE(option);
		Outcome outcome = RunGlim({option}, "/dev/full");
		EXPECT_EQ(outcome.status, 1);
		EXPECT_NE(outcome.err.find("cannot write"), std::string::npos) << outcome.err;
	}
}
