#include <Node.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <Directory.h>
#include <Entry.h>
#include <StorageDefs.h>
#include <TypeConstants.h>
#include <fs_attr.h>

#include "Env.h"
#include "StoragePrivate.h"

using namespace BPrivate;

namespace {

const char kUserPrefix[] = "user.";
const char kTypePrefix[] = "type:";
const size_t kPrefixLength = sizeof(kUserPrefix) - 1;
const size_t kTypePrefixLength = sizeof(kTypePrefix) - 1;
// Extended attribute names hold at most 255 bytes, "user.type:" included.
const size_t kMaxNameLength = 255 - kPrefixLength - kTypePrefixLength;
const size_t kMaxValueSize = 65536;

// The extended attributes of one node, through its descriptor or, for an
// O_PATH descriptor, through /proc/self/fd (which reaches the node itself,
// links included, without following them further).
class Attributes {
public:
	Attributes(int fd, bool pathOnly) :
		fFD(fd),
		fPathOnly(pathOnly),
		fProcPath(pathOnly ? proc_fd_path(fd) : std::string())
	{
	}

	ssize_t Get(const std::string& name, void* buffer, size_t size) const
	{
		if (fPathOnly)
			return getxattr(fProcPath.c_str(), name.c_str(), buffer, size);
		return fgetxattr(fFD, name.c_str(), buffer, size);
	}

	int Set(const std::string& name, const void* buffer, size_t size) const
	{
		return env()->SetAttr(fPathOnly ? -1 : fFD, fProcPath.c_str(), name.c_str(), buffer,
			size);
	}

	int Remove(const std::string& name) const
	{
		return env()->RemoveAttr(fPathOnly ? -1 : fFD, fProcPath.c_str(), name.c_str());
	}

	// The whole value, however large; retried when it changes meanwhile.
	status_t Read(const std::string& name, std::vector<char>& _value) const
	{
		for (int attempt = 0; attempt < 8; attempt++) {
			ssize_t size = Get(name, NULL, 0);
			if (size < 0)
				return last_error();
			_value.resize(size);
			if (size == 0)
				return B_OK;
			ssize_t read = Get(name, _value.data(), _value.size());
			if (read >= 0) {
				_value.resize(read);
				return B_OK;
			}
			if (errno != ERANGE)
				return last_error();
		}
		return B_BUSY;
	}

	bool ReadType(const std::string& typeName, uint32& _type) const
	{
		uint8 bytes[4];
		if (Get(typeName, bytes, sizeof(bytes)) != (ssize_t)sizeof(bytes))
			return false;
		_type = (uint32)bytes[0] << 24 | (uint32)bytes[1] << 16 | (uint32)bytes[2] << 8
			| bytes[3];
		return true;
	}

	status_t WriteType(const std::string& typeName, uint32 type) const
	{
		uint8 bytes[4] = {(uint8)(type >> 24), (uint8)(type >> 16), (uint8)(type >> 8),
			(uint8)type};
		return Set(typeName, bytes, sizeof(bytes)) == 0 ? B_OK : last_error();
	}

private:
	int fFD;
	bool fPathOnly;
	std::string fProcPath;
};

// A value too large for any file system is "file too large", not errno's
// "argument list too long".
status_t
attribute_error()
{
	return status_from_errno(errno == E2BIG ? EFBIG : errno);
}

// Stores value and type so that a refusal leaves the previous state.
status_t
write_value(const Attributes& attributes, const std::string& name, const std::string& typeName,
	type_code type, const void* data, size_t size)
{
	uint32 storedType;
	if (attributes.ReadType(typeName, storedType) && storedType == type)
		return attributes.Set(name, data, size) == 0 ? B_OK : attribute_error();

	std::vector<char> previous;
	bool hadPrevious = attributes.Read(name, previous) == B_OK;
	if (attributes.Set(name, data, size) != 0)
		return attribute_error();
	if (attributes.WriteType(typeName, type) == B_OK)
		return B_OK;

	status_t status = attribute_error();
	if (hadPrevious)
		attributes.Set(name, previous.data(), previous.size());
	else
		attributes.Remove(name);
	return status;
}

bool
is_type_name(const char* name)
{
	return strncmp(name, kTypePrefix, kTypePrefixLength) == 0;
}

} // namespace

