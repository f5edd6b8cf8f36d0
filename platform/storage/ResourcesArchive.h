#ifndef _RESOURCES_ARCHIVE_H
#define _RESOURCES_ARCHIVE_H

#include <string>
#include <vector>

#include <SupportDefs.h>

// The application's resources travel inside its executable, as the contents
// of an ELF section that the build adds after linking. This header describes
// that archive and the section; it is private to the layer and to the build
// tool that writes the archive.
//
// Archive layout, every number little-endian:
//   header, 24 bytes:
//     char   magic[8]      "GLIMRSRC"
//     uint32 version       1
//     uint32 count         number of entries
//     uint32 size          size of the whole archive in bytes
//     uint32 reserved      0
//   count entries, 24 bytes each:
//     uint32 type          type code, as 'PICT'
//     int32  id
//     uint32 nameOffset    from the archive's start; the name is nameLength
//     uint32 nameLength    bytes followed by a NUL, with no NUL inside
//     uint32 dataOffset    from the archive's start
//     uint32 dataSize
//   names and data, anywhere after the entry table and within size.
namespace BPrivate {

extern const char kResourcesSectionName[]; // ".glimrsrc"
extern const char kResourcesMagic[8];
const uint32 kResourcesVersion = 1;
const size_t kResourcesHeaderSize = 24;
const size_t kResourcesEntrySize = 24;
// Far above what the application carries; a section claiming more is corrupt.
const size_t kMaxResourcesSize = 64 * 1024 * 1024;

// One resource to be written.
struct ResourceItem {
	type_code type;
	int32 id;
	std::string name;
	std::vector<char> data;
};

// One resource found in an archive. Name and data point into the archive's
// bytes and are valid as long as those bytes are.
struct ResourceEntry {
	type_code type;
	int32 id;
	const char* name;
	const void* data;
	size_t size;
};

// Builds the archive bytes for the items, in their order.
std::vector<char> build_resources_archive(const std::vector<ResourceItem>& items);

// Checks every offset and length of the archive in data[0, size) and lists
// its entries. B_BAD_DATA for anything malformed; nothing is read outside the
// buffer.
status_t parse_resources_archive(const void* data, size_t size,
	std::vector<ResourceEntry>* _entries);

// Reads the contents of the named section of the 64-bit ELF file open on fd
// (read with pread, the file position is not used). B_NAME_NOT_FOUND when the
// file is a valid ELF file without that section; B_BAD_DATA for a file that
// is not ELF, is truncated, or whose headers point outside the file.
status_t read_elf_section(int fd, const char* name, std::vector<char>* _contents);

} // namespace BPrivate

#endif
