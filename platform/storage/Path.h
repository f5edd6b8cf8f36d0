#ifndef _PATH_H
#define _PATH_H

#include <string>

#include <SupportDefs.h>

class BDirectory;
class BEntry;
struct entry_ref;

// An absolute path, as bytes. A path that is relative or holds ".", "..",
// "//" or a trailing "/" is normalised when set (its folder must then exist
// and links in the folder part are resolved); others are taken as they are
// unless normalisation is asked for. Paths of any length are kept.
class BPath {
public:
	BPath();
	BPath(const BPath& other);
	BPath(const entry_ref* ref);
	BPath(const BEntry* entry);
	BPath(const char* dir, const char* leaf = NULL, bool normalize = false);
	BPath(const BDirectory* dir, const char* leaf, bool normalize = false);
	virtual ~BPath();

	status_t InitCheck() const;

	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const char* path, const char* leaf = NULL, bool normalize = false);
	status_t SetTo(const BDirectory* dir, const char* leaf = NULL, bool normalize = false);
	void Unset();

	// Appends a relative path.
	status_t Append(const char* path, bool normalize = false);

	// NULL while the path is not valid.
	const char* Path() const;
	// The last component; "" for "/".
	const char* Leaf() const;
	status_t GetParent(BPath* path) const;

	bool operator==(const BPath& other) const;
	bool operator==(const char* path) const;
	bool operator!=(const BPath& other) const { return !(*this == other); }
	bool operator!=(const char* path) const { return !(*this == path); }
	BPath& operator=(const BPath& other);
	BPath& operator=(const char* path);

private:
	std::string fPath;
	status_t fStatus;
};

#endif
