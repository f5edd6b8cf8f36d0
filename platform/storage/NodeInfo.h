#ifndef _NODE_INFO_H
#define _NODE_INFO_H

#include <SupportDefs.h>

class BNode;

// The MIME type of a node. GetType() reads the "mime_type" attribute (the
// freedesktop user.mime_type); without one it recognises the type from the
// content (shared-mime-info), then from the name, and answers
// "application/octet-stream" when nothing matches. Folders are
// "inode/directory" and links "inode/symlink". SetType() writes the
// attribute (without a terminating NUL, as other tools expect) or, with
// NULL, removes it. The node stays the caller's.
class BNodeInfo {
public:
	BNodeInfo();
	BNodeInfo(BNode* node);
	virtual ~BNodeInfo();

	status_t SetTo(BNode* node);
	status_t InitCheck() const;

	// type is a buffer of B_MIME_TYPE_LENGTH bytes.
	status_t GetType(char* type) const;
	status_t SetType(const char* type);

private:
	BNodeInfo(const BNodeInfo&) = delete;
	BNodeInfo& operator=(const BNodeInfo&) = delete;

	BNode* fNode;
	status_t fStatus;
};

#endif
