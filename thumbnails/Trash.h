#ifndef GLIM_TRASH_H
#define GLIM_TRASH_H

#include <string>

namespace glim {

// Moves the entry at path (links not followed) into the Trash of its own
// volume, in the layout freedesktop.org desktops share: the home Trash for
// the home's volume, else the volume's $topdir/.Trash/$uid or
// $topdir/.Trash-$uid, with a .trashinfo so that the desktop can put it
// back. A name already taken in the Trash gets a number ("a.2.jpg"). False
// when the entry stays where it is; _reason then says why, for the user.
bool move_to_trash(const char* path, std::string& _reason);

// The same, telling the user in an alert that names the file and the reason
// when it stays.
bool move_to_trash_or_alert(const char* path);

} // namespace glim

#endif
