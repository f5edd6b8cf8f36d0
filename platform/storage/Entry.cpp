#include <Entry.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include <unistd.h>

#include <Directory.h>
#include <Node.h>
#include <Path.h>
#include <StorageDefs.h>

#include "Env.h"
#include "StoragePrivate.h"

using namespace BPrivate;

static char*
copy_string(const char* string)
{
	if (string == NULL)
		return NULL;
	size_t length = strlen(string) + 1;
	char* copy = new (std::nothrow) char[length];
	if (copy != NULL)
		memcpy(copy, string, length);
	return copy;
}

static bool
strings_equal(const char* a, const char* b)
{
	if (a == NULL || b == NULL)
		return a == b;
	return strcmp(a, b) == 0;
}

// #pragma mark - entry_ref

entry_ref::entry_ref() :
	device((dev_t)-1),
	directory((ino_t)-1),
	name(NULL),
	fDirectoryPath(NULL)
{
}

entry_ref::entry_ref(dev_t device, ino_t directory, const char* name) :
	device(device),
	directory(directory),
	name(copy_string(name)),
	fDirectoryPath(NULL)
{
}

entry_ref::entry_ref(const entry_ref& other) :
	device(other.device),
	directory(other.directory),
	name(copy_string(other.name)),
	fDirectoryPath(copy_string(other.fDirectoryPath))
{
}

entry_ref::~entry_ref()
{
	delete[] name;
	delete[] fDirectoryPath;
}

status_t
entry_ref::set_name(const char* newName)
{
	char* copy = copy_string(newName);
	if (newName != NULL && copy == NULL)
		return B_NO_MEMORY;
	delete[] name;
	name = copy;
	return B_OK;
}

entry_ref&
entry_ref::operator=(const entry_ref& other)
{
	if (this == &other)
		return *this;
	device = other.device;
	directory = other.directory;
	set_name(other.name);
	_SetDirectoryPath(other.fDirectoryPath);
	return *this;
}

bool
entry_ref::operator==(const entry_ref& other) const
{
	return device == other.device && directory == other.directory
		&& strings_equal(name, other.name);
}

bool
entry_ref::operator!=(const entry_ref& other) const
{
	return !(*this == other);
}

status_t
entry_ref::_SetDirectoryPath(const char* path)
{
	char* copy = copy_string(path);
	if (path != NULL && copy == NULL)
		return B_NO_MEMORY;
	delete[] fDirectoryPath;
	fDirectoryPath = copy;
	return B_OK;
}

bool
operator<(const entry_ref& a, const entry_ref& b)
{
	if (a.device != b.device)
		return a.device < b.device;
	if (a.directory != b.directory)
		return a.directory < b.directory;
	if (a.name == NULL || b.name == NULL)
		return a.name == NULL && b.name != NULL;
	return strcmp(a.name, b.name) < 0;
}

// #pragma mark - BEntry

BEntry::BEntry() :
	fStatus(B_NO_INIT)
{
}

BEntry::BEntry(const char* path, bool traverse) :
	fStatus(B_NO_INIT)
{
	SetTo(path, traverse);
}

BEntry::BEntry(const entry_ref* ref, bool traverse) :
	fStatus(B_NO_INIT)
{
	SetTo(ref, traverse);
}

BEntry::BEntry(const BDirectory* directory, const char* path, bool traverse) :
	fStatus(B_NO_INIT)
{
	SetTo(directory, path, traverse);
}

BEntry::BEntry(const BEntry& other) = default;

BEntry::~BEntry() = default;

BEntry& BEntry::operator=(const BEntry& other) = default;

bool
BEntry::operator==(const BEntry& other) const
{
	if (fStatus != B_OK || other.fStatus != B_OK)
		return fStatus != B_OK && other.fStatus != B_OK;
	return fFolder == other.fFolder && fName == other.fName;
}

status_t
BEntry::SetTo(const char* path, bool traverse)
{
	Unset();
	fStatus = resolve_entry(path, traverse, fFolder, fName);
	if (fStatus != B_OK) {
		fFolder.clear();
		fName.clear();
	}
	return fStatus;
}

status_t
BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	std::string path;
	status_t status = path_for_ref(ref, path);
	if (status != B_OK) {
		Unset();
		return fStatus = status;
	}
	return SetTo(path.c_str(), traverse);
}

status_t
BEntry::SetTo(const BDirectory* directory, const char* path, bool traverse)
{
	if (directory == NULL || path == NULL) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	if (directory->InitCheck() != B_OK) {
		Unset();
		return fStatus = directory->InitCheck();
	}
	if (path[0] == '/')
		return SetTo(path, traverse);
	return SetTo(join_path(directory->_Path(), path).c_str(), traverse);
}

void
BEntry::Unset()
{
	fFolder.clear();
	fName.clear();
	fStatus = B_NO_INIT;
}

status_t
BEntry::InitCheck() const
{
	return fStatus;
}

bool
BEntry::Exists() const
{
	struct stat st;
	return GetStat(&st) == B_OK;
}

