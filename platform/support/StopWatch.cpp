#include <StopWatch.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <OS.h>

BStopWatch::BStopWatch(const char* name, bool silent) :
	fStart(system_time()),
	fName(strdup(name != NULL ? name : "")),
	fSilent(silent)
{
}

BStopWatch::~BStopWatch()
{
	if (!fSilent) {
		printf("StopWatch \"%s\": %lld usecs.\n", fName, (long long)ElapsedTime());
		fflush(stdout);
	}
	free(fName);
}

bigtime_t
BStopWatch::ElapsedTime() const
{
	return system_time() - fStart;
}
