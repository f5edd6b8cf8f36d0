#ifndef _FIND_DIRECTORY_H
#define _FIND_DIRECTORY_H

#include <SupportDefs.h>

class BPath;
class BVolume;

// The well-known folders, in their freedesktop places. The folder the
// platform calls "/boot/home" is $HOME. Paths are not translated here.
enum directory_which {
	// $XDG_DESKTOP_DIR from user-dirs.dirs, else ~/Desktop.
	B_DESKTOP_DIRECTORY = 0,
	// The home trash, $XDG_DATA_HOME/Trash/files; with a volume other than
	// the home's, that volume's <top>/.Trash-<uid>/files.
	B_TRASH_DIRECTORY = 1,

	B_SYSTEM_DIRECTORY = 1000, // /usr
	B_SYSTEM_DATA_DIRECTORY = 1001, // /usr/share
	B_SYSTEM_TEMP_DIRECTORY = 1002, // $TMPDIR, else /tmp

	B_USER_DIRECTORY = 3000, // $HOME
	B_USER_CONFIG_DIRECTORY = 3001, // $XDG_CONFIG_HOME, else ~/.config
	B_USER_SETTINGS_DIRECTORY = 3002, // the same
	B_USER_DATA_DIRECTORY = 3003, // $XDG_DATA_HOME, else ~/.local/share
	B_USER_CACHE_DIRECTORY = 3004 // $XDG_CACHE_HOME, else ~/.cache
};

// Gives the folder's path. The trash (with its sibling "info" folder) and
// the XDG base folders are made whenever they are missing, as they always
// exist on the original platform; other folders only with createIt. A
// missing folder that is not made is still named.
status_t find_directory(directory_which which, BPath* path, bool createIt = false,
	BVolume* volume = NULL);

#endif
