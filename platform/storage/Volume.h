#ifndef _VOLUME_H
#define _VOLUME_H

#include <string>

#include <sys/types.h>

#include <SupportDefs.h>

class BDirectory;

// A mounted file system that holds files. Volumes are read from
// /proc/self/mountinfo: pseudo file systems (proc, sysfs, cgroup, devpts,
// autofs, ...) and anything mounted under /proc, /sys or /dev are not
// volumes, nor are memory file systems under /run (the session's runtime
// files); other tmpfs and ramfs mounts are. A volume's device is the st_dev
// of its mount point; its root folder is the mount point.
class BVolume {
public:
	BVolume();
	BVolume(dev_t device);
	BVolume(const BVolume& other);
	virtual ~BVolume();

	BVolume& operator=(const BVolume& other);
	bool operator==(const BVolume& other) const;
	bool operator!=(const BVolume& other) const { return !(*this == other); }

	status_t SetTo(dev_t device);
	void Unset();
	status_t InitCheck() const;

	dev_t Device() const;
	status_t GetRootDirectory(BDirectory* directory) const;
	// A name to show, into a buffer of B_FILE_NAME_LENGTH bytes: the file
	// system's label when the system knows it, else the mount point's
	// leaf name, or "System" for the root; never empty.
	status_t GetName(char* name) const;

	off_t Capacity() const;
	// Bytes an unprivileged user may still write.

	// Mounted read-only (the mount's or the file system's option).
	bool IsReadOnly() const;
	// The volume accepts "user." extended attributes. Probed without
	// writing: reading a missing attribute answers "no such attribute" where
	// they are supported and "not supported" elsewhere.
	bool KnowsAttr() const;

private:
	std::string _Label() const;

	dev_t fDevice;
	status_t fStatus;
	std::string fMountPoint;
	std::string fFileSystem;
	std::string fSource;
	bool fReadOnly;
};

#endif
