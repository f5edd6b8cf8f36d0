#include "foldertree/DirectoryView.h"

#include <strings.h>
#include <vector>

#include <Entry.h>
#include <Message.h>
#include <TypeConstants.h>

#include "foldertree/FileListItem.h"

BDirectoryView::BDirectoryView(BWindow* window, BRect frame, const char* name,
	list_view_type type, uint32 resizingMode, uint32 flags) :
	BOutlineListView(frame, name, type, resizingMode, flags),
	fWindow(window)
{
}

BDirectoryView::~BDirectoryView()
{
	// A list view does not own its items; the tree's are its own.
	int32 count = FullListCountItems();
	std::vector<BListItem*> items;
	for (int32 i = 0; i < count; i++)
		items.push_back(FullListItemAt(i));
	MakeEmpty();
	for (BListItem* item : items)
		delete item;
}

void
BDirectoryView::MessageReceived(BMessage* message)
{
	if (message->what == B_SIMPLE_DATA) {
		ProcessSimpleData(message);
		return;
	}
	BOutlineListView::MessageReceived(message);
}

bool
BDirectoryView::ProcessSimpleData(BMessage* message)
{
	if (!message->WasDropped())
		return true;
	BPoint point = ConvertFromScreen(message->DropPoint());
	BFileListItem* item = dynamic_cast<BFileListItem*>(ItemAt(IndexOf(point)));
	if (item == NULL)
		return true;

	const char* types = NULL;
	const char* fileType = NULL;
	int32 action = 0;
	if (message->FindString("be:types", &types) != B_OK
		|| strcasecmp(types, B_FILE_MIME_TYPE) != 0
		|| message->FindString("be:filetypes", &fileType) != B_OK
		|| message->FindInt32("be:actions", 0, &action) != B_OK)
		return true;
	// The sources of this program always name the file; without a name the
	// reply carries an empty one, which the source ignores.
	const char* name = "";
	message->FindString("be:clip_name", &name);

	entry_ref folder;
	BEntry entry(item->Path(), false);
	if (entry.GetRef(&folder) != B_OK)
		return true;

	BMessage reply(action);
	reply.AddString("be:types", B_FILE_MIME_TYPE);
	reply.AddString("be:filetypes", fileType);
	reply.AddString("name", name);
	reply.AddRef("directory", &folder);
	message->SendReply(&reply, (BHandler*)NULL, B_INFINITE_TIMEOUT);
	return true;
}
