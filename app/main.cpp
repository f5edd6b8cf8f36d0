#include <cstdio>

#include <OS.h>

#include "app/Commands.h"
#include "app/ViewerApp.h"

int
main()
{
	printf("%ld", (long)real_time_clock());
	fflush(stdout);

	BViewerApp* app = new BViewerApp(kViewerSignature);
	app->Run();
	delete app;
	return 0;
}
