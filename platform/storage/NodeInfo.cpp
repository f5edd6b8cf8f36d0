#include <NodeInfo.h>

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QMimeDatabase>

#include <Node.h>
#include <StorageDefs.h>
#include <TypeConstants.h>

#include "StoragePrivate.h"

using namespace BPrivate;

static const char kTypeAttribute[] = "mime_type";
// Enough for every magic rule of shared-mime-info.
static const size_t kSniffSize = 16384;

static const char*
special_type(mode_t mode)
{
	if (S_ISDIR(mode))
		return "inode/directory";
	if (S_ISLNK(mode))
		return "inode/symlink";
	if (S_ISCHR(mode))
		return "inode/chardevice";
	if (S_ISBLK(mode))
		return "inode/blockdevice";
	if (S_ISFIFO(mode))
		return "inode/fifo";
	if (S_ISSOCK(mode))
		return "inode/socket";
	return NULL;
}

// The first bytes of the file, read through a descriptor of its own so the
// node's position (a BFile's) does not move.
static QByteArray
first_bytes(const BNode* node)
{
	FileDescriptor fd(open(proc_fd_path(node->_Descriptor()).c_str(), O_RDONLY | O_CLOEXEC));
	QByteArray data(kSniffSize, '\0');
	ssize_t length = fd.IsValid() ? pread(fd.Get(), data.data(), data.size(), 0) : 0;
	data.truncate(length > 0 ? length : 0);
	return data;
}

// Content first; the name decides when the content says nothing more
// specific than the name does (no match, an empty file, or a type the
// name's type refines, such as text/plain for a .svg).
static std::string
recognise_type(const BNode* node)
{
	struct stat st;
	if (node->GetStat(&st) != B_OK)
		return B_FILE_MIME_TYPE;
	if (const char* type = special_type(st.st_mode))
		return type;

	QMimeDatabase database;
	QMimeType byContent = database.mimeTypeForData(first_bytes(node));
	std::string leaf = leaf_of(node->_Path());
	// Only matched against the name patterns; the path itself stays bytes.
	QString name = QFile::decodeName(QByteArray(leaf.data(), leaf.size()));
	QMimeType byName = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);

	bool contentSaysLittle = !byContent.isValid() || byContent.isDefault()
		|| byContent.name() == "application/x-zerosize" || byName.inherits(byContent.name());
	QMimeType chosen = byContent;
	if (byName.isValid() && !byName.isDefault() && contentSaysLittle)
		chosen = byName;
	if (!chosen.isValid())
		return B_FILE_MIME_TYPE;
	return chosen.name().toStdString();
}

BNodeInfo::BNodeInfo() :
	fNode(NULL),
	fStatus(B_NO_INIT)
{
}

BNodeInfo::BNodeInfo(BNode* node) :
	BNodeInfo()
{
	SetTo(node);
}

BNodeInfo::~BNodeInfo() = default;

status_t
BNodeInfo::SetTo(BNode* node)
{
	fNode = node;
	if (node == NULL)
		return fStatus = B_BAD_VALUE;
	return fStatus = node->InitCheck();
}

status_t
BNodeInfo::InitCheck() const
{
	return fStatus;
}

status_t
BNodeInfo::GetType(char* type) const
{
	if (type == NULL)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;

	char stored[B_MIME_TYPE_LENGTH];
	ssize_t length = fNode->ReadAttr(kTypeAttribute, B_MIME_STRING_TYPE, 0, stored,
		sizeof(stored) - 1);
	if (length > 0) {
		stored[length] = '\0';
		if (stored[0] != '\0') {
			strcpy(type, stored);
			return B_OK;
		}
	}

	std::string recognised = recognise_type(fNode);
	size_t size = std::min(recognised.size(), (size_t)B_MIME_TYPE_LENGTH - 1);
	memcpy(type, recognised.data(), size);
	type[size] = '\0';
	return B_OK;
}

status_t
BNodeInfo::SetType(const char* type)
{
	if (fStatus != B_OK)
		return fStatus;
	if (type == NULL) {
		status_t status = fNode->RemoveAttr(kTypeAttribute);
		return status == B_NO_SUCH_ATTRIBUTE ? B_OK : status;
	}
	size_t length = strlen(type);
	if (length == 0 || length >= B_MIME_TYPE_LENGTH)
		return B_BAD_VALUE;
	ssize_t written = fNode->WriteAttr(kTypeAttribute, B_MIME_STRING_TYPE, 0, type, length);
	return written < 0 ? (status_t)written : B_OK;
}
