#include <Resources.h>

#include <File.h>

#include <cerrno>
#include <mutex>
#include <set>
#include <utility>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using BPrivate::ResourceEntry;

BResources::BResources() :
	fInitStatus(B_NO_INIT)
{
}

BResources::~BResources() = default;

status_t
BResources::SetTo(const char* path)
{
	Unset();
	if (path == NULL)
		return fInitStatus = B_BAD_VALUE;

	int fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return fInitStatus = BPrivate::status_from_errno(errno);
	fInitStatus = _Load(fd);
	close(fd);
	return fInitStatus;
}

status_t
BResources::SetTo(BFile* file, bool)
{
	Unset();
	if (file == NULL)
		return fInitStatus = B_BAD_VALUE;
	if (file->_Descriptor() < 0)
		return fInitStatus = B_NO_INIT;
	return fInitStatus = _Load(file->_Descriptor());
}

void
BResources::Unset()
{
	fEntries.clear();
	fArchive.clear();
	fInitStatus = B_NO_INIT;
}

status_t
BResources::InitCheck() const
{
	return fInitStatus;
}

const void*
BResources::LoadResource(type_code type, int32 id, size_t* _size) const
{
	const ResourceEntry* entry = _Find(type, id);
	if (entry == NULL)
		return NULL;
	if (_size != NULL)
		*_size = entry->size;
	return entry->data;
}

status_t
BResources::_Load(int fd)
{
	std::vector<char> archive;
	status_t status = BPrivate::read_elf_section(fd, BPrivate::kResourcesSectionName, &archive);
	if (status == B_NAME_NOT_FOUND)
		return B_OK; // an executable without resources
	if (status != B_OK)
		return status;

	std::vector<ResourceEntry> entries;
	status = BPrivate::parse_resources_archive(archive.data(), archive.size(), &entries);
	if (status != B_OK)
		return status;
	// The entries point into the archive's heap block, which swapping keeps.
	fArchive.swap(archive);
	fEntries.swap(entries);
	return B_OK;
}

const ResourceEntry*
BResources::_Find(type_code type, int32 id) const
{
	for (const ResourceEntry& entry : fEntries) {
		if (entry.type == type && entry.id == id)
			return &entry;
	}
	return NULL;
}

namespace BPrivate {

namespace {

struct AppResources {
	AppResources() { status = resources.SetTo("/proc/self/exe"); }

	BResources resources;
	status_t status;
};

} // namespace

namespace {

std::mutex sHiddenLock;
std::set<std::pair<type_code, int32>> sHidden;

} // namespace

void
hide_app_resource(type_code type, int32 id, bool hidden)
{
	std::lock_guard<std::mutex> guard(sHiddenLock);
	if (hidden)
		sHidden.insert({type, id});
	else
		sHidden.erase({type, id});
}

bool
is_resource_hidden(type_code type, int32 id)
{
	std::lock_guard<std::mutex> guard(sHiddenLock);
	return sHidden.count({type, id}) != 0;
}

status_t
load_app_resource(type_code type, int32 id, std::vector<char>* _data)
{
	if (_data == NULL)
		return B_BAD_VALUE;
	if (is_resource_hidden(type, id))
		return B_NAME_NOT_FOUND;
	// Initialised once, thread-safely, on first use.
	static const AppResources app;
	if (app.status != B_OK)
		return app.status;

	size_t size = 0;
	const void* data = app.resources.LoadResource(type, id, &size);
	if (data == NULL)
		return B_NAME_NOT_FOUND;
	const char* bytes = static_cast<const char*>(data);
	_data->assign(bytes, bytes + size);
	return B_OK;
}

} // namespace BPrivate
