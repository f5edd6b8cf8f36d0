// Desktop files and mimeapps.list are written by any package or by the
// user's other programs: "Open With" must read them, and expand an Exec
// line into command lines, whatever they hold. The bytes are served from a
// memory file, as the desktop file and as the user's mimeapps.list.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "DesktopFiles.h"
#include "LaunchPrivate.h"

static int sFile = -1;
static std::string sPath;

extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
	char folder[] = "/tmp/glim-fuzz-XXXXXX";
	sFile = memfd_create("desktop-file", 0);
	if (sFile < 0 || mkdtemp(folder) == NULL)
		abort();
	sPath = "/proc/self/fd/" + std::to_string(sFile);
	std::string base = folder;
	setenv("XDG_CONFIG_HOME", base.c_str(), 1);
	setenv("XDG_CONFIG_DIRS", (base + "/none").c_str(), 1);
	setenv("XDG_DATA_HOME", (base + "/none").c_str(), 1);
	setenv("XDG_DATA_DIRS", (base + "/none").c_str(), 1);
	setenv("XDG_CURRENT_DESKTOP", "", 1);
	if (symlink(sPath.c_str(), (base + "/mimeapps.list").c_str()) != 0)
		abort();
	return 0;
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (ftruncate(sFile, 0) != 0 || pwrite(sFile, data, size, 0) != (ssize_t)size)
		abort();

	BPrivate::default_application_ids("image/png");

	BPrivate::DesktopApplication application;
	bool hidden;
	if (!BPrivate::read_desktop_file(sPath, "fuzz.desktop", application, hidden))
		return 0;
	std::vector<std::vector<std::string>> commands;
	if (BPrivate::expand_exec(application, {"/tmp/one image.png", "/tmp/two'\"$.jpg"}, commands)
		== B_OK) {
		for (const std::vector<std::string>& argv : commands) {
			if (argv.empty() || argv[0].empty())
				abort();
		}
	}
	return 0;
}
