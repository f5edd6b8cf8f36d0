#ifndef _SEPARATOR_ITEM_H
#define _SEPARATOR_ITEM_H

// BSeparatorItem is declared with BMenuItem, as on the platform.
#include <MenuItem.h>

#endif
