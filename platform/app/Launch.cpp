// Turning a desktop file's Exec line into command lines, and starting them
// as processes of their own.
#include "LaunchPrivate.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <functional>
#include <mutex>

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <Errors.h>

#include "AppTestHooks.h"
#include "DesktopFiles.h"

extern char** environ;

namespace BPrivate {

namespace {

std::mutex sRecorderLock;
LaunchRecorder sRecorder;

// One argument of an Exec line: its characters and which of them came from
// a quoted part (where field codes are not expanded).
struct Token {
	std::string text;
	std::vector<bool> quoted;
};


status_t
tokenize(const std::string& exec, std::vector<Token>& _tokens)
{
	Token current;
	bool inToken = false;
	bool inQuotes = false;
	for (size_t i = 0; i < exec.size(); i++) {
		char c = exec[i];
		if (inQuotes) {
			if (c == '"') {
				inQuotes = false;
				continue;
			}
			if (c == '\\' && i + 1 < exec.size() && strchr("\"`$\\", exec[i + 1]) != NULL)
				c = exec[++i];
			current.text += c;
			current.quoted.push_back(true);
		} else if (c == ' ' || c == '\t' || c == '\n') {
			if (inToken)
				_tokens.push_back(current);
			current = Token();
			inToken = false;
		} else if (c == '"') {
			inQuotes = true;
			inToken = true;
		} else {
			current.text += c;
			current.quoted.push_back(false);
			inToken = true;
		}
	}
	if (inQuotes)
		return B_BAD_VALUE;
	if (inToken)
		_tokens.push_back(current);
	return B_OK;
}


bool
is_code(const Token& token, const char* code)
{
	return token.text == code && !token.quoted[0];
}


// Expands one token for one process. file is NULL when the command takes
// no single file (or there is none).
status_t
expand_token(const Token& token, const DesktopApplication& application,
	const std::vector<std::string>& files, const std::string* file,
	std::vector<std::string>& _argv)
{
	if (is_code(token, "%F") || is_code(token, "%U")) {
		_argv.insert(_argv.end(), files.begin(), files.end());
		return B_OK;
	}
	if (is_code(token, "%i")) {
		if (!application.icon.empty()) {
			_argv.push_back("--icon");
			_argv.push_back(application.icon);
		}
		return B_OK;
	}
	if ((is_code(token, "%f") || is_code(token, "%u")) && file == NULL)
		return B_OK;

	std::string result;
	for (size_t i = 0; i < token.text.size(); i++) {
		if (token.text[i] != '%' || token.quoted[i] || i + 1 == token.text.size()) {
			result += token.text[i];
			continue;
		}
		char code = token.text[++i];
		switch (code) {
			case '%':
				result += '%';
				break;
			case 'f':
			case 'u':
				if (file != NULL)
					result += *file;
				break;
			case 'c':
				result += application.name;
				break;
			case 'k':
				result += application.file;
				break;
			// Deprecated, and lists that belong on their own: dropped.
			case 'd':
			case 'D':
			case 'n':
			case 'N':
			case 'v':
			case 'm':
			case 'F':
			case 'U':
			case 'i':
				break;
			default:
				return B_BAD_VALUE;
		}
	}
	_argv.push_back(result);
	return B_OK;
}


bool
takes_one_file(const std::vector<Token>& tokens)
{
	for (const Token& token : tokens) {
		for (size_t i = 0; i + 1 < token.text.size(); i++) {
			if (token.text[i] == '%' && !token.quoted[i]) {
				char code = token.text[i + 1];
				if (code == 'f' || code == 'u')
					return true;
				i++;
			}
		}
	}
	return false;
}


// What the process reports back through the pipe: its id from the
// intermediate process, or the errno of a failed exec.
struct Report {
	int kind;
	int value;
};
const int kReportPid = 1;
const int kReportError = 2;
// The program ended with a failure within the time it was watched.
const int kReportFailed = 3;


// Runs in the forked child (async-signal-safe calls only): starts the
// program in a grandchild, reports its id and exits, so the grandchild is
// nobody's child to wait for.
[[noreturn]] void
run_child(const char* program, char* const* argv, const char* folder, int reportFD, int maxFD,
	bigtime_t watch)
{
	setsid();
	pid_t grandchild = fork();
	if (grandchild == 0) {
		sigset_t none;
		sigemptyset(&none);
		sigprocmask(SIG_SETMASK, &none, NULL);
		// Descriptors this process opened without O_CLOEXEC stay out of
		// the program; older kernels lack close_range.
		if (syscall(SYS_close_range, 3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
			for (int fd = 3; fd < maxFD; fd++)
				fcntl(fd, F_SETFD, FD_CLOEXEC);
		}
		if (folder != NULL && chdir(folder) != 0) {
			Report report = {kReportError, errno};
			ssize_t ignored = write(reportFD, &report, sizeof(report));
			(void)ignored;
			_exit(127);
		}
		execve(program, argv, environ);
		Report report = {kReportError, errno};
		ssize_t ignored = write(reportFD, &report, sizeof(report));
		(void)ignored;
		_exit(127);
	}
	Report report = {kReportPid, grandchild < 0 ? -errno : grandchild};
	ssize_t ignored = write(reportFD, &report, sizeof(report));
	// Still running when the watch ends counts as started: the program is
	// left to init then.
	const struct timespec step = {0, 20000000};
	for (bigtime_t waited = 0; grandchild > 0 && waited < watch; waited += 20000) {
		int status = 0;
		pid_t done = waitpid(grandchild, &status, WNOHANG);
		if (done == 0) {
			nanosleep(&step, NULL);
			continue;
		}
		if (done == grandchild && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
			Report failed = {kReportFailed, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
			ignored = write(reportFD, &failed, sizeof(failed));
		}
		break;
	}
	(void)ignored;
	_exit(0);
}


status_t
read_reports(int fd, pid_t* _pid)
{
	status_t status = B_OK;
	pid_t pid = -1;
	Report report;
	ssize_t length;
	while ((length = read(fd, &report, sizeof(report))) != 0) {
		if (length < 0) {
			if (errno == EINTR)
				continue;
			return status_from_errno(errno);
		}
		if (length != (ssize_t)sizeof(report))
			break;
		if (report.kind == kReportPid && report.value < 0)
			status = status_from_errno(-report.value);
		else if (report.kind == kReportPid)
			pid = report.value;
		else if (report.kind == kReportFailed)
			status = B_ERROR;
		else
			status = status_from_errno(report.value);
	}
	if (_pid != NULL)
		*_pid = pid;
	return status;
}

} // namespace


void
set_launch_recorder(LaunchRecorder recorder)
{
	std::lock_guard<std::mutex> guard(sRecorderLock);
	sRecorder = std::move(recorder);
}


status_t
expand_exec(const DesktopApplication& application, const std::vector<std::string>& files,
	std::vector<std::vector<std::string>>& _commands)
{
	std::vector<Token> tokens;
	if (tokenize(application.exec, tokens) != B_OK || tokens.empty())
		return B_BAD_VALUE;
	std::vector<const std::string*> perProcess = {NULL};
	if (takes_one_file(tokens) && !files.empty()) {
		perProcess.clear();
		for (const std::string& file : files)
			perProcess.push_back(&file);
	}
	_commands.clear();
	for (const std::string* file : perProcess) {
		std::vector<std::string> argv;
		for (const Token& token : tokens) {
			if (expand_token(token, application, files, file, argv) != B_OK)
				return B_BAD_VALUE;
		}
		if (argv.empty() || argv[0].empty())
			return B_BAD_VALUE;
		_commands.push_back(argv);
	}
	return B_OK;
}


status_t
start_detached(const std::vector<std::string>& arguments, const std::string& folder,
	pid_t* _pid, bigtime_t watch)
{
	if (_pid != NULL)
		*_pid = -1;
	if (arguments.empty())
		return B_BAD_VALUE;
	LaunchRecorder recorder;
	{
		std::lock_guard<std::mutex> guard(sRecorderLock);
		recorder = sRecorder;
	}
	if (recorder) {
		recorder(arguments);
		return B_OK;
	}
	std::string program;
	if (!find_program(arguments[0], program))
		return B_LAUNCH_FAILED_EXECUTABLE;

	// Everything the child needs is made before the fork.
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(NULL);
	const char* workingFolder = folder.empty() ? NULL : folder.c_str();
	int maxFD = (int)std::min(sysconf(_SC_OPEN_MAX), 65536L);

	int fds[2];
	if (pipe2(fds, O_CLOEXEC) != 0)
		return status_from_errno(errno);
	pid_t child = fork();
	if (child == 0)
		run_child(program.c_str(), argv.data(), workingFolder, fds[1], maxFD, watch);
	close(fds[1]);
	if (child < 0) {
		int error = errno;
		close(fds[0]);
		return status_from_errno(error);
	}
	status_t status = read_reports(fds[0], _pid);
	close(fds[0]);
	while (waitpid(child, NULL, 0) < 0 && errno == EINTR) {
	}
	return status;
}

} // namespace BPrivate
