#include <AppFileInfo.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace BPrivate;

namespace {

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
	version_info app = sample_version();
	std::vector<char> oneRecord = flatten_version_info(app, app);
	oneRecord.resize(kFlatVersionInfoSize);
	std::vector<char> shortRecord = oneRecord;
	shortRecord.resize(kFlatVersionInfoSize - 1);
	std::vector<char> unterminated = flatten_version_info(app, app);
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
		ExecutableWithResources program(testCase.items);
		if (!program.Made())
			GTEST_SKIP() << "objcopy is not available";
		BAppFileInfo info;
		ASSERT_EQ(info.SetTo(program.Path()), B_OK);

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
