#include <VolumeRoster.h>

#include <cstdlib>

#include <sys/stat.h>

#include <Volume.h>

#include "StoragePrivate.h"

using namespace BPrivate;

BVolumeRoster::BVolumeRoster() :
	fNext(0),
	fRead(false)
{
}

BVolumeRoster::~BVolumeRoster() = default;

status_t
BVolumeRoster::GetNextVolume(BVolume* volume)
{
	if (volume == NULL)
		return B_BAD_VALUE;
	if (!fRead) {
		for (const VolumeEntry& entry : read_volumes())
			fDevices.push_back(entry.device);
		fRead = true;
	}
	// A volume unmounted since the list was read is passed over.
	while (fNext < fDevices.size()) {
		if (volume->SetTo(fDevices[fNext++]) == B_OK)
			return B_OK;
	}
	volume->Unset();
	return B_BAD_VALUE;
}

void
BVolumeRoster::Rewind()
{
	fDevices.clear();
	fNext = 0;
	fRead = false;
}
