#ifndef _LAUNCH_PRIVATE_H
#define _LAUNCH_PRIVATE_H

#include <string>
#include <vector>

#include <sys/types.h>

#include <SupportDefs.h>

// Private to the layer: starting the desktop's applications for BRoster.
namespace BPrivate {

struct DesktopApplication;

// The command lines that a desktop file's Exec= line gives for these files
// (paths, as bytes): one per process to start. %F and %U take every file,
// %f and %u one file each (a process per file), %i the icon, %c the name,
// %k the desktop file; quoting follows the freedesktop rules. B_BAD_VALUE
// for an Exec line that cannot be read.
status_t expand_exec(const DesktopApplication& application,
	const std::vector<std::string>& files, std::vector<std::vector<std::string>>& _commands);

// Starts argv as a process of its own session, not waited for, with the
// working folder given (when not empty) and no descriptor of this process
// but the standard ones. Only the start is awaited: a program that cannot
// be run fails here. With watch set, the program is also watched for that
// long (microseconds): one that exits with a failure meanwhile fails with
// B_ERROR. Goes to the launch recorder instead when one is set.
status_t start_detached(const std::vector<std::string>& argv, const std::string& folder,
	pid_t* _pid, bigtime_t watch = 0);

} // namespace BPrivate

#endif
