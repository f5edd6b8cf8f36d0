#include "thumbnails/Trash.h"

#include <cstring>

#include <sys/stat.h>

#include <Directory.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <Path.h>
#include <Volume.h>

#include "app/ErrorAlert.h"

namespace {

const int kMaxNumbered = 10000;

// "name.N.ext" for the Nth try; the first try is the name itself. A leading
// dot does not start an extension.
std::string
numbered_name(const std::string& leaf, int number)
{
	if (number < 2)
		return leaf;
	size_t dot = leaf.rfind('.');
	if (dot == std::string::npos || dot == 0)
		return leaf + "." + std::to_string(number);
	return leaf.substr(0, dot) + "." + std::to_string(number) + leaf.substr(dot);
}

std::string
reason_for(status_t status)
{
	switch (status) {
		case B_PERMISSION_DENIED:
			return "You are not allowed to move it.";
		case B_READ_ONLY_DEVICE:
			return "Its volume is read-only.";
		case B_DEVICE_FULL:
			return "There is no room left on its volume.";
		case B_ENTRY_NOT_FOUND:
			return "It no longer exists.";
		case B_NAME_TOO_LONG:
			return "Its name is too long for the Trash.";
		case B_IO_ERROR:
			return "The disk reported an error.";
		case B_FILE_EXISTS:
			return "Too many files of that name are already in the Trash.";
		default:
			return "The system refused it (error " + std::to_string(status) + ").";
	}
}

} // namespace

bool
glim::move_to_trash(const char* path, std::string& _reason)
{
	struct stat st;
	BEntry entry(path, false);
	if (entry.InitCheck() != B_OK || lstat(path, &st) != 0) {
		_reason = reason_for(B_ENTRY_NOT_FOUND);
		return false;
	}
	BVolume volume(st.st_dev);
	BPath trashPath;
	status_t status = volume.InitCheck();
	if (status == B_OK)
		status = find_directory(B_TRASH_DIRECTORY, &trashPath, true, &volume);
	BDirectory trash;
	if (status == B_OK)
		status = trash.SetTo(trashPath.Path());
	if (status != B_OK) {
		_reason = "Its volume has no Trash that can be used: " + reason_for(status);
		return false;
	}

	std::string leaf = strrchr(path, '/') != NULL ? strrchr(path, '/') + 1 : path;
	status = B_FILE_EXISTS;
	for (int number = 1; status == B_FILE_EXISTS && number <= kMaxNumbered; number++)
		status = entry.MoveTo(&trash, numbered_name(leaf, number).c_str(), false);
	if (status != B_OK)
		_reason = reason_for(status);
	return status == B_OK;
}

bool
glim::move_to_trash_or_alert(const char* path)
{
	std::string reason;
	if (move_to_trash(path, reason))
		return true;
	const char* slash = strrchr(path, '/');
	std::string text = std::string("\"") + (slash != NULL ? slash + 1 : path)
		+ "\" could not be moved to the Trash.\n\n" + reason;
	show_error(text.c_str());
	return false;
}
