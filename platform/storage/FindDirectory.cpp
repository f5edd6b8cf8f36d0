#include <FindDirectory.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include <pwd.h>
#include <unistd.h>

#include <Directory.h>
#include <Path.h>
#include <Volume.h>

#include "Env.h"
#include "StoragePrivate.h"

using namespace BPrivate;

static std::string
home_folder()
{
	const char* home = getenv("HOME");
	if (home != NULL && home[0] == '/')
		return home;
	struct passwd entry;
	struct passwd* found = NULL;
	std::vector<char> buffer(16384);
	if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != NULL
		&& found->pw_dir != NULL)
		return found->pw_dir;
	return "/";
}

// An XDG base folder: the variable when it holds an absolute path, else
// the default under the home folder.
static std::string
xdg_folder(const char* variable, const char* fallback)
{
	const char* value = getenv(variable);
	if (value != NULL && value[0] == '/')
		return value;
	return join_path(home_folder(), fallback);
}

// XDG_DESKTOP_DIR="$HOME/Desktop" in user-dirs.dirs.
static std::string
desktop_folder()
{
	std::ifstream file(xdg_folder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
	const std::string key = "XDG_DESKTOP_DIR=\"";
	std::string line;
	while (std::getline(file, line)) {
		if (line.compare(0, key.size(), key) != 0 || line.back() != '"')
			continue;
		std::string value = line.substr(key.size(), line.size() - key.size() - 1);
		if (value.compare(0, 6, "$HOME/") == 0)
			return join_path(home_folder(), value.substr(6));
		if (!value.empty() && value[0] == '/')
			return value;
	}
	return join_path(home_folder(), "Desktop");
}

namespace BPrivate {

std::string
home_trash_folder()
{
	return xdg_folder("XDG_DATA_HOME", ".local/share") + "/Trash";
}

} // namespace BPrivate

// A trash folder of this user's own: a real folder (not a link), owned by
// the user, made (mode 0700) when missing.
static status_t
own_trash_folder(const std::string& path)
{
	if (env()->MakeFolder(path.c_str(), 0700) != 0 && errno != EEXIST)
		return last_error();
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		return last_error();
	return S_ISDIR(st.st_mode) && st.st_uid == getuid() ? B_OK : B_NOT_ALLOWED;
}

// The trash for a volume, in the layout freedesktop.org desktops share: the
// home trash when the volume holds the home folder's data, else the
// administrator's $topdir/.Trash/$uid when $topdir/.Trash is a real folder
// with the sticky bit, else $topdir/.Trash-$uid.
static status_t
trash_folder(BVolume* volume, std::string& _trash)
{
	_trash = home_trash_folder();
	if (volume == NULL)
		return B_OK;
	if (volume->InitCheck() != B_OK)
		return B_BAD_VALUE;

	struct stat st;
	std::string dataFolder = xdg_folder("XDG_DATA_HOME", ".local/share");
	if (stat(dataFolder.c_str(), &st) == 0 && st.st_dev == volume->Device())
		return B_OK;
	BDirectory root;
	status_t status = volume->GetRootDirectory(&root);
	if (status != B_OK)
		return status;
	std::string uid = std::to_string(getuid());
	std::string shared = join_path(root._Path(), ".Trash");
	if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0
		&& own_trash_folder(shared + "/" + uid) == B_OK) {
		_trash = shared + "/" + uid;
		return B_OK;
	}
	_trash = join_path(root._Path(), ".Trash-" + uid);
	return own_trash_folder(_trash);
}

static status_t
make_folder(const std::string& path, mode_t mode)
{
	return create_directory(path.c_str(), mode);
}

status_t
find_directory(directory_which which, BPath* path, bool createIt, BVolume* volume)
{
	if (path == NULL)
		return B_BAD_VALUE;

	std::string folder;
	bool alwaysMade = false;
	switch (which) {
		case B_TRASH_DIRECTORY: {
			std::string trash;
			status_t status = trash_folder(volume, trash);
			if (status == B_OK)
				status = make_folder(trash + "/info", 0700);
			if (status == B_OK)
				status = make_folder(trash + "/files", 0700);
			if (status != B_OK)
				return status;
			return path->SetTo((trash + "/files").c_str());
		}
		case B_DESKTOP_DIRECTORY:
			folder = desktop_folder();
			break;
		case B_SYSTEM_DIRECTORY:
			folder = "/usr";
			break;
		case B_SYSTEM_DATA_DIRECTORY:
			folder = "/usr/share";
			break;
		case B_SYSTEM_TEMP_DIRECTORY: {
			const char* temp = getenv("TMPDIR");
			folder = temp != NULL && temp[0] == '/' ? temp : "/tmp";
			break;
		}
		case B_USER_DIRECTORY:
			folder = home_folder();
			break;
		case B_USER_CONFIG_DIRECTORY:
		case B_USER_SETTINGS_DIRECTORY:
			folder = xdg_folder("XDG_CONFIG_HOME", ".config");
			alwaysMade = true;
			break;
		case B_USER_DATA_DIRECTORY:
			folder = xdg_folder("XDG_DATA_HOME", ".local/share");
			alwaysMade = true;
			break;
		case B_USER_CACHE_DIRECTORY:
			folder = xdg_folder("XDG_CACHE_HOME", ".cache");
			alwaysMade = true;
			break;
		default:
			return B_BAD_VALUE;
	}

	if (alwaysMade || createIt) {
		status_t status = make_folder(folder, alwaysMade ? 0700 : 0755);
		if (status != B_OK)
			return status;
	}
	return path->SetTo(folder.c_str());
}
