#include <AppFileInfo.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace BPrivate;

namespace {

// A copy of a small real executable carrying the given resources, made in
// folder the way the build makes the application's file; "" when it cannot
// be made.
std::string
executable_with_resources(const std::string& folder, const std::vector<ResourceItem>& items)
{
	glim_test::WriteFile(folder + "/archive", build_resources_archive(items));
	std::string path = folder + "/program";
	std::string command = "objcopy --add-section .glimrsrc=" + folder
		+ "/archive --set-section-flags .glimrsrc=noload,readonly /bin/true " + path
		+ " >/dev/null 2>&1";
	return system(command.c_str()) == 0 ? path : "";
}

const version_info kSample = {1, 2, 3, B_APPV_FINAL, 4, "Short", "Long text"};

} // namespace

TEST(AppFileInfoTest, NullArgumentsAndNoFile)
{
	BAppFileInfo info;
	version_info version;
	EXPECT_EQ(info.InitCheck(), B_NO_INIT);
	EXPECT_EQ(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_NO_INIT);

	ASSERT_EQ(info.SetTo("/proc/self/exe"), B_OK);
	EXPECT_EQ(info.GetVersionInfo(NULL, B_APP_VERSION_KIND), B_BAD_VALUE);
	EXPECT_EQ(info.GetVersionInfo(&version, (version_kind)7), B_BAD_VALUE);

	EXPECT_NE(info.SetTo("/nonexistent/glim"), B_OK);
	EXPECT_NE(info.GetVersionInfo(&version, B_APP_VERSION_KIND), B_OK);
}

TEST(AppFileInfoTest, MalformedRecordsAreErrorsAndChangeNothing)
{
	std::vector<char> oneRecord = flatten_version_info(kSample, kSample);
	oneRecord.resize(kFlatVersionInfoSize);
	std::vector<char> shortRecord = oneRecord;
	shortRecord.resize(kFlatVersionInfoSize - 1);
	std::vector<char> unterminated = flatten_version_info(kSample, kSample);
	memset(unterminated.data() + 20, 'a', 64 + 256);
	unterminated.resize(kFlatVersionInfoSize);

	const struct {
		const char* what;
		std::vector<ResourceItem> items;
		status_t appVersionStatus;
		size_t shortInfoLength;
	} cases[] = {
		{"one record", {{kAppVersionType, 1, kAppVersionName, oneRecord}}, B_OK, 5},
		{"short record", {{kAppVersionType, 1, kAppVersionName, shortRecord}}, B_BAD_DATA, 0},
		{"unterminated texts", {{kAppVersionType, 1, kAppVersionName, unterminated}}, B_OK, 63},
	};
	for (const auto& testCase : cases) {
		SCOPED_TRACE(testCase.what);
		glim_test::TempDir dir;
		std::string program = executable_with_resources(dir.Path(), testCase.items);
		if (program.empty())
			GTEST_SKIP() << "objcopy is not available";
		BAppFileInfo info;
		ASSERT_EQ(info.SetTo(program.c_str()), B_OK);

		version_info version = kSample;
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
