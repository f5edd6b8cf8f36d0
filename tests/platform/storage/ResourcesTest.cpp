#include <Resources.h>
#include <File.h>
#include <ResourcesArchive.h>

#include <cstring>
#include <elf.h>
#include <random>
#include <string>
#include <vector>


#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace BPrivate;

namespace {

std::vector<char>
bytes(const std::string& text)
{
	return std::vector<char>(text.begin(), text.end());
}

std::vector<ResourceItem>
sample_items()
{
	return {
		{'PICT', 1, "OpenUp", bytes("first picture")},
		{'PICT', 2, "OpenDown", bytes("second")},
		{'APPV', 1, "BEOS:APP_VERSION", std::vector<char>(680, 'v')},
		{'RAWT', -5, "", std::vector<char>()},
	};
}

// A section to put into a hand-made ELF file.
struct Section {
	std::string name;
	uint32 type;
	std::vector<char> data;
};

// Lays out a minimal 64-bit ELF file: header, the sections' contents, the
// section name table, then the section header table (null section first,
// the given sections, the name table last).
std::vector<char>
make_elf(const std::vector<Section>& sections)
{
	std::vector<char> file(sizeof(Elf64_Ehdr));
	std::string names(1, '\0');
	std::vector<Elf64_Shdr> headers(1, Elf64_Shdr{});

	auto addSection = [&](const std::string& name, uint32 type, const std::vector<char>& data) {
		Elf64_Shdr header = {};
		header.sh_name = names.size();
		names += name + '\0';
		header.sh_type = type;
		header.sh_offset = file.size();
		header.sh_size = data.size();
		file.insert(file.end(), data.begin(), data.end());
		headers.push_back(header);
	};
	for (const Section& section : sections)
		addSection(section.name, section.type, section.data);
	// The name table names itself, so its name goes in before its bytes are
	// taken.
	const uint32 nameIndex = headers.size();
	const size_t ownName = names.size();
	names += std::string(".shstrtab") + '\0';
	addSection("", SHT_STRTAB, std::vector<char>(names.begin(), names.end()));
	headers.back().sh_name = ownName;

	while (file.size() % 8 != 0)
		file.push_back('\0');
	Elf64_Ehdr header = {};
	memcpy(header.e_ident, ELFMAG, SELFMAG);
	header.e_ident[EI_CLASS] = ELFCLASS64;
	header.e_ident[EI_DATA] = ELFDATA2LSB;
	header.e_ident[EI_VERSION] = EV_CURRENT;
	header.e_type = ET_EXEC;
	header.e_machine = EM_X86_64;
	header.e_version = EV_CURRENT;
	header.e_ehsize = sizeof(Elf64_Ehdr);
	header.e_shoff = file.size();
	header.e_shentsize = sizeof(Elf64_Shdr);
	header.e_shnum = headers.size();
	header.e_shstrndx = nameIndex;
	memcpy(file.data(), &header, sizeof(header));
	for (const Elf64_Shdr& section : headers) {
		const char* raw = reinterpret_cast<const char*>(&section);
		file.insert(file.end(), raw, raw + sizeof(section));
	}
	return file;
}

std::vector<char>
elf_with_archive(const std::vector<char>& archive)
{
	return make_elf(
		{{".text", SHT_PROGBITS, bytes("code")}, {".glimrsrc", SHT_PROGBITS, archive}});
}

// The headers in place: the file is padded so that the section header table
// is aligned.
Elf64_Ehdr&
elf_header(std::vector<char>& file)
{
	return *reinterpret_cast<Elf64_Ehdr*>(file.data());
}

Elf64_Shdr&
section_header(std::vector<char>& file, int index)
{
	return reinterpret_cast<Elf64_Shdr*>(file.data() + elf_header(file).e_shoff)[index];
}

status_t
set_to_contents(glim_test::TempDir& dir, const std::vector<char>& contents,
	BResources& resources)
{
	const std::string path = dir / "file";
	glim_test::WriteFile(path, contents);
	return resources.SetTo(path.c_str());
}

bool
Has(const BResources& resources, type_code type, int32 id)
{
	size_t size;
	return resources.LoadResource(type, id, &size) != NULL;
}

} // namespace

