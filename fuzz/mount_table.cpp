// The mount table (/proc/self/mountinfo) names mount points and sources
// that other users choose (a USB stick's label, a FUSE mount): the reader
// must take any bytes and keep only well-formed lines.
#include <cstdlib>
#include <sstream>
#include <string>

#include "StoragePrivate.h"

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
	std::vector<BPrivate::MountEntry> mounts = BPrivate::parse_mount_table(input);
	for (size_t i = 0; i < mounts.size(); i++) {
		for (size_t j = i + 1; j < mounts.size(); j++) {
			if (mounts[i].mountPoint == mounts[j].mountPoint)
				abort();
		}
	}
	return 0;
}
