#include "thumbnails/Trash.h"

#include <Directory.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <Path.h>

namespace glim {

bool
move_to_trash(const char* path)
{
	BEntry entry(path, false);
	if (entry.InitCheck() != B_OK)
		return false;
	BPath trashPath;
	if (find_directory(B_TRASH_DIRECTORY, &trashPath, false, NULL) != B_OK)
		return false;
	BDirectory trash(trashPath.Path());
	return trash.InitCheck() == B_OK && entry.MoveTo(&trash, NULL, false) == B_OK;
}

} // namespace glim
