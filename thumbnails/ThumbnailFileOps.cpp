// Dragging a thumbnail out of the grid, and the copy, move and removal that
// the drop target's reply asks for.

#include "thumbnails/ThumbnailContainerView.h"

#include <cstring>
#include <strings.h>
#include <vector>

#include <sys/stat.h>

#include <Bitmap.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>
#include <TypeConstants.h>

#include "thumbnails/Trash.h"
#include "mainwindow/ViewerWin.h"

namespace {

const size_t kCopyChunk = 1024;

bool
same_node(const char* a, const char* b)
{
	struct stat first, second;
	return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev
		&& first.st_ino == second.st_ino;
}

// Copies every byte of source into target; false at the first short read or
// write.
bool
copy_data(BFile& source, BFile& target)
{
	off_t remaining = 0;
	if (source.GetSize(&remaining) != B_OK)
		return false;
	char buffer[kCopyChunk];
	while (remaining > 0) {
		size_t chunk = remaining > (off_t)kCopyChunk ? kCopyChunk : (size_t)remaining;
		if (source.Read(buffer, chunk) != (ssize_t)chunk
			|| target.Write(buffer, chunk) != (ssize_t)chunk)
			return false;
		remaining -= chunk;
	}
	return true;
}

} // namespace

void
BThumbnailContainerView::DragObject(int32 index)
{
	char* path = NULL;
	if (fWindow == NULL || !fWindow->GetNextFile(index, &path))
		return;
	const char* slash = strrchr(path, '/');
	std::string leaf(slash != NULL ? slash + 1 : path);

	BNode node(path);
	BNodeInfo nodeInfo(&node);
	if (node.InitCheck() != B_OK || nodeInfo.InitCheck() != B_OK)
		return;
	char type[B_MIME_TYPE_LENGTH] = "";
	if (nodeInfo.GetType(type) != B_OK)
		type[0] = '\0';

	BBitmap* bitmap = NULL;
	bool fromCache = false;
	if (!GetBitmap(path, &bitmap, fromCache))
		return;

	BMessage message(B_SIMPLE_DATA);
	message.AddString("be:types", B_FILE_MIME_TYPE);
	message.AddString("be:filetypes", type);
	message.AddInt32("be:actions", B_MOVE_TARGET);
	message.AddInt32("be:actions", B_TRASH_TARGET);
	message.AddString("be:clip_name", leaf.c_str());
	// Offered to other programs as the file itself.
	message.AddString("glim:path", path);

	if (index != fSelected) {
		InvalidateItem(fSelected);
		InvalidateItem(index);
	}
	fSelected = index;
	fDraggedPath = path;
	DragMessage(&message, bitmap, B_OP_BLEND, BPoint(fThumbWidth * 0.5f, fThumbHeight * 0.5f),
		NULL);
}

// The file a drop target's reply acts on: the one that was dragged, whatever
// is selected by now; the selected one when nothing was dragged.
bool
BThumbnailContainerView::_ReplySource(std::string& path)
{
	path = fDraggedPath;
	char* selected = NULL;
	if (path.empty()) {
		if (fWindow == NULL || !fWindow->GetNextFile(fSelected, &selected))
			return false;
		path = selected;
	}
	return true;
}

void
BThumbnailContainerView::CopyFile(BMessage* reply)
{
	std::string sourcePath;
	if (!_ReplySource(sourcePath))
		return;

	const char* types = NULL;
	const char* fileType = NULL;
	const char* name = NULL;
	entry_ref folderRef;
	if (reply->FindString("be:types", &types) != B_OK
		|| strcasecmp(types, B_FILE_MIME_TYPE) != 0)
		return;
	if (reply->FindString("be:filetypes", &fileType) != B_OK
		|| reply->FindString("name", &name) != B_OK
		|| reply->FindRef("directory", &folderRef) != B_OK)
		return;
	if (name[0] == '\0' || strchr(name, '/') != NULL)
		return;

	BDirectory folder(&folderRef);
	BPath folderPath(&folderRef);
	if (folder.InitCheck() != B_OK || folderPath.InitCheck() != B_OK)
		return;
	std::string targetPath = std::string(folderPath.Path()) + "/" + name;
	// A drop back onto the file itself leaves it as it is.
	if (targetPath == sourcePath || same_node(targetPath.c_str(), sourcePath.c_str()))
		return;

	BFile source(sourcePath.c_str(), B_READ_WRITE);
	if (source.InitCheck() != B_OK)
		return;

	// One of the system's two temporary-file-and-rename writers (the other
	// saves converted images): both are to become the one safe-write path.
	// The copy is made under a temporary name and put in place only when it
	// is complete, so a failure never leaves a partial file or destroys an
	// existing one of that name, and never touches the source.
	std::string temporary = targetPath + ".glim-copy";
	for (int i = 0; same_node(temporary.c_str(), sourcePath.c_str()) || BEntry(temporary.c_str()).Exists(); i++)
		temporary = targetPath + ".glim-copy" + std::to_string(i);
	BFile target(temporary.c_str(), B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS);
	if (target.InitCheck() != B_OK)
		return;
	bool copied = copy_data(source, target);
	if (copied) {
		BNodeInfo info(&target);
		info.SetType(fileType);
		copied = target.Sync() == B_OK;
	}
	target.Unset();
	BEntry temporaryEntry(temporary.c_str());
	if (!copied || temporaryEntry.Rename(targetPath.c_str(), true) != B_OK) {
		temporaryEntry.Remove();
		return;
	}

	if (reply->what == B_MOVE_TARGET) {
		BEntry sourceEntry(sourcePath.c_str(), false);
		if (sourceEntry.InitCheck() == B_OK)
			sourceEntry.Remove();
	}
}

void
BThumbnailContainerView::RemoveFile(BMessage*)
{
	std::string path;
	if (_ReplySource(path))
		glim::move_to_trash(path.c_str());
}