TEST(ResourcesTest, MalformedArchivesAreRefused)
{
	const std::vector<char> good = build_resources_archive(sample_items());
	std::vector<ResourceEntry> entries;

	// Every truncation fails: the header records the whole size.
	for (size_t length = 0; length < good.size(); length++) {
		std::vector<char> cut(good.begin(), good.begin() + length);
		ASSERT_EQ(parse_resources_archive(cut.data(), cut.size(), &entries), B_BAD_DATA)
			<< "length " << length;
		ASSERT_TRUE(entries.empty());
	}

	auto patched = [&good](size_t offset, uint32 value) {
		std::vector<char> copy = good;
		memcpy(copy.data() + offset, &value, 4);
		return copy;
	};
	const size_t firstEntry = kResourcesHeaderSize;
	const std::pair<const char*, std::vector<char>> cases[] = {
		{"magic", patched(0, 0x0)},
		{"version", patched(8, 2)},
		{"count past the table", patched(12, 0x0fffffff)},
		{"size past the buffer", patched(16, good.size() + 1)},
		{"size below the header", patched(16, 3)},
		{"name past the end", patched(firstEntry + 8, good.size() - 2)},
		{"name length past the end", patched(firstEntry + 12, 0xffffffff)},
		{"name without its NUL", patched(firstEntry + 12, 2)},
		{"data past the end", patched(firstEntry + 16, good.size())},
		{"data size past the end", patched(firstEntry + 20, 0xfffffff0)},
	};
	for (const auto& [what, data] : cases) {
		SCOPED_TRACE(what);
		EXPECT_EQ(parse_resources_archive(data.data(), data.size(), &entries), B_BAD_DATA);
	}
	EXPECT_EQ(parse_resources_archive(NULL, 0, &entries), B_BAD_DATA);
	EXPECT_EQ(parse_resources_archive(good.data(), good.size(), NULL), B_BAD_VALUE);
}

TEST(ResourcesTest, DamagedArchivesNeverReachOutsideTheirBytes)
{
	const std::vector<char> good = build_resources_archive(sample_items());
	std::mt19937 random(7);
	for (int round = 0; round < 3000; round++) {
		std::vector<char> data = good;
		const int flips = 1 + random() % 4;
		for (int i = 0; i < flips; i++)
			data[random() % data.size()] ^= (char)(1 << (random() % 8));
		std::vector<ResourceEntry> entries;
		if (parse_resources_archive(data.data(), data.size(), &entries) != B_OK)
			continue;
		for (const ResourceEntry& entry : entries) {
			const char* start = data.data();
			const char* end = start + data.size();
			ASSERT_TRUE(entry.name >= start && entry.name + strlen(entry.name) < end);
			ASSERT_TRUE((const char*)entry.data >= start
				&& (const char*)entry.data + entry.size <= end);
		}
	}
}

