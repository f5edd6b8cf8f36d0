#include "Roster.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <Entry.h>
#include <Message.h>
#include <MimeType.h>
#include <Node.h>
#include <NodeInfo.h>
#include <StorageDefs.h>
#include <TypeConstants.h>

#include "DesktopFiles.h"
#include "LaunchPrivate.h"
#include "StoragePrivate.h"

using namespace BPrivate;

namespace {

BRoster sRoster;

const char kTerminal[] = "x-terminal-emulator";
const char kOpener[] = "xdg-open";
const bigtime_t kOpenerWatch = 1500000;
const char kRefsOption[] = "--refs";


bool
is_own_signature(const char* signature)
{
	return be_app != NULL && lower_case(signature) == lower_case(be_app->Signature());
}


std::string
own_executable()
{
	std::vector<char> path(PATH_MAX + 1);
	ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
	return length > 0 ? std::string(path.data(), length) : std::string();
}


// The paths of the message's "refs" that can still be found.
std::vector<std::string>
ref_paths(const BMessage* message)
{
	std::vector<std::string> paths;
	entry_ref ref;
	for (int32 i = 0; message != NULL && message->FindRef("refs", i, &ref) == B_OK; i++) {
		std::string path;
		if (path_for_ref(&ref, path) == B_OK)
			paths.push_back(path);
	}
	return paths;
}


// The command lines that start the application for the files. Without a
// desktop file of its own, this application takes them after "--refs", as
// its own desktop file hands them over.
status_t
command_lines(const char* signature, const std::vector<std::string>& files,
	std::vector<std::vector<std::string>>& _commands, std::string& _folder)
{
	DesktopApplication application;
	bool found = find_application(signature, application);
	bool own = is_own_signature(signature);
	if (!found && !own)
		return B_LAUNCH_FAILED_APP_NOT_FOUND;
	if (!found) {
		std::vector<std::string> argv = {"glim"};
		if (!files.empty()) {
			argv.push_back(kRefsOption);
			argv.insert(argv.end(), files.begin(), files.end());
		}
		_commands = {argv};
	} else if (expand_exec(application, files, _commands) != B_OK)
		return B_LAUNCH_FAILED;
	_folder = found ? application.workingFolder : std::string();

	std::string terminal;
	std::string executable = own ? own_executable() : std::string();
	for (std::vector<std::string>& argv : _commands) {
		if (!executable.empty())
			argv[0] = executable;
		if (found && application.terminal && find_program(kTerminal, terminal))
			argv.insert(argv.begin(), {kTerminal, "-e"});
	}
	return B_OK;
}


status_t
launch_signature(const char* signature, const std::vector<std::string>& files, team_id* _team)
{
	std::vector<std::vector<std::string>> commands;
	std::string folder;
	status_t status = command_lines(signature, files, commands, folder);
	if (status != B_OK)
		return status;
	for (size_t i = 0; i < commands.size(); i++) {
		pid_t pid;
		status = start_detached(commands[i], folder, &pid);
		if (status != B_OK)
			return status;
		if (i == 0 && _team != NULL)
			*_team = pid;
	}
	return B_OK;
}


// The signatures to try for a type: the desktop's defaults that are
// installed, then every supporting application.
std::vector<std::string>
candidates_for(const char* type)
{
	std::vector<std::string> signatures;
	std::vector<DesktopApplication> installed = installed_applications();
	for (const std::string& id : default_application_ids(type)) {
		for (const DesktopApplication& application : installed) {
			if (application.id == id)
				signatures.push_back(application.signature);
		}
	}
	BMessage apps;
	const char* signature;
	if (BMimeType(type).GetSupportingApps(&apps) == B_OK) {
		for (int32 i = 0; apps.FindString("applications", i, &signature) == B_OK; i++)
			signatures.push_back(signature);
	}
	return signatures;
}

} // namespace


BRoster* be_roster = &sRoster;


BRoster::BRoster()
{
}


BRoster::~BRoster()
{
}


bool
BRoster::IsRunning(const char* signature) const
{
	return signature != NULL && is_own_signature(signature);
}


status_t
BRoster::GetAppInfo(const char* signature, app_info* info) const
{
	if (signature == NULL || info == NULL)
		return B_BAD_VALUE;
	if (!IsRunning(signature))
		return B_ERROR;
	return be_app->GetAppInfo(info);
}


status_t
BRoster::Launch(const char* signature, BMessage* initialMessage, team_id* appTeam) const
{
	if (signature == NULL)
		return B_BAD_VALUE;
	return launch_signature(signature, ref_paths(initialMessage), appTeam);
}


status_t
BRoster::Launch(const entry_ref* ref, const BMessage*, team_id* appTeam) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	std::string path;
	struct stat info;
	if (path_for_ref(ref, path) != B_OK || lstat(path.c_str(), &info) != 0)
		return B_ENTRY_NOT_FOUND;

	char type[B_MIME_TYPE_LENGTH] = B_FILE_MIME_TYPE;
	BNode node(ref);
	BNodeInfo nodeInfo(&node);
	if (nodeInfo.InitCheck() != B_OK || nodeInfo.GetType(type) != B_OK)
		snprintf(type, sizeof(type), "%s", B_FILE_MIME_TYPE);

	for (const std::string& signature : candidates_for(type)) {
		if (launch_signature(signature.c_str(), {path}, appTeam) == B_OK)
			return B_OK;
	}
	std::string opener;
	if (find_program(kOpener, opener)) {
		pid_t pid;
		// The opener finds no program for the file only after it started: it
		// is watched for a moment, so that "nothing can open it" is told.
		if (start_detached({kOpener, path}, std::string(), &pid, kOpenerWatch) == B_OK) {
			if (appTeam != NULL)
				*appTeam = pid;
			return B_OK;
		}
	}
	return B_LAUNCH_FAILED_NO_PREFERRED_APP;
}
