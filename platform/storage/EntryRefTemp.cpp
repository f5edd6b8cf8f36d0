// Temporary stand-in for the entry_ref members that Entry.cpp provides, so
// that the app kit links on its own. Delete when Entry.cpp is merged.
#include <Entry.h>

#include <cstdlib>
#include <cstring>

namespace {

status_t
replace_string(char*& target, const char* value)
{
	char* copy = NULL;
	if (value != NULL && (copy = strdup(value)) == NULL)
		return B_NO_MEMORY;
	free(target);
	target = copy;
	return B_OK;
}

} // namespace

entry_ref::entry_ref() : device((dev_t)-1), directory((ino_t)-1), name(NULL), fDirectoryPath(NULL)
{
}

entry_ref::entry_ref(dev_t device, ino_t directory, const char* name)
	:
	device(device),
	directory(directory),
	name(NULL),
	fDirectoryPath(NULL)
{
	set_name(name);
}

entry_ref::entry_ref(const entry_ref& other) : entry_ref(other.device, other.directory, other.name)
{
	_SetDirectoryPath(other.fDirectoryPath);
}

entry_ref::~entry_ref()
{
	free(name);
	free(fDirectoryPath);
}

status_t
entry_ref::set_name(const char* newName)
{
	return replace_string(name, newName);
}

entry_ref&
entry_ref::operator=(const entry_ref& other)
{
	if (this != &other) {
		device = other.device;
		directory = other.directory;
		set_name(other.name);
		_SetDirectoryPath(other.fDirectoryPath);
	}
	return *this;
}

bool
entry_ref::operator==(const entry_ref& other) const
{
	if (device != other.device || directory != other.directory)
		return false;
	if (name == NULL || other.name == NULL)
		return name == other.name;
	return strcmp(name, other.name) == 0;
}

bool
entry_ref::operator!=(const entry_ref& other) const
{
	return !(*this == other);
}

status_t
entry_ref::_SetDirectoryPath(const char* path)
{
	return replace_string(fDirectoryPath, path);
}
