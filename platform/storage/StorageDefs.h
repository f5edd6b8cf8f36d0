#ifndef _STORAGE_DEFS_H
#define _STORAGE_DEFS_H

#include <SupportDefs.h>

// Buffer sizes, terminating NUL included. They size the buffers callers
// pass in; the layer itself keeps paths in std::string and handles longer
// ones (up to what the kernel accepts).
#define B_FILE_NAME_LENGTH 256
#define B_PATH_NAME_LENGTH 1024
#define B_ATTR_NAME_LENGTH 256
#ifndef B_MIME_TYPE_LENGTH
#define B_MIME_TYPE_LENGTH 256
#endif

// Open modes of BFile. The access mode is one of the first three; the
// others are flags added to it.
enum {
	B_READ_ONLY = 0x0000,
	B_WRITE_ONLY = 0x0001,
	B_READ_WRITE = 0x0002,
	B_ACCESS_MODE_MASK = 0x0003,

	B_FAIL_IF_EXISTS = 0x0100, // create, failing when the file is there
	B_CREATE_FILE = 0x0200,
	B_ERASE_FILE = 0x0400, // truncate to zero length
	B_OPEN_AT_END = 0x0800 // every write appends
};

// Node flavours, for BDirectory::Contains and file panels.
enum node_flavor {
	B_FILE_NODE = 0x01,
	B_SYMLINK_NODE = 0x02,
	B_DIRECTORY_NODE = 0x04,
	B_ANY_NODE = 0x07
};

#endif
