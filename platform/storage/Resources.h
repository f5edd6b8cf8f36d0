#ifndef _RESOURCES_H
#define _RESOURCES_H

#include <vector>

#include <SupportDefs.h>

#include <ResourcesArchive.h>

// The resources of an executable file: typed, numbered and named blocks of
// data that the build stored in the file (see ResourcesArchive.h). Read-only:
// SetTo reads and checks the whole archive once, and the pointers that
// LoadResource hands out stay valid until the next SetTo,
// Unset or the object's end. An ELF file without resources is a valid,
// empty resource file. Const calls may be made from several threads at once.
class BFile;

class BResources {
public:
	BResources();
	~BResources();

	status_t SetTo(const char* path);
	// Reads the resources of an open file; the file stays the caller's.
	status_t SetTo(BFile* file, bool clobber = false);
	void Unset();
	status_t InitCheck() const;

	const void* LoadResource(type_code type, int32 id, size_t* _size) const;

private:
	BResources(const BResources&) = delete;
	BResources& operator=(const BResources&) = delete;

	status_t _Load(int fd);
	const BPrivate::ResourceEntry* _Find(type_code type, int32 id) const;

	status_t fInitStatus;
	std::vector<char> fArchive;
	std::vector<BPrivate::ResourceEntry> fEntries;
};

namespace BPrivate {

// Copies the resource of the given type and id out of the running
// executable (/proc/self/exe). The executable's archive is read and checked
// once, on the first call from any thread. B_NAME_NOT_FOUND when there is no
// such resource; the executable's own error when it has no usable archive.
status_t load_app_resource(type_code type, int32 id, std::vector<char>* _data);

// Test hook: makes load_app_resource answer as if the running application
// had no such resource (or has it again).
void hide_app_resource(type_code type, int32 id, bool hidden);
bool is_resource_hidden(type_code type, int32 id);

} // namespace BPrivate

#endif
