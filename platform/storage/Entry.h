#ifndef _ENTRY_H
#define _ENTRY_H

#include <string>

#include <sys/stat.h>
#include <sys/types.h>

#include <SupportDefs.h>

class BDirectory;
class BPath;
struct node_ref;

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

bool operator<(const entry_ref& a, const entry_ref& b);

// A named entry in a folder: a file, folder or link, or a name that does
// not exist yet. An entry is valid (InitCheck() B_OK) when its folder
// exists; Exists() says whether the entry itself does. The folder part is
// kept resolved (links followed); the leaf is followed only with traverse.
// Moving or renaming an entry makes it refer to the new place.
//
// MoveTo() into a freedesktop trash "files" folder (see find_directory's
// B_TRASH_DIRECTORY) also writes the entry's .trashinfo so the desktop can
// show and restore it. Across devices, files and links are copied and the
// source removed only after the copy is complete and in place (a failed
// copy is removed and the source kept); folders fail with
// B_CROSS_DEVICE_LINK.
class BEntry {
public:
	BEntry();
	BEntry(const char* path, bool traverse = false);
	BEntry(const entry_ref* ref, bool traverse = false);
	BEntry(const BDirectory* directory, const char* path, bool traverse = false);
	BEntry(const BEntry& other);
	virtual ~BEntry();

	BEntry& operator=(const BEntry& other);
	bool operator==(const BEntry& other) const;
	bool operator!=(const BEntry& other) const { return !(*this == other); }

	status_t SetTo(const char* path, bool traverse = false);
	status_t SetTo(const entry_ref* ref, bool traverse = false);
	status_t SetTo(const BDirectory* directory, const char* path, bool traverse = false);
	void Unset();
	status_t InitCheck() const;

	bool Exists() const;
	status_t GetStat(struct stat* st) const;
	bool IsSymLink() const;

	status_t GetRef(entry_ref* ref) const;
	status_t GetPath(BPath* path) const;
	status_t GetParent(BEntry* entry) const;
	status_t GetParent(BDirectory* directory) const;
	// name is a buffer of B_FILE_NAME_LENGTH bytes.
	status_t GetName(char* name) const;
	status_t GetNodeRef(node_ref* ref) const;

	// path is a new name relative to the entry's folder, or absolute.
	status_t Rename(const char* path, bool clobber = false);
	// path (default: the entry's own name) is relative to directory.
	status_t MoveTo(BDirectory* directory, const char* path = NULL, bool clobber = false);
	status_t Remove();

	// Private to the layer: the full path, and a fast set-up from a folder
	// path already resolved and a leaf name.
	std::string _Path() const;
	void _SetTo(const std::string& folder, const std::string& leaf);

private:
	status_t _MoveTo(const std::string& folder, const std::string& leaf, bool clobber);

	std::string fFolder;
	std::string fName;
	status_t fStatus;
};

// Makes a ref for an existing entry or for a missing leaf in an existing
// folder.
status_t get_ref_for_path(const char* path, entry_ref* ref);

#endif
