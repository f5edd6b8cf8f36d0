#include <ResourcesArchive.h>

#include <cerrno>
#include <cstring>
#include <elf.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BPrivate {

const char kResourcesSectionName[] = ".glimrsrc";
const char kResourcesMagic[8] = {'G', 'L', 'I', 'M', 'R', 'S', 'R', 'C'};

// Section header tables and name tables of real executables are a few
// kilobytes; anything claiming more than this is not worth reading.
static const uint64 kMaxElfTableSize = 16 * 1024 * 1024;

static uint32
read_le32(const char* bytes)
{
	const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
	return (uint32)p[0] | (uint32)p[1] << 8 | (uint32)p[2] << 16 | (uint32)p[3] << 24;
}

static void
append_le32(std::vector<char>& out, uint32 value)
{
	for (int shift = 0; shift < 32; shift += 8)
		out.push_back((char)((value >> shift) & 0xff));
}

static void
write_le32(std::vector<char>& out, size_t offset, uint32 value)
{
	for (int i = 0; i < 4; i++)
		out[offset + i] = (char)((value >> (8 * i)) & 0xff);
}

std::vector<char>
build_resources_archive(const std::vector<ResourceItem>& items)
{
	std::vector<char> out(kResourcesMagic, kResourcesMagic + sizeof(kResourcesMagic));
	append_le32(out, kResourcesVersion);
	append_le32(out, (uint32)items.size());
	append_le32(out, 0); // size, filled in below
	append_le32(out, 0);

	const size_t tableStart = out.size();
	out.resize(tableStart + items.size() * kResourcesEntrySize);
	for (size_t i = 0; i < items.size(); i++) {
		const ResourceItem& item = items[i];
		const size_t entry = tableStart + i * kResourcesEntrySize;
		write_le32(out, entry, item.type);
		write_le32(out, entry + 4, (uint32)item.id);
		write_le32(out, entry + 8, (uint32)out.size());
		write_le32(out, entry + 12, (uint32)item.name.size());
		out.insert(out.end(), item.name.begin(), item.name.end());
		out.push_back('\0');
		// Data starts on an 8-byte boundary so a reader may cast small
		// records in place.
		while (out.size() % 8 != 0)
			out.push_back('\0');
		write_le32(out, entry + 16, (uint32)out.size());
		write_le32(out, entry + 20, (uint32)item.data.size());
		out.insert(out.end(), item.data.begin(), item.data.end());
	}
	write_le32(out, 16, (uint32)out.size());
	return out;
}

status_t
parse_resources_archive(const void* data, size_t size, std::vector<ResourceEntry>* _entries)
{
	if (_entries == NULL || (data == NULL && size > 0))
		return B_BAD_VALUE;
	_entries->clear();

	const char* bytes = static_cast<const char*>(data);
	if (size < kResourcesHeaderSize
		|| memcmp(bytes, kResourcesMagic, sizeof(kResourcesMagic)) != 0
		|| read_le32(bytes + 8) != kResourcesVersion)
		return B_BAD_DATA;

	const uint64 count = read_le32(bytes + 12);
	const uint64 total = read_le32(bytes + 16);
	if (total > size || total < kResourcesHeaderSize
		|| count > (total - kResourcesHeaderSize) / kResourcesEntrySize)
		return B_BAD_DATA;

	std::vector<ResourceEntry> entries;
	entries.reserve(count);
	for (uint64 i = 0; i < count; i++) {
		const char* entry = bytes + kResourcesHeaderSize + i * kResourcesEntrySize;
		const uint64 nameOffset = read_le32(entry + 8);
		const uint64 nameLength = read_le32(entry + 12);
		const uint64 dataOffset = read_le32(entry + 16);
		const uint64 dataSize = read_le32(entry + 20);
		// 64-bit sums of 32-bit values cannot overflow.
		if (nameOffset + nameLength + 1 > total || dataOffset + dataSize > total)
			return B_BAD_DATA;
		const char* name = bytes + nameOffset;
		if (name[nameLength] != '\0' || memchr(name, '\0', nameLength) != NULL)
			return B_BAD_DATA;

		entries.push_back({read_le32(entry), (int32)read_le32(entry + 4), name,
			bytes + dataOffset, (size_t)dataSize});
	}
	_entries->swap(entries);
	return B_OK;
}

// Reads exactly size bytes at offset; a file that ends first is corrupt.
static status_t
read_exactly(int fd, uint64 offset, void* buffer, size_t size)
{
	char* out = static_cast<char*>(buffer);
	while (size > 0) {
		ssize_t bytesRead = pread(fd, out, size, (off_t)offset);
		if (bytesRead < 0) {
			if (errno == EINTR)
				continue;
			return status_from_errno(errno);
		}
		if (bytesRead == 0)
			return B_BAD_DATA;
		out += bytesRead;
		offset += bytesRead;
		size -= bytesRead;
	}
	return B_OK;
}

