#ifndef _ENTRY_H
#define _ENTRY_H

#include <sys/types.h>

#include <SupportDefs.h>

class BDirectory;
class BPath;

// A reference to a directory entry: the device and inode of the folder that
// holds it and its leaf name. On Linux a folder cannot be opened from its
// inode alone, so the reference also carries the folder's path, as bytes.
// Two references are equal when device, folder and name are equal.
struct entry_ref {
	entry_ref();
	entry_ref(dev_t device, ino_t directory, const char* name);
	entry_ref(const entry_ref& other);
	~entry_ref();

	status_t set_name(const char* name);
	entry_ref& operator=(const entry_ref& other);
	bool operator==(const entry_ref& other) const;
	bool operator!=(const entry_ref& other) const;

	dev_t device;
	ino_t directory;
	char* name;

	// Private to the layer: the full path of the folder that holds the entry.
	status_t _SetDirectoryPath(const char* path);
	const char* _DirectoryPath() const { return fDirectoryPath; }

private:
	char* fDirectoryPath;
};

// BEntry follows.

#endif
