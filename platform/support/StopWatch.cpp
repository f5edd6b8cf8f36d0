#include <StopWatch.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <OS.h>

BStopWatch::BStopWatch(const char* name, bool silent) :
	fSuspendTime(0),
	fLap(0),
	fName(strdup(name != NULL ? name : "")),
	fSilent(silent)
{
	Reset();
}

BStopWatch::~BStopWatch()
{
	if (!fSilent) {
		printf("StopWatch \"%s\": %lld usecs.\n", fName, (long long)ElapsedTime());
		fflush(stdout);
	}
	free(fName);
}

void
BStopWatch::Suspend()
{
	if (fSuspendTime == 0)
		fSuspendTime = system_time();
}

void
BStopWatch::Resume()
{
	if (fSuspendTime != 0) {
		fStart += system_time() - fSuspendTime;
		fSuspendTime = 0;
	}
}

bigtime_t
BStopWatch::Lap()
{
	if (fSuspendTime != 0)
		return 0;
	bigtime_t now = system_time();
	if (fLap < 9)
		fLaps[++fLap] = now;
	return now - fStart;
}

bigtime_t
BStopWatch::ElapsedTime() const
{
	if (fSuspendTime != 0)
		return fSuspendTime - fStart;
	return system_time() - fStart;
}

void
BStopWatch::Reset()
{
	fStart = system_time();
	fSuspendTime = 0;
	fLap = 0;
	memset(fLaps, 0, sizeof(fLaps));
	fLaps[0] = fStart;
}

const char*
BStopWatch::Name() const
{
	return fName;
}
