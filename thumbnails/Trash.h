#ifndef GLIM_TRASH_H
#define GLIM_TRASH_H

namespace glim {

// Moves the entry at path (links not followed) into the user's Trash,
// keeping its name; an entry of that name already in the Trash is not
// replaced. False when the entry stays where it is.
bool move_to_trash(const char* path);

} // namespace glim

#endif
