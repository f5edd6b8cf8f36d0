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
#include <SafeFile.h>
#include <TypeConstants.h>

#include "app/ErrorAlert.h"
#include "mainwindow/ViewerWin.h"
#include "thumbnails/Trash.h"

namespace {

bool
same_node(const char* a, const char* b)
{
	struct stat first, second;
	return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev
		&& first.st_ino == second.st_ino;
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

	// A move on one volume is a rename: the file keeps its inode, mode,
	// times and attributes. Across volumes, and for a copy, the storage kit
	// copies everything to a hidden file that is put in place only when
	// complete; the source is only read, and a moved one goes only after
	// that, unless it changed meanwhile.
	status_t status;
	if (reply->what == B_MOVE_TARGET) {
		BEntry sourceEntry(sourcePath.c_str(), false);
		status = sourceEntry.InitCheck();
		if (status == B_OK)
			status = sourceEntry.MoveTo(&folder, name, true);
	} else
		status = copy_file(sourcePath.c_str(), targetPath.c_str(), true);

	if (status == B_BUSY) {
		std::string text = "\"" + sourcePath.substr(sourcePath.rfind('/') + 1)
			+ "\" changed while it was being copied, so it was kept where it was; "
			  "the copy holds what it contained before.";
		show_error(text.c_str());
	}
	if ((status == B_OK || status == B_BUSY) && fileType[0] != '\0') {
		BNode target(targetPath.c_str());
		BNodeInfo info(&target);
		char type[B_MIME_TYPE_LENGTH] = "";
		if (info.InitCheck() == B_OK
			&& (info.GetType(type) != B_OK || strcmp(type, fileType) != 0))
			info.SetType(fileType);
	}
}

void
BThumbnailContainerView::RemoveFile(BMessage*)
{
	std::string path;
	if (_ReplySource(path))
		glim::move_to_trash_or_alert(path.c_str());
}
