#include <string>

#include <gtest/gtest.h>

#include <Entry.h>
#include <Path.h>

#include "mainwindow/HelpPage.h"
#include "TestSupport.h"

TEST(HelpPageTest, FoundBesideTheProgramElseUnderTheInstalledPrefix)
{
	const struct {
		const char* name;
		bool beside;
		bool installed;
		const char* expected; // relative to the prefix; NULL: not found
	} cases[] = {
		{"build tree", true, false, "bin/index.htm"},
		{"installed", false, true, "share/doc/glim/index.htm"},
		{"both", true, true, "bin/index.htm"},
		{"neither", false, false, NULL},
	};
	for (const auto& entry : cases) {
		SCOPED_TRACE(entry.name);
		glim_test::TempDir prefix("help");
		glim_test::MakeDirs(prefix / "bin");
		glim_test::WriteFile(prefix / "bin/glim", "program");
		glim_test::MakeDirs(prefix / "share/doc/glim");
		if (entry.beside)
			glim_test::WriteFile(prefix / "bin/index.htm", "<html/>");
		if (entry.installed)
			glim_test::WriteFile(prefix / "share/doc/glim/index.htm", "<html/>");

		entry_ref program;
		ASSERT_EQ(get_ref_for_path((prefix / "bin/glim").c_str(), &program), B_OK);
		entry_ref page;
		ASSERT_EQ(find_help_page(&program, &page),
			entry.expected ? B_OK : (status_t)B_ENTRY_NOT_FOUND);
		if (entry.expected != NULL) {
			EXPECT_EQ(std::string(BPath(&page).Path()), prefix / entry.expected);
		}
	}
}
