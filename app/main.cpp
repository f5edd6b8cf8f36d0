#include <cstdio>
#include <cstring>

#include <OS.h>

#include "app/Commands.h"
#include "app/ViewerApp.h"

namespace {

const char kUsage[] =
	"Usage: glim [FILE-OR-FOLDER]\n"
	"       glim --help | --version\n"
	"\n"
	"Shows images and browses folders of images. A folder opens in a window of\n"
	"its thumbnails; a file opens in a window showing that image, in the folder\n"
	"that holds it; without an argument the folder of the last run opens. A typed\n"
	"argument is first shown in two alerts.\n"
	"\n"
	"Only one Glim runs for each user: a second start hands its argument to the\n"
	"running one, which opens another window for it, and exits.\n"
	"\n"
	"Options:\n"
	"  -h, --help     print this help and exit\n"
	"      --version  print the version and exit\n"
	"  --             end the options (for a name that begins with \"-\")\n"
	"\n"
	"Settings live in $XDG_CONFIG_HOME/Glim (by default ~/.config/Glim), each\n"
	"setting an extended attribute of that file.\n";


int
print(const char* text)
{
	fputs(text, stdout);
	if (fflush(stdout) != 0 || ferror(stdout)) {
		fprintf(stderr, "glim: cannot write to standard output\n");
		return 1;
	}
	return 0;
}


// Answers the options a terminal user expects before the application, and
// with it the display, is started: the exit status, or -1 to go on. Whatever
// follows "--" or the desktop launcher's "--refs" is a name, never an option.
int
answer_options(int argc, char** argv)
{
	for (int i = 1; i < argc; i++) {
		const char* argument = argv[i];
		if (strcmp(argument, "--") == 0 || strcmp(argument, "--refs") == 0)
			return -1;
		if (strcmp(argument, "--help") == 0 || strcmp(argument, "-h") == 0)
			return print(kUsage);
		if (strcmp(argument, "--version") == 0)
			return print("Glim " GLIM_VERSION "\n");
		if (argument[0] == '-' && argument[1] != '\0') {
			fprintf(stderr, "glim: unknown option \"%s\"\nTry \"glim --help\".\n", argument);
			return 2;
		}
	}
	return -1;
}

} // namespace


int
main(int argc, char** argv)
{
	const int status = answer_options(argc, argv);
	if (status >= 0)
		return status;

	printf("%ld", (long)real_time_clock());
	fflush(stdout);

	BViewerApp* app = new BViewerApp(kViewerSignature);
	app->Run();
	delete app;
	return 0;
}
