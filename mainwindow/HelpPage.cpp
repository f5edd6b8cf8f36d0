#include "mainwindow/HelpPage.h"

#include <Entry.h>
#include <Path.h>

status_t
find_help_page(const entry_ref* application, entry_ref* _page)
{
	if (application == NULL || _page == NULL)
		return B_BAD_VALUE;
	BEntry program(application);
	BEntry folder;
	status_t status = program.GetParent(&folder);
	if (status != B_OK)
		return status;
	BPath folderPath(&folder);
	if (folderPath.InitCheck() != B_OK)
		return folderPath.InitCheck();

	for (const char* relative : {"index.htm", "../share/doc/glim/index.htm"}) {
		BPath page(folderPath);
		BEntry entry;
		if (page.Append(relative, true) == B_OK && entry.SetTo(page.Path()) == B_OK
			&& entry.Exists())
			return entry.GetRef(_page);
	}
	return B_ENTRY_NOT_FOUND;
}
