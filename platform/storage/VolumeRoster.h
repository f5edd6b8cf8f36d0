#ifndef _VOLUME_ROSTER_H
#define _VOLUME_ROSTER_H

#include <vector>

#include <sys/types.h>

#include <SupportDefs.h>

class BVolume;

// Lists the volumes (see BVolume) in mount order, each device once. The
// list is read at the first GetNextVolume() and again after Rewind().
class BVolumeRoster {
public:
	BVolumeRoster();
	virtual ~BVolumeRoster();

	// B_BAD_VALUE after the last volume, as on the platform.
	status_t GetNextVolume(BVolume* volume);
	void Rewind();
	// The volume that holds the user's home folder.

private:
	std::vector<dev_t> fDevices;
	size_t fNext;
	bool fRead;
};

#endif
