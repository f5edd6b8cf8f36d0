#ifndef _STOP_WATCH_H
#define _STOP_WATCH_H

#include <SupportDefs.h>

// Measures elapsed time. Unless silent, it prints its name and the elapsed
// microseconds on standard output when it is deleted.
class BStopWatch {
public:
	BStopWatch(const char* name, bool silent = false);
	virtual ~BStopWatch();

	bigtime_t ElapsedTime() const;

private:
	BStopWatch(const BStopWatch&) = delete;
	BStopWatch& operator=(const BStopWatch&) = delete;

	bigtime_t fStart;
	char* fName;
	bool fSilent;
};

#endif
