#ifndef GLIM_HELP_PAGE_H
#define GLIM_HELP_PAGE_H

#include <SupportDefs.h>

struct entry_ref;

// Finds the help page "index.htm" for the program file `application`: beside
// it, as in a build tree, else under share/doc/glim of the prefix it is
// installed in (<prefix>/bin/glim). B_ENTRY_NOT_FOUND when neither exists.
status_t find_help_page(const entry_ref* application, entry_ref* _page);

#endif
