#ifndef _NODE_H
#define _NODE_H

#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

#include <SupportDefs.h>

class BDirectory;
class BEntry;
struct attr_info;
struct entry_ref;

// Identifies a node (file, folder, link) by device and inode. On Linux a node
// cannot be opened from its inode alone, so a node_ref made by the storage
// kit also carries a path to the node, as bytes, for the layer's own use
// (node monitoring); it takes no part in comparisons.
struct node_ref {
	node_ref() :
		device((dev_t)-1),
		node((ino_t)-1)
	{
	}
	node_ref(dev_t device, ino_t node) :
		device(device),
		node(node)
	{
	}

	bool operator==(const node_ref& other) const
	{
		return device == other.device && node == other.node;
	}
	bool operator!=(const node_ref& other) const { return !(*this == other); }
	bool operator<(const node_ref& other) const
	{
		return device < other.device || (device == other.device && node < other.node);
	}

	dev_t device;
	ino_t node;

	// Private to the layer.
	const std::string& _Path() const { return fPath; }
	void _SetPath(const std::string& path) { fPath = path; }

private:
	std::string fPath;
};

// A file, folder or link, opened for its attributes and status. A BNode set
// to a link refers to the link itself (it does not follow it). It holds a
// descriptor of its own; copies duplicate it.
//
// Attributes are Linux extended attributes in the "user." namespace: the
// attribute "GLIM:Thumbnail" is "user.GLIM:Thumbnail" and holds exactly the
// bytes written, so other tools read them as they are. The type code lives
// in a companion attribute "user.type:<name>", four bytes, most significant
// first (a type such as 'RAWT' reads as the text "RAWT"). An attribute
// without a companion (written by another tool) has type B_RAW_TYPE, except
// "mime_type", which has B_MIME_STRING_TYPE. Names that begin with "type:"
// are kept for the companions: they are not listed and cannot be written,
// and names longer than 245 bytes leave no room for a companion and fail
// with B_NAME_TOO_LONG.
//
// A write the file system refuses (ext4 keeps about 4 KB of attributes per
// file; some file systems keep none) fails whole with its error and changes
// nothing: should the type not fit after the value was stored, the previous
// value is put back. WriteAttr at offset 0 replaces the whole value; at a
// larger offset it changes that part and keeps the rest. ReadAttr ignores
// the type it is given.
class BNode {
public:
	BNode();
	BNode(const entry_ref* ref);
	BNode(const BEntry* entry);
	BNode(const char* path);
	BNode(const BDirectory* dir, const char* path);
	BNode(const BNode& other);
	virtual ~BNode();

	BNode& operator=(const BNode& other);
	// Same node (device and inode).
	bool operator==(const BNode& other) const;
	bool operator!=(const BNode& other) const { return !(*this == other); }

	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const char* path);
	status_t SetTo(const BDirectory* dir, const char* path);
	void Unset();
	status_t InitCheck() const;

	status_t GetStat(struct stat* st) const;
	// Writes the node's data and attributes to the disk.
	status_t Sync();
	status_t GetNodeRef(node_ref* ref) const;

	ssize_t WriteAttr(const char* name, type_code type, off_t offset, const void* buffer,
		size_t length);
	ssize_t ReadAttr(const char* name, type_code type, off_t offset, void* buffer,
		size_t length) const;
	status_t RemoveAttr(const char* name);
	status_t GetAttrInfo(const char* name, attr_info* info) const;
	// Names of the node's attributes, one per call, into a buffer of
	// B_ATTR_NAME_LENGTH bytes; B_ENTRY_NOT_FOUND after the last.

	// Private to the layer: the node's path as it was set, and its
	// descriptor.
	const std::string& _Path() const { return fPath; }
	int _Descriptor() const { return fFD; }

protected:
	// Takes over fd as the node's descriptor. pathOnly marks an O_PATH
	// descriptor, whose attributes are reached through /proc/self/fd.
	status_t _SetDescriptor(int fd, bool pathOnly, const std::string& path);
	status_t _SetStatus(status_t status);

private:
	status_t _OpenNode(int folder, const char* path, const std::string& fullPath);

	int fFD;
	bool fPathOnly;
	status_t fStatus;
	std::string fPath;
};

#endif