TEST(ResourcesTest, FilesWithoutResourcesAreEmptyAndOthersAreErrors)
{
	glim_test::TempDir dir;
	BResources resources;

	// A valid ELF file without the section holds no resources.
	EXPECT_EQ(set_to_contents(dir, make_elf({{".text", SHT_PROGBITS, bytes("code")}}),
				  resources),
		B_OK);
	EXPECT_EQ(resources.LoadResource('PICT', 1, NULL), nullptr);

	EXPECT_EQ(set_to_contents(dir, bytes("#!/bin/sh\necho not an executable\n"), resources),
		B_BAD_DATA);
	EXPECT_EQ(set_to_contents(dir, std::vector<char>(), resources), B_BAD_DATA);
	std::vector<char> elf32 = elf_with_archive(build_resources_archive(sample_items()));
	elf32[EI_CLASS] = ELFCLASS32;
	EXPECT_EQ(set_to_contents(dir, elf32, resources), B_BAD_DATA);
	EXPECT_EQ(resources.SetTo(dir.Path().c_str()), B_IS_A_DIRECTORY);
	EXPECT_EQ(resources.SetTo((dir / "missing").c_str()), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(resources.SetTo((const char*)NULL), B_BAD_VALUE);
	EXPECT_EQ(resources.InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(resources.SetTo((BFile*)NULL), B_BAD_VALUE);
	EXPECT_FALSE(Has(resources, 'PICT', 1));
}

TEST(ResourcesTest, TruncatedAndInconsistentElfFilesAreRefused)
{
	glim_test::TempDir dir;
	BResources resources;
	const std::vector<char> good = elf_with_archive(build_resources_archive(sample_items()));
	ASSERT_EQ(set_to_contents(dir, good, resources), B_OK);

	// The section header table is at the end, so every shorter file lacks it.
	for (size_t length = 0; length < good.size(); length += 7) {
		std::vector<char> cut(good.begin(), good.begin() + length);
		ASSERT_EQ(set_to_contents(dir, cut, resources), B_BAD_DATA) << "length " << length;
		ASSERT_FALSE(Has(resources, 'PICT', 1));
	}

	const int archiveIndex = 2;
	std::vector<char> copy = good;
	const int namesIndex = elf_header(copy).e_shstrndx;
	std::vector<std::pair<const char*, std::vector<char>>> cases;
	auto withHeader = [&](const char* what, auto change) {
		std::vector<char> file = good;
		change(elf_header(file));
		cases.push_back({what, file});
	};
	auto withSection = [&](const char* what, int index, auto change) {
		std::vector<char> file = good;
		change(section_header(file, index));
		cases.push_back({what, file});
	};
	withHeader("table past the end", [](Elf64_Ehdr& h) { h.e_shoff = 1 << 30; });
	withHeader("table offset overflows", [](Elf64_Ehdr& h) { h.e_shoff = ~0ull - 8; });
	withHeader("too many sections", [](Elf64_Ehdr& h) { h.e_shnum = 0xfff0; });
	withHeader("entries too small", [](Elf64_Ehdr& h) { h.e_shentsize = 16; });
	withHeader("name table index", [](Elf64_Ehdr& h) { h.e_shstrndx = h.e_shnum; });
	withSection("names past the end", namesIndex, [](Elf64_Shdr& s) { s.sh_offset = 1 << 30; });
	withSection("names too long", namesIndex, [](Elf64_Shdr& s) { s.sh_size = ~0ull; });
	withSection("names are empty", namesIndex, [](Elf64_Shdr& s) { s.sh_type = SHT_NOBITS; });
	withSection("archive past the end", archiveIndex,
		[](Elf64_Shdr& s) { s.sh_size = 1 << 20; });
	withSection("archive offset huge", archiveIndex,
		[](Elf64_Shdr& s) { s.sh_offset = ~0ull; });
	withSection("archive has no bits", archiveIndex,
		[](Elf64_Shdr& s) { s.sh_type = SHT_NOBITS; });
	withSection("archive cut short", archiveIndex, [](Elf64_Shdr& s) { s.sh_size -= 1; });
	for (const auto& [what, file] : cases) {
		SCOPED_TRACE(what);
		EXPECT_EQ(set_to_contents(dir, file, resources), B_BAD_DATA);
		EXPECT_FALSE(Has(resources, 'PICT', 1));
	}

	// A section name running off the end of the name table matches nothing.
	section_header(copy, archiveIndex).sh_name = section_header(copy, namesIndex).sh_size - 3;
	EXPECT_EQ(set_to_contents(dir, copy, resources), B_OK);
	EXPECT_FALSE(Has(resources, 'PICT', 1));
}

TEST(ResourcesTest, FollowsExtendedSectionNumbering)
{
	// Files with very many sections keep the counts in section 0.
	glim_test::TempDir dir;
	std::vector<char> file = elf_with_archive(build_resources_archive(sample_items()));
	Elf64_Ehdr& header = elf_header(file);
	section_header(file, 0).sh_size = header.e_shnum;
	section_header(file, 0).sh_link = header.e_shstrndx;
	header.e_shnum = 0;
	header.e_shstrndx = SHN_XINDEX;

	BResources resources;
	ASSERT_EQ(set_to_contents(dir, file, resources), B_OK);
	EXPECT_TRUE(Has(resources, 'PICT', 2));
}
