#ifndef _APP_FILE_INFO_H
#define _APP_FILE_INFO_H

#include <vector>

#include <Resources.h>
#include <SupportDefs.h>

#ifndef B_MIME_TYPE_LENGTH
#define B_MIME_TYPE_LENGTH 256
#endif

// Launch flags of an application, spelt exactly as Application.h spells
// them so that either header may come first.
#ifndef B_SINGLE_LAUNCH
#define B_SINGLE_LAUNCH 0x0
#define B_MULTIPLE_LAUNCH 0x1
#define B_EXCLUSIVE_LAUNCH 0x2
#define B_LAUNCH_MASK 0x3
#define B_BACKGROUND_APP 0x4
#define B_ARGV_ONLY 0x8
#endif

enum version_kind {
	B_APP_VERSION_KIND,
	B_SYSTEM_VERSION_KIND
};

// Values of version_info::variety.
enum {
	B_APPV_DEVELOPMENT,
	B_APPV_ALPHA,
	B_APPV_BETA,
	B_APPV_GAMMA,
	B_APPV_GOLDEN_MASTER,
	B_APPV_FINAL
};

struct version_info {
	uint32 major;
	uint32 middle;
	uint32 minor;
	uint32 variety;
	uint32 internal;
	char short_info[64];
	char long_info[256];
};

// What an application file declares about itself, read from its resources:
// its version. Read-only. Every
// getter answers B_NO_INIT before a successful SetTo, B_BAD_VALUE for a NULL
// argument, B_NAME_NOT_FOUND when the file lacks that resource and
// B_BAD_DATA when the resource is malformed; on any error the output is left
// as it was, so callers keep their defaults.
class BAppFileInfo {
public:
	BAppFileInfo();
	~BAppFileInfo();

	status_t SetTo(const char* path);
	// Reads the application information of an open file.
	status_t SetTo(BFile* file);
	status_t InitCheck() const;

	status_t GetVersionInfo(version_info* info, version_kind kind) const;

private:
	BAppFileInfo(const BAppFileInfo&) = delete;
	BAppFileInfo& operator=(const BAppFileInfo&) = delete;

	status_t _Find(type_code type, int32 id, const char** _data, size_t* _size) const;

	BResources fResources;
};

namespace BPrivate {

// The resources that describe an application. Each has id 1 and the name
// given; the data formats are those of flatten_version_info, a NUL-terminated
// string (signature), a little-endian uint32 (flags), and NUL-terminated
// strings one after another (supported types).
const type_code kAppVersionType = 'APPV';
const type_code kAppSignatureType = 'MIMS';
const type_code kAppFlagsType = 'APPF';
const type_code kSupportedTypesType = 'MIML';
const int32 kAppInfoResourceId = 1;
extern const char kAppVersionName[]; // "BEOS:APP_VERSION"
extern const char kAppSignatureName[]; // "BEOS:APP_SIG"
extern const char kAppFlagsName[]; // "BEOS:APP_FLAGS"
extern const char kSupportedTypesName[]; // "BEOS:FILE_TYPES"

// One flattened version_info: five little-endian uint32 then the two texts.
const size_t kFlatVersionInfoSize = 5 * 4 + 64 + 256;

// The version resource holds the application's version followed by the
// version of the suite it belongs to (B_APP_VERSION_KIND, then
// B_SYSTEM_VERSION_KIND).
std::vector<char> flatten_version_info(const version_info& app, const version_info& system);

} // namespace BPrivate

#endif
