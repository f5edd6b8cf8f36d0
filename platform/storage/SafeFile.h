#ifndef _SAFE_FILE_H
#define _SAFE_FILE_H

#include <sys/types.h>

#include <File.h>

// The one way a user's file is written. A BSafeFile is the new content of
// the file at a path: it writes into a hidden temporary file in the same
// folder (created exclusively, never through a link, its name within 255
// bytes however long the target's), and Commit() syncs it, gives it the
// replaced file's mode (and owner where permitted), renames it over the
// target and syncs the folder. Until Commit() succeeds the target is as it
// was; a BSafeFile destroyed without Commit() removes its temporary file.
// A link at the target's name is replaced, never followed. Not for sharing
// between threads.
class BSafeFile : public BFile {
public:
	BSafeFile();
	explicit BSafeFile(const char* path);
	virtual ~BSafeFile();

	status_t SetTo(const char* path);
	// Puts the written content in place of the target. Without replace an
	// existing target fails with B_FILE_EXISTS and stays.
	status_t Commit(bool replace = true);
	// Drops the temporary file; the target stays as it was.
	void Abandon();


	// Writes size bytes as the whole new content of the file at path.
	static status_t WriteFile(const char* path, const void* data, size_t size);

private:
	BSafeFile(const BSafeFile&) = delete;
	BSafeFile& operator=(const BSafeFile&) = delete;

	status_t _KeepOwnerAndMode();

	std::string fTarget;
	std::string fTemporary;
	bool fKeepCopiedMode;

	friend status_t copy_file(const char* from, const char* to, bool replace);
};

// True for the leaf name of a BSafeFile's temporary file. Such files are
// never listed as images; one left behind by a crash is stale.
bool is_safe_file_temporary(const char* name);

// Removes the stale temporary files (older than a minute, regular, ours) in
// the folder at path. Returns how many it removed.
int remove_stale_temporaries(const char* folderPath);

// Copies the regular file at from (not followed when a link) to to: every
// byte to its end, its mode, times and user attributes, synced and renamed
// into place. Without replace an existing target fails with B_FILE_EXISTS.
// The source is only read. B_BUSY when the source changed while it was
// copied (the copy stays, made of what was read).
status_t copy_file(const char* from, const char* to, bool replace);

#endif
