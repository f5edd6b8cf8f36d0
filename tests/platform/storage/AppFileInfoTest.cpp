#include <AppFileInfo.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace BPrivate;

namespace {

const char kSignature[] = "application/x-vnd.Fenwix-Viewer";

std::vector<char>
text(const char* value)
{
	return std::vector<char>(value, value + strlen(value) + 1);
}

bool
run(const std::string& command)
{
	return system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A copy of a small real executable carrying the given resources, made the
// way the build makes the application's file.
class ExecutableWithResources {
public:
	explicit ExecutableWithResources(const std::vector<ResourceItem>& items)
	{
		const std::string archive = fDir / "archive";
		glim_test::WriteFile(archive, build_resources_archive(items));
		fPath = fDir / "program";
		fMade = glim_test::Exists("/bin/true")
			&& run("objcopy --add-section .glimrsrc=" + archive
				+ " --set-section-flags .glimrsrc=noload,readonly /bin/true " + fPath);
	}

	bool Made() const { return fMade; }
	const char* Path() const { return fPath.c_str(); }

private:
	glim_test::TempDir fDir;
	std::string fPath;
	bool fMade;
};

version_info
sample_version()
{
	version_info info = {1, 2, 3, B_APPV_FINAL, 4, {}, {}};
	strcpy(info.short_info, "Short");
	strcpy(info.long_info, "Long text");
	return info;
}

} // namespace

TEST(AppFileInfoTest, TheRunningProgramDeclaresItsVersionAndSignature)
{
	BAppFileInfo info;
	ASSERT_EQ(info.SetTo("/proc/self/exe"), B_OK);
	EXPECT_EQ(info.InitCheck(), B_OK);

	version_info version;
	ASSERT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
	EXPECT_EQ(version.major, 0u);
	EXPECT_EQ(version.middle, 9u);
	EXPECT_EQ(version.minor, 7u);
	EXPECT_EQ(version.variety, (uint32)B_APPV_ALPHA);
	EXPECT_EQ(version.internal, 1u);
	EXPECT_STREQ(version.short_info, "Image Viewer");
	EXPECT_GT(strlen(version.long_info), 0u);
	version_info system;
	ASSERT_EQ(info.GetVersionInfo(&system, B_SYSTEM_VERSION_KIND), B_OK);
	EXPECT_EQ(system.minor, 7u);

	char signature[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(info.GetSignature(signature), B_OK);
	EXPECT_STREQ(signature, kSignature);
	uint32 flags = 0xffff;
	ASSERT_EQ(info.GetAppFlags(&flags), B_OK);
	EXPECT_EQ(flags, (uint32)B_SINGLE_LAUNCH);
	EXPECT_TRUE(info.IsSupportedType("image/jpeg"));
	EXPECT_TRUE(info.IsSupportedType("IMAGE/JPEG"));
	EXPECT_FALSE(info.IsSupportedType("image/png"));
	EXPECT_FALSE(info.IsSupportedType("image"));
}

TEST(AppFileInfoTest, NullArgumentsAndNoFile)
{
	BAppFileInfo info;
	version_info version;
	char signature[B_MIME_TYPE_LENGTH];
	uint32 flags;
	EXPECT_EQ(info.InitCheck(), B_NO_INIT);
	EXPECT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_NO_INIT);
	EXPECT_EQ(info.GetSignature(signature), B_NO_INIT);
	EXPECT_FALSE(info.IsSupportedType("image/jpeg"));

	ASSERT_EQ(info.SetTo("/proc/self/exe"), B_OK);
	EXPECT_EQ(info.GetVersionInfo(NULL, B_APP_VERSION_KIND), B_BAD_VALUE);
	EXPECT_EQ(info.GetVersionInfo(&version, (version_kind)7), B_BAD_VALUE);
	EXPECT_EQ(info.GetSignature(NULL), B_BAD_VALUE);
	EXPECT_EQ(info.GetAppFlags(NULL), B_BAD_VALUE);
	EXPECT_FALSE(info.IsSupportedType(NULL));

	EXPECT_NE(info.SetTo("/nonexistent/glim"), B_OK);
	EXPECT_NE(info.GetAppFlags(&flags), B_OK);
}

TEST(AppFileInfoTest, AProgramWithoutResourcesLeavesTheCallersDefaults)
{
	ExecutableWithResources program({});
	BAppFileInfo info;
	// /bin/true itself has no resource section; the copy has an empty one.
	const char* paths[] = {"/bin/true", program.Path()};
	for (const char* path : paths) {
		SCOPED_TRACE(path);
		if (!glim_test::Exists(path))
			continue;
		ASSERT_EQ(info.SetTo(path), B_OK);
		version_info version = sample_version();
		EXPECT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_NAME_NOT_FOUND);
		EXPECT_EQ(version.major, 1u);
		EXPECT_STREQ(version.short_info, "Short");
		char signature[B_MIME_TYPE_LENGTH] = "unchanged";
		EXPECT_EQ(info.GetSignature(signature), B_NAME_NOT_FOUND);
		EXPECT_STREQ(signature, "unchanged");
		uint32 flags = 77;
		EXPECT_EQ(info.GetAppFlags(&flags), B_NAME_NOT_FOUND);
		EXPECT_EQ(flags, 77u);
		EXPECT_FALSE(info.IsSupportedType("image/jpeg"));
	}
}

