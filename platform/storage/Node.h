#ifndef _NODE_H
#define _NODE_H

#include <string>

#include <sys/types.h>

#include <SupportDefs.h>

// Identifies a node (file, folder, link) by device and inode. On Linux a node
// cannot be opened from its inode alone, so a node_ref made by the storage
// kit also carries a path to the node, as bytes, for the layer's own use
// (node monitoring); it takes no part in comparisons.
struct node_ref {
	node_ref() : device((dev_t)-1), node((ino_t)-1) {}
	node_ref(dev_t device, ino_t node) : device(device), node(node) {}

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

// BNode follows.

#endif