// Reads [offset, offset + size) of a file of fileSize bytes into _contents,
// refusing ranges outside the file or above limit.
static status_t
read_range(int fd, uint64 fileSize, uint64 offset, uint64 size, uint64 limit,
	std::vector<char>* _contents)
{
	if (offset > fileSize || size > fileSize - offset || size > limit)
		return B_BAD_DATA;
	std::vector<char> contents(size);
	status_t status = read_exactly(fd, offset, contents.data(), size);
	if (status == B_OK)
		_contents->swap(contents);
	return status;
}

static Elf64_Shdr
section_header(const std::vector<char>& table, uint64 entrySize, uint64 index)
{
	Elf64_Shdr header;
	memcpy(&header, table.data() + index * entrySize, sizeof(header));
	return header;
}

// Checks the ELF header and gives the number of sections and the index of
// the section name table, following the extended numbering that files with
// very many sections use (counts kept in section 0).
static status_t
read_elf_layout(int fd, uint64 fileSize, Elf64_Ehdr* _header, uint64* _count,
	uint64* _namesIndex)
{
	Elf64_Ehdr& header = *_header;
	if (fileSize < sizeof(header))
		return B_BAD_DATA;
	status_t status = read_exactly(fd, 0, &header, sizeof(header));
	if (status != B_OK)
		return status;
	if (memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64
		|| header.e_ident[EI_DATA] != ELFDATA2LSB)
		return B_BAD_DATA;
	if (header.e_shoff == 0) {
		*_count = 0;
		return B_OK;
	}
	if (header.e_shentsize < sizeof(Elf64_Shdr))
		return B_BAD_DATA;

	*_count = header.e_shnum;
	*_namesIndex = header.e_shstrndx;
	if (header.e_shnum == 0 || header.e_shstrndx == SHN_XINDEX) {
		std::vector<char> first;
		status = read_range(fd, fileSize, header.e_shoff, sizeof(Elf64_Shdr),
			sizeof(Elf64_Shdr), &first);
		if (status != B_OK)
			return status;
		Elf64_Shdr zero = section_header(first, sizeof(Elf64_Shdr), 0);
		if (header.e_shnum == 0)
			*_count = zero.sh_size;
		if (header.e_shstrndx == SHN_XINDEX)
			*_namesIndex = zero.sh_link;
	}
	return B_OK;
}

static status_t
read_section(int fd, uint64 fileSize, const Elf64_Shdr& section, uint64 limit,
	std::vector<char>* _contents)
{
	if (section.sh_type == SHT_NOBITS)
		return B_BAD_DATA;
	return read_range(fd, fileSize, section.sh_offset, section.sh_size, limit, _contents);
}

status_t
read_elf_section(int fd, const char* name, std::vector<char>* _contents)
{
	if (name == NULL || _contents == NULL)
		return B_BAD_VALUE;

	struct stat info;
	if (fstat(fd, &info) != 0)
		return status_from_errno(errno);
	if (S_ISDIR(info.st_mode))
		return B_IS_A_DIRECTORY;
	if (!S_ISREG(info.st_mode))
		return B_BAD_TYPE;
	const uint64 fileSize = (uint64)info.st_size;

	Elf64_Ehdr header;
	uint64 count = 0;
	uint64 namesIndex = SHN_UNDEF;
	status_t status = read_elf_layout(fd, fileSize, &header, &count, &namesIndex);
	if (status != B_OK)
		return status;
	if (count == 0 || namesIndex == SHN_UNDEF)
		return B_NAME_NOT_FOUND;
	if (namesIndex >= count || count > kMaxElfTableSize / header.e_shentsize)
		return B_BAD_DATA;

	std::vector<char> table;
	status = read_range(fd, fileSize, header.e_shoff, count * header.e_shentsize,
		kMaxElfTableSize, &table);
	if (status != B_OK)
		return status;

	std::vector<char> names;
	status = read_section(fd, fileSize, section_header(table, header.e_shentsize, namesIndex),
		kMaxElfTableSize, &names);
	if (status != B_OK)
		return status;

	const size_t nameLength = strlen(name);
	for (uint64 i = 0; i < count; i++) {
		Elf64_Shdr section = section_header(table, header.e_shentsize, i);
		if (section.sh_name >= names.size() || names.size() - section.sh_name < nameLength + 1
			|| memcmp(names.data() + section.sh_name, name, nameLength + 1) != 0)
			continue;
		return read_section(fd, fileSize, section, kMaxResourcesSize, _contents);
	}
	return B_NAME_NOT_FOUND;
}

} // namespace BPrivate