status_t
BEntry::GetStat(struct stat* st) const
{
	if (st == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	return lstat(_Path().c_str(), st) == 0 ? B_OK : last_error();
}

bool
BEntry::IsSymLink() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISLNK(st.st_mode);
}

status_t
BEntry::GetRef(entry_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;

	struct stat st;
	if (stat(fFolder.c_str(), &st) != 0)
		return last_error();
	ref->device = st.st_dev;
	ref->directory = st.st_ino;
	status_t status = ref->set_name(fName.c_str());
	if (status == B_OK)
		status = ref->_SetDirectoryPath(fFolder.c_str());
	return status;
}

status_t
BEntry::GetPath(BPath* path) const
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	return path->SetTo(_Path().c_str());
}

status_t
BEntry::GetParent(BEntry* entry) const
{
	if (entry == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	if (fName == ".")
		return B_ENTRY_NOT_FOUND;
	return entry->SetTo(fFolder.c_str());
}

status_t
BEntry::GetParent(BDirectory* directory) const
{
	if (directory == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	if (fName == ".")
		return B_ENTRY_NOT_FOUND;
	return directory->SetTo(fFolder.c_str());
}

status_t
BEntry::GetName(char* name) const
{
	if (name == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	std::string leaf = fName == "." ? "/" : fName;
	size_t length = std::min(leaf.size(), (size_t)B_FILE_NAME_LENGTH - 1);
	memcpy(name, leaf.data(), length);
	name[length] = '\0';
	return B_OK;
}

status_t
BEntry::GetNodeRef(node_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	struct stat st;
	status_t status = GetStat(&st);
	if (status != B_OK)
		return status;
	ref->device = st.st_dev;
	ref->node = st.st_ino;
	ref->_SetPath(_Path());
	BPrivate::note_device_path(st.st_dev, _Path());
	return B_OK;
}

status_t
BEntry::Rename(const char* path, bool clobber)
{
	if (path == NULL || path[0] == '\0')
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	std::string target = path[0] == '/' ? std::string(path) : join_path(fFolder, path);
	std::string folder, leaf;
	status_t status = resolve_entry(target.c_str(), false, folder, leaf);
	if (status != B_OK)
		return status;
	return _MoveTo(folder, leaf, clobber);
}

status_t
BEntry::MoveTo(BDirectory* directory, const char* path, bool clobber)
{
	if (directory == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	if (directory->InitCheck() != B_OK)
		return directory->InitCheck();

	std::string target;
	if (path != NULL && path[0] == '/')
		target = path;
	else
		target = join_path(directory->_Path(), path != NULL ? path : fName.c_str());
	std::string folder, leaf;
	status_t status = resolve_entry(target.c_str(), false, folder, leaf);
	if (status != B_OK)
		return status;
	return _MoveTo(folder, leaf, clobber);
}

status_t
BEntry::Remove()
{
	struct stat st;
	status_t status = GetStat(&st);
	if (status != B_OK)
		return status;
	int result = S_ISDIR(st.st_mode) ? rmdir(_Path().c_str()) : env()->Unlink(_Path().c_str());
	return result == 0 ? B_OK : last_error();
}

std::string
BEntry::_Path() const
{
	return join_path(fFolder, fName);
}

void
BEntry::_SetTo(const std::string& folder, const std::string& leaf)
{
	fFolder = folder;
	fName = leaf;
	fStatus = B_OK;
}

// Moves the entry to leaf in folder (both resolved). Into a trash "files"
// folder, the .trashinfo is written first: without clobber its exclusive
// creation reserves the name, as the desktop's own trash does, and it is
// taken back when the move fails.
status_t
BEntry::_MoveTo(const std::string& folder, const std::string& leaf, bool clobber)
{
	if (!Exists())
		return B_ENTRY_NOT_FOUND;
	std::string from = _Path();
	std::string to = join_path(folder, leaf);
	if (from == to)
		return B_OK;

	std::string infoFolder, topFolder;
	bool toTrash = fName != "." && trash_info_folder(folder, infoFolder, topFolder);
	std::string infoPath = join_path(infoFolder, leaf + ".trashinfo");
	std::vector<char> oldInfo;
	bool hadInfo = false;
	if (toTrash) {
		if (clobber) {
			hadInfo = access(infoPath.c_str(), F_OK) == 0;
			if (hadInfo)
				oldInfo = BPrivate::read_small_file(infoPath);
		}
		status_t status = write_trash_info(infoFolder, leaf, from, topFolder, clobber);
		if (status != B_OK)
			return status;
	}

	status_t status = move_entry(from, to, clobber);
	if (status != B_OK) {
		if (toTrash && hadInfo)
			BPrivate::write_small_file(infoPath, oldInfo);
		else if (toTrash)
			unlink(infoPath.c_str());
		return status;
	}
	fFolder = folder;
	fName = leaf;
	return B_OK;
}

// #pragma mark -

status_t
get_ref_for_path(const char* path, entry_ref* ref)
{
	if (path == NULL || ref == NULL)
		return B_BAD_VALUE;
	BEntry entry;
	status_t status = entry.SetTo(path);
	if (status != B_OK)
		return status;
	return entry.GetRef(ref);
}
