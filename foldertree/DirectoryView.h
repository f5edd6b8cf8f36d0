#ifndef GLIM_DIRECTORY_VIEW_H
#define GLIM_DIRECTORY_VIEW_H

#include <OutlineListView.h>

class BWindow;

// The folder tree of the main window: an outline list of BFileListItems that
// also answers a negotiated file drag dropped on one of its folders, telling
// the drag's source to move the file into that folder.
class BDirectoryView : public BOutlineListView {
public:
	BDirectoryView(BWindow* window, BRect frame, const char* name, list_view_type type,
		uint32 resizingMode, uint32 flags);
	virtual ~BDirectoryView();

	virtual void MessageReceived(BMessage* message);

	bool ProcessSimpleData(BMessage* message);

private:
	BWindow* fWindow;
};

#endif