TEST(AppFileInfoTest, ReadsWhatAnotherProgramDeclares)
{
	version_info app = sample_version();
	version_info system = sample_version();
	system.major = 5;
	std::vector<char> types = text("image");
	std::vector<char> png = text("image/png");
	types.insert(types.end(), png.begin(), png.end());
	types.push_back('x'); // an unterminated last entry is ignored
	ExecutableWithResources program({
		{kAppVersionType, kAppInfoResourceId, kAppVersionName,
			flatten_version_info(app, system)},
		{kAppSignatureType, kAppInfoResourceId, kAppSignatureName, text("application/x-other")},
		{kAppFlagsType, kAppInfoResourceId, kAppFlagsName, {9, 0, 0, 0}},
		{kSupportedTypesType, kAppInfoResourceId, kSupportedTypesName, types},
	});
	if (!program.Made())
		GTEST_SKIP() << "objcopy is not available";

	BAppFileInfo info;
	ASSERT_EQ(info.SetTo(program.Path()), B_OK);
	version_info version;
	ASSERT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
	EXPECT_EQ(version.major, 1u);
	EXPECT_EQ(version.variety, (uint32)B_APPV_FINAL);
	EXPECT_EQ(version.internal, 4u);
	EXPECT_STREQ(version.long_info, "Long text");
	ASSERT_EQ(info.GetVersionInfo(&version, B_SYSTEM_VERSION_KIND), B_OK);
	EXPECT_EQ(version.major, 5u);

	char signature[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(info.GetSignature(signature), B_OK);
	EXPECT_STREQ(signature, "application/x-other");
	uint32 flags;
	ASSERT_EQ(info.GetAppFlags(&flags), B_OK);
	EXPECT_EQ(flags, (uint32)(B_MULTIPLE_LAUNCH | B_ARGV_ONLY));
	EXPECT_TRUE(info.IsSupportedType("image/tiff")); // through the supertype
	EXPECT_TRUE(info.IsSupportedType("image/png"));
	EXPECT_FALSE(info.IsSupportedType("imagex/png"));
	EXPECT_FALSE(info.IsSupportedType("text/plain"));
	EXPECT_FALSE(info.IsSupportedType("x"));
}

TEST(AppFileInfoTest, MalformedRecordsAreErrorsAndChangeNothing)
{
	version_info app = sample_version();
	std::vector<char> oneRecord = flatten_version_info(app, app);
	oneRecord.resize(kFlatVersionInfoSize);
	std::vector<char> shortRecord = oneRecord;
	shortRecord.resize(kFlatVersionInfoSize - 1);
	std::vector<char> unterminated = flatten_version_info(app, app);
	memset(unterminated.data() + 20, 'a', 64 + 256);
	unterminated.resize(kFlatVersionInfoSize);
	std::vector<char> longSignature(B_MIME_TYPE_LENGTH + 10, 'a');
	longSignature.push_back('\0');

	const struct {
		const char* what;
		std::vector<ResourceItem> items;
		status_t flagsStatus;
		status_t appVersionStatus;
		size_t shortInfoLength;
	} cases[] = {
		{"one record",
			{{kAppVersionType, 1, kAppVersionName, oneRecord},
				{kAppFlagsType, 1, kAppFlagsName, {1, 0}},
				{kAppSignatureType, 1, kAppSignatureName, {'a', 'b'}}},
			B_BAD_DATA, B_OK, 5},
		{"short record",
			{{kAppVersionType, 1, kAppVersionName, shortRecord},
				{kAppFlagsType, 1, kAppFlagsName, {1, 0, 0, 0, 0}},
				{kAppSignatureType, 1, kAppSignatureName, longSignature}},
			B_BAD_DATA, B_BAD_DATA, 0},
		{"unterminated texts",
			{{kAppVersionType, 1, kAppVersionName, unterminated},
				{kAppSignatureType, 1, kAppSignatureName, {'\0'}}},
			B_NAME_NOT_FOUND, B_OK, 63},
	};
	for (const auto& testCase : cases) {
		SCOPED_TRACE(testCase.what);
		ExecutableWithResources program(testCase.items);
		if (!program.Made())
			GTEST_SKIP() << "objcopy is not available";
		BAppFileInfo info;
		ASSERT_EQ(info.SetTo(program.Path()), B_OK);

		char signature[B_MIME_TYPE_LENGTH] = "unchanged";
		EXPECT_EQ(info.GetSignature(signature), B_BAD_DATA);
		EXPECT_STREQ(signature, "unchanged");
		uint32 flags = 77;
		EXPECT_EQ(info.GetAppFlags(&flags), testCase.flagsStatus);
		EXPECT_EQ(flags, 77u);

		version_info version = sample_version();
		version.major = 42;
		EXPECT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), testCase.appVersionStatus);
		if (testCase.appVersionStatus == B_OK) {
			// Texts from a damaged record are cut to fit their fields.
			EXPECT_EQ(strlen(version.short_info), testCase.shortInfoLength);
			EXPECT_LT(strlen(version.long_info), sizeof(version.long_info));
			version.major = 42;
		}
		EXPECT_EQ(info.GetVersionInfo(&version, B_SYSTEM_VERSION_KIND), B_BAD_DATA);
		EXPECT_EQ(version.major, 42u);
	}
}
