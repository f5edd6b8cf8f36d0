#include <AppFileInfo.h>

#include <cstring>
#include <strings.h>

namespace BPrivate {

const char kAppVersionName[] = "BEOS:APP_VERSION";
const char kAppSignatureName[] = "BEOS:APP_SIG";
const char kAppFlagsName[] = "BEOS:APP_FLAGS";
const char kSupportedTypesName[] = "BEOS:FILE_TYPES";

static void
append_le32(std::vector<char>& out, uint32 value)
{
	for (int shift = 0; shift < 32; shift += 8)
		out.push_back((char)((value >> shift) & 0xff));
}

static uint32
read_le32(const char* bytes)
{
	const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
	return (uint32)p[0] | (uint32)p[1] << 8 | (uint32)p[2] << 16 | (uint32)p[3] << 24;
}

static void
append_text(std::vector<char>& out, const char* text, size_t fieldSize)
{
	size_t length = strnlen(text, fieldSize - 1);
	out.insert(out.end(), text, text + length);
	out.insert(out.end(), fieldSize - length, '\0');
}

static void
flatten_one(std::vector<char>& out, const version_info& info)
{
	append_le32(out, info.major);
	append_le32(out, info.middle);
	append_le32(out, info.minor);
	append_le32(out, info.variety);
	append_le32(out, info.internal);
	append_text(out, info.short_info, sizeof(info.short_info));
	append_text(out, info.long_info, sizeof(info.long_info));
}

std::vector<char>
flatten_version_info(const version_info& app, const version_info& system)
{
	std::vector<char> out;
	flatten_one(out, app);
	flatten_one(out, system);
	return out;
}

static void
unflatten_version_info(const char* flat, version_info* info)
{
	info->major = read_le32(flat);
	info->middle = read_le32(flat + 4);
	info->minor = read_le32(flat + 8);
	info->variety = read_le32(flat + 12);
	info->internal = read_le32(flat + 16);
	memcpy(info->short_info, flat + 20, sizeof(info->short_info));
	memcpy(info->long_info, flat + 20 + sizeof(info->short_info), sizeof(info->long_info));
	// A record from a damaged file must not leave unterminated text.
	info->short_info[sizeof(info->short_info) - 1] = '\0';
	info->long_info[sizeof(info->long_info) - 1] = '\0';
}

} // namespace BPrivate

using namespace BPrivate;

BAppFileInfo::BAppFileInfo() = default;
BAppFileInfo::~BAppFileInfo() = default;

status_t
BAppFileInfo::SetTo(const char* path)
{
	return fResources.SetTo(path);
}

status_t
BAppFileInfo::SetTo(BFile* file)
{
	return fResources.SetTo(file);
}

status_t
BAppFileInfo::InitCheck() const
{
	return fResources.InitCheck();
}

status_t
BAppFileInfo::GetVersionInfo(version_info* info, version_kind kind) const
{
	if (info == NULL || (kind != B_APP_VERSION_KIND && kind != B_SYSTEM_VERSION_KIND))
		return B_BAD_VALUE;
	const char* data;
	size_t size;
	status_t status = _Find(kAppVersionType, kAppInfoResourceId, &data, &size);
	if (status != B_OK)
		return status;
	const size_t index = kind == B_APP_VERSION_KIND ? 0 : 1;
	if (size < (index + 1) * kFlatVersionInfoSize)
		return B_BAD_DATA;
	unflatten_version_info(data + index * kFlatVersionInfoSize, info);
	return B_OK;
}

status_t
BAppFileInfo::_Find(type_code type, int32 id, const char** _data, size_t* _size) const
{
	status_t status = fResources.InitCheck();
	if (status != B_OK)
		return status;
	const void* data = fResources.LoadResource(type, id, _size);
	if (data == NULL)
		return B_NAME_NOT_FOUND;
	*_data = static_cast<const char*>(data);
	return B_OK;
}
