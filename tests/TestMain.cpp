// Runs every test binary with a fresh home: HOME and the XDG folders point
// into a temporary folder, so no test reads or writes the user's own files.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "TestSupport.h"

int
main(int argc, char** argv)
{
	setenv("QT_QPA_PLATFORM", "offscreen", 0);
	static glim_test::TempDir home("home");
	setenv("HOME", home.Path().c_str(), 1);
	setenv("XDG_CONFIG_HOME", (home.Path() + "/.config").c_str(), 1);
	setenv("XDG_DATA_HOME", (home.Path() + "/.local/share").c_str(), 1);
	setenv("XDG_CACHE_HOME", (home.Path() + "/.cache").c_str(), 1);
	setenv("XDG_RUNTIME_DIR", home.Path().c_str(), 1);
	glim_test::MakeDirs(home.Path() + "/.config");
	glim_test::MakeDirs(home.Path() + "/.local/share");

	testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