BNode::BNode() :
	fFD(-1),
	fPathOnly(false),
	fStatus(B_NO_INIT)
{
}

BNode::BNode(const entry_ref* ref) :
	BNode()
{
	SetTo(ref);
}

BNode::BNode(const BEntry* entry) :
	BNode()
{
	SetTo(entry);
}

BNode::BNode(const char* path) :
	BNode()
{
	SetTo(path);
}

BNode::BNode(const BDirectory* dir, const char* path) :
	BNode()
{
	SetTo(dir, path);
}

BNode::BNode(const BNode& other) :
	BNode()
{
	*this = other;
}

BNode::~BNode()
{
	Unset();
}

BNode&
BNode::operator=(const BNode& other)
{
	if (this == &other)
		return *this;
	Unset();
	if (other.fStatus != B_OK) {
		fStatus = other.fStatus;
		return *this;
	}
	int fd = fcntl(other.fFD, F_DUPFD_CLOEXEC, 0);
	if (fd < 0)
		fStatus = last_error();
	else
		_SetDescriptor(fd, other.fPathOnly, other.fPath);
	return *this;
}

bool
BNode::operator==(const BNode& other) const
{
	if (fStatus != B_OK || other.fStatus != B_OK)
		return fStatus != B_OK && other.fStatus != B_OK;
	node_ref mine, theirs;
	return GetNodeRef(&mine) == B_OK && other.GetNodeRef(&theirs) == B_OK && mine == theirs;
}

status_t
BNode::SetTo(const entry_ref* ref)
{
	std::string path;
	status_t status = path_for_ref(ref, path);
	if (status != B_OK) {
		Unset();
		return _SetStatus(status);
	}
	return SetTo(path.c_str());
}

status_t
BNode::SetTo(const BEntry* entry)
{
	if (entry == NULL || entry->InitCheck() != B_OK) {
		Unset();
		return _SetStatus(entry == NULL ? B_BAD_VALUE : entry->InitCheck());
	}
	return SetTo(entry->_Path().c_str());
}

status_t
BNode::SetTo(const char* path)
{
	Unset();
	if (path == NULL)
		return _SetStatus(B_BAD_VALUE);
	std::string fullPath = absolute_path(path);
	if (fullPath.empty())
		return _SetStatus(last_error());
	return _OpenNode(AT_FDCWD, path, fullPath);
}

status_t
BNode::SetTo(const BDirectory* dir, const char* path)
{
	Unset();
	if (dir == NULL || path == NULL)
		return _SetStatus(B_BAD_VALUE);
	if (dir->InitCheck() != B_OK)
		return _SetStatus(dir->InitCheck());
	if (path[0] == '/')
		return SetTo(path);
	const BNode* folder = dir;
	return _OpenNode(folder->fFD, path, join_path(dir->_Path(), path));
}

void
BNode::Unset()
{
	if (fFD >= 0)
		close(fFD);
	fFD = -1;
	fPathOnly = false;
	fStatus = B_NO_INIT;
	fPath.clear();
}

status_t
BNode::InitCheck() const
{
	return fStatus;
}

status_t
BNode::Sync()
{
	if (fStatus != B_OK)
		return fStatus;
	if (fPathOnly)
		return B_OK;
	return env()->Sync(fFD) == 0 ? B_OK : BPrivate::status_from_errno(errno);
}

