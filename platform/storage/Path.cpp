#include <Path.h>

#include <Directory.h>
#include <Entry.h>

#include "StoragePrivate.h"

using namespace BPrivate;

static bool
needs_normalization(const std::string& path)
{
	if (path.empty() || path[0] != '/')
		return true;
	if (path.size() > 1 && path.back() == '/')
		return true;
	if (path.find("//") != std::string::npos)
		return true;
	size_t start = 0;
	while (start < path.size()) {
		size_t end = path.find('/', start);
		if (end == std::string::npos)
			end = path.size();
		std::string component = path.substr(start, end - start);
		if (component == "." || component == "..")
			return true;
		start = end + 1;
	}
	return false;
}

BPath::BPath() :
	fStatus(B_NO_INIT)
{
}

BPath::BPath(const BPath& other) = default;

BPath::BPath(const entry_ref* ref) :
	fStatus(B_NO_INIT)
{
	SetTo(ref);
}

BPath::BPath(const BEntry* entry) :
	fStatus(B_NO_INIT)
{
	SetTo(entry);
}

BPath::BPath(const char* dir, const char* leaf, bool normalize) :
	fStatus(B_NO_INIT)
{
	SetTo(dir, leaf, normalize);
}

BPath::BPath(const BDirectory* dir, const char* leaf, bool normalize) :
	fStatus(B_NO_INIT)
{
	SetTo(dir, leaf, normalize);
}

BPath::~BPath() = default;

status_t
BPath::InitCheck() const
{
	return fStatus;
}

status_t
BPath::SetTo(const entry_ref* ref)
{
	std::string path;
	status_t status = path_for_ref(ref, path);
	if (status != B_OK) {
		Unset();
		return fStatus = status;
	}
	return SetTo(path.c_str());
}

status_t
BPath::SetTo(const BEntry* entry)
{
	if (entry == NULL) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	status_t status = entry->InitCheck();
	if (status != B_OK) {
		Unset();
		return fStatus = status;
	}
	fPath = entry->_Path();
	return fStatus = B_OK;
}

status_t
BPath::SetTo(const char* path, const char* leaf, bool normalize)
{
	if (path == NULL || path[0] == '\0' || (leaf != NULL && leaf[0] == '/')) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	std::string full = leaf != NULL ? join_path(path, leaf) : std::string(path);
	if (!normalize && !needs_normalization(full)) {
		fPath = full;
		return fStatus = B_OK;
	}

	std::string folder, name;
	status_t status = resolve_entry(full.c_str(), false, folder, name);
	if (status != B_OK) {
		Unset();
		return fStatus = status;
	}
	fPath = join_path(folder, name);
	return fStatus = B_OK;
}

status_t
BPath::SetTo(const BDirectory* dir, const char* leaf, bool normalize)
{
	if (dir == NULL) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	if (dir->InitCheck() != B_OK) {
		Unset();
		return fStatus = dir->InitCheck();
	}
	std::string path = dir->_Path();
	return SetTo(path.c_str(), leaf, normalize);
}

void
BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

status_t
BPath::Append(const char* path, bool normalize)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == NULL || path[0] == '/')
		return B_BAD_VALUE;
	std::string current = fPath;
	return SetTo(current.c_str(), path, normalize);
}

const char*
BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : NULL;
}

const char*
BPath::Leaf() const
{
	if (fStatus != B_OK)
		return NULL;
	return fPath.c_str() + fPath.rfind('/') + 1;
}

status_t
BPath::GetParent(BPath* path) const
{
	if (path == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	path->fPath = parent_of(fPath);
	return path->fStatus = B_OK;
}

bool
BPath::operator==(const BPath& other) const
{
	if (fStatus != B_OK || other.fStatus != B_OK)
		return fStatus != B_OK && other.fStatus != B_OK;
	return fPath == other.fPath;
}

bool
BPath::operator==(const char* path) const
{
	if (fStatus != B_OK || path == NULL)
		return fStatus != B_OK && path == NULL;
	return fPath == path;
}

BPath& BPath::operator=(const BPath& other) = default;

BPath&
BPath::operator=(const char* path)
{
	if (path == NULL)
		Unset();
	else
		SetTo(path);
	return *this;
}
