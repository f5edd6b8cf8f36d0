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

status_t
BVolumeRoster::GetBootVolume(BVolume* volume)
{
	if (volume == NULL)
		return B_BAD_VALUE;
	const char* home = getenv("HOME");
	if (home == NULL || home[0] != '/')
		home = "/";

	struct stat st;
	if (stat(home, &st) == 0 && volume->SetTo(st.st_dev) == B_OK)
		return B_OK;
	// The home folder may lie in a nested file system (a btrfs subvolume)
	// that is not mounted on its own: take the volume that contains it.
	std::string path;
	VolumeEntry entry;
	if (!real_path(home, path) || !find_volume_for_path(path, entry))
		return B_ENTRY_NOT_FOUND;
	return volume->SetTo(entry.device);
}
