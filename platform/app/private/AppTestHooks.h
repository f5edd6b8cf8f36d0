#ifndef _APP_TEST_HOOKS_H
#define _APP_TEST_HOOKS_H

#include <functional>
#include <string>
#include <vector>

// Test hooks of the application kit; production code never calls them.
namespace BPrivate {

// The command line the next BApplication takes instead of the process's own
// (/proc/self/cmdline). Cleared by clear_command_line().
void set_command_line(const std::vector<std::string>& arguments);
void clear_command_line();

// Receives the command line of every process BRoster would start, which is
// then not started. An empty function makes launching real again.
typedef std::function<void(const std::vector<std::string>& argv)> LaunchRecorder;
void set_launch_recorder(LaunchRecorder recorder);

} // namespace BPrivate

#endif
