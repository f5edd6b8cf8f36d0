#ifndef _NODE_MONITOR_H
#define _NODE_MONITOR_H

#include <Messenger.h>
#include <Node.h>

class BHandler;
class BLooper;

// Flags of watch_node.
enum {
	B_STOP_WATCHING = 0x0000,
	B_WATCH_NAME = 0x0001,
	B_WATCH_STAT = 0x0002,
	B_WATCH_ATTR = 0x0004,
	B_WATCH_DIRECTORY = 0x0008,
	B_WATCH_ALL = 0x000f
};

// The "opcode" of a B_NODE_MONITOR message.
enum {
	B_ENTRY_CREATED = 1,
	B_ENTRY_REMOVED = 2,
	B_ENTRY_MOVED = 3,
	B_STAT_CHANGED = 4,
	B_ATTR_CHANGED = 5
};

// Node monitoring on inotify, read by one background thread started with the
// first watch. Every notice is a B_NODE_MONITOR message with "opcode"
// (int32) and "device" (int32), sent to each target whose flags ask for it:
//
// B_WATCH_DIRECTORY, for entries of a watched folder ("name" is the leaf
// name, its bytes as they are; "directory" and "node" are int64 inodes):
//   created          B_ENTRY_CREATED "name", "directory", "node"
//   removed          B_ENTRY_REMOVED "name", "directory", "node" -1 (gone)
//   renamed inside the folder, or moved between two watched folders:
//                    B_ENTRY_MOVED "name" (new), "from name", "from directory",
//                    "to directory", "directory" (= to directory), "node";
//                    a target watching both folders gets it once
//   moved out to a folder not watched by this layer:
//                    B_ENTRY_REMOVED, as removed
//   moved in from a folder not watched by this layer:
//                    B_ENTRY_CREATED, as created
// A move is reported as one B_ENTRY_MOVED when the kernel's two halves of it
// arrive one after the other (as they do unless another change slips in
// between); otherwise as B_ENTRY_REMOVED then B_ENTRY_CREATED.
//
// B_WATCH_NAME, for the watched node itself:
//   deleted          B_ENTRY_REMOVED "name", "directory" (its last known
//                    name and folder), "node"
//   renamed          B_ENTRY_MOVED as above, for the node
//   moved to another folder: B_ENTRY_MOVED with "from name", "from
//                    directory", "node" and "to directory" -1, no "name"
//                    (inotify does not say where it went). Notices for the
//                    entries of a folder that moved away carry "node" -1.
// B_WATCH_STAT: B_STAT_CHANGED "node" when the node's attributes (owner,
// mode, times) change or a writer closes it. B_WATCH_ATTR: B_ATTR_CHANGED
// "node" when its extended attributes may have changed (inotify reports
// them together with the stat changes, so both are sent when both are
// asked for).
// When the kernel's event queue overflows, every folder watcher gets one
// B_STAT_CHANGED for its folder: something changed, read it again.
//
// Several targets may watch one node; watching again adds flags. Watches are
// counted: B_STOP_WATCHING ends one watch of that target on that node, and
// once the target's last one has ended, no further notice is sent for it. Targets that are gone
// are dropped. The node_ref must carry its path (the storage kit's GetNodeRef sets it): the
// path must still name that node. Thread-safe.
status_t watch_node(const node_ref* node, uint32 flags, BMessenger target);
status_t watch_node(const node_ref* node, uint32 flags, const BHandler* handler,
	const BLooper* looper = NULL);
// Ends every watch of the target.
status_t stop_watching(BMessenger target);
status_t stop_watching(const BHandler* handler, const BLooper* looper = NULL);

#endif