status_t
BNode::GetStat(struct stat* st) const
{
	if (st == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	return fstat(fFD, st) == 0 ? B_OK : last_error();
}

status_t
BNode::GetNodeRef(node_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	struct stat st;
	status_t status = GetStat(&st);
	if (status != B_OK)
		return status;
	ref->device = st.st_dev;
	ref->node = st.st_ino;
	ref->_SetPath(fPath);
	note_device_path(st.st_dev, fPath);
	return B_OK;
}

ssize_t
BNode::WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
	size_t length)
{
	if (fStatus != B_OK)
		return fStatus;
	if (name == NULL || name[0] == '\0' || (buffer == NULL && length > 0) || offset < 0)
		return B_BAD_VALUE;
	if (is_type_name(name))
		return B_NOT_ALLOWED;
	if (strlen(name) > kMaxNameLength)
		return B_NAME_TOO_LONG;
	if (length > kMaxValueSize || (uint64)offset > kMaxValueSize - length)
		return status_from_errno(EFBIG);

	Attributes attributes(fFD, fPathOnly);
	std::string attributeName = std::string(kUserPrefix) + name;
	std::string typeName = std::string(kUserPrefix) + kTypePrefix + name;
	const void* data = buffer;
	size_t size = length;
	std::vector<char> merged;
	if (offset > 0) {
		status_t status = attributes.Read(attributeName, merged);
		if (status != B_OK && status != B_NO_SUCH_ATTRIBUTE)
			return status;
		merged.resize(std::max(merged.size(), (size_t)offset + length));
		if (length > 0)
			memcpy(merged.data() + offset, buffer, length);
		data = merged.data();
		size = merged.size();
	}

	status_t status = write_value(attributes, attributeName, typeName, type, data, size);
	return status == B_OK ? (ssize_t)length : status;
}

ssize_t
BNode::ReadAttr(const char* name, type_code /*type*/, off_t offset, void* buffer,
	size_t length) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (name == NULL || name[0] == '\0' || (buffer == NULL && length > 0) || offset < 0)
		return B_BAD_VALUE;

	Attributes attributes(fFD, fPathOnly);
	std::string attributeName = std::string(kUserPrefix) + name;
	if (offset == 0 && length > 0) {
		ssize_t read = attributes.Get(attributeName, buffer, length);
		if (read >= 0)
			return read;
		if (errno != ERANGE)
			return last_error();
	}

	std::vector<char> value;
	status_t status = attributes.Read(attributeName, value);
	if (status != B_OK)
		return status;
	if ((uint64)offset >= value.size())
		return 0;
	size_t count = std::min(length, value.size() - (size_t)offset);
	if (count > 0)
		memcpy(buffer, value.data() + offset, count);
	return count;
}

status_t
BNode::RemoveAttr(const char* name)
{
	if (fStatus != B_OK)
		return fStatus;
	if (name == NULL || name[0] == '\0')
		return B_BAD_VALUE;
	if (is_type_name(name))
		return B_NOT_ALLOWED;

	Attributes attributes(fFD, fPathOnly);
	if (attributes.Remove(std::string(kUserPrefix) + name) != 0)
		return last_error();
	attributes.Remove(std::string(kUserPrefix) + kTypePrefix + name);
	return B_OK;
}

status_t
BNode::GetAttrInfo(const char* name, attr_info* info) const
{
	if (fStatus != B_OK)
		return fStatus;
	if (name == NULL || name[0] == '\0' || info == NULL)
		return B_BAD_VALUE;

	Attributes attributes(fFD, fPathOnly);
	ssize_t size = attributes.Get(std::string(kUserPrefix) + name, NULL, 0);
	if (size < 0)
		return last_error();
	uint32 type;
	if (!attributes.ReadType(std::string(kUserPrefix) + kTypePrefix + name, type))
		type = strcmp(name, "mime_type") == 0 ? B_MIME_STRING_TYPE : B_RAW_TYPE;
	info->type = type;
	info->size = size;
	return B_OK;
}

status_t
BNode::_SetDescriptor(int fd, bool pathOnly, const std::string& path)
{
	Unset();
	fFD = fd;
	fPathOnly = pathOnly;
	fPath = path;
	return fStatus = B_OK;
}

status_t
BNode::_SetStatus(status_t status)
{
	return fStatus = status;
}

status_t
BNode::_OpenNode(int folder, const char* path, const std::string& fullPath)
{
	int fd = openat(folder, path, O_PATH | O_NOFOLLOW | O_CLOEXEC);
	if (fd < 0)
		return _SetStatus(last_error());
	return _SetDescriptor(fd, true, fullPath);
}
