#ifndef _STOP_WATCH_H
#define _STOP_WATCH_H

#include <SupportDefs.h>

// Measures elapsed time. Unless silent, it prints its name and the elapsed
// microseconds on standard output when it is deleted.
class BStopWatch {
public:
	BStopWatch(const char* name, bool silent = false);
	virtual ~BStopWatch();

	void Suspend();
	void Resume();
	bigtime_t Lap();
	bigtime_t ElapsedTime() const;
	void Reset();
	const char* Name() const;

private:
	BStopWatch(const BStopWatch&) = delete;
	BStopWatch& operator=(const BStopWatch&) = delete;

	bigtime_t fStart;
	bigtime_t fSuspendTime;
	bigtime_t fLaps[10];
	int32 fLap;
	char* fName;
	bool fSilent;
};

#endif
