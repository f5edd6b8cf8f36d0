#ifndef _DIRECTORY_H
#define _DIRECTORY_H

#include <dirent.h>

#include <Node.h>
#include <StorageDefs.h>

class BFile;

// A folder, opened for listing and for making entries in it. Opening follows
// links; anything but a folder fails with B_NOT_A_DIRECTORY. The folder's
// path is kept resolved. GetNextEntry() gives every entry but "." and "..",
// in the folder's own order, then B_ENTRY_NOT_FOUND; CountEntries() counts
// the same entries without moving that iteration.
class BDirectory : public BNode {
public:
	BDirectory();
	BDirectory(const BDirectory& other);
	BDirectory(const entry_ref* ref);
	BDirectory(const node_ref* ref);
	BDirectory(const BEntry* entry);
	BDirectory(const char* path);
	BDirectory(const BDirectory* dir, const char* path);
	virtual ~BDirectory();

	BDirectory& operator=(const BDirectory& other);

	status_t SetTo(const entry_ref* ref);
	// Through the path the node_ref carries; fails when the folder there is
	// no longer that node.
	status_t SetTo(const node_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const char* path);
	status_t SetTo(const BDirectory* dir, const char* path);
	void Unset();

	status_t GetEntry(BEntry* entry) const;
	// True for the top folder of a volume.
	// An existing entry, by a path relative to this folder or absolute.
	// Whether an existing entry of one of the flavours lies in this folder's
	// tree.

	status_t GetNextEntry(BEntry* entry, bool traverse = false);
	status_t Rewind();
	int32 CountEntries() const;

	// Creates the file, or empties an existing one unless failIfExists, and
	// opens it read-write in file (which may be NULL).

private:
	status_t _Open(int folder, const char* path, const std::string& fullPath);
	status_t _NextName(std::string& _name);
	void _CloseStream();

	DIR* fStream;
};

// Creates a folder and every missing folder above it; B_OK when it exists.
status_t create_directory(const char* path, mode_t mode);

#endif
