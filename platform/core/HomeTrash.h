#pragma once
// Where the desktop's home trash is: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when
// XDG_DATA_HOME is unset, empty or not absolute (the freedesktop.org Trash rules); ~ is
// $HOME, or on Linux the user's home from the system when HOME is unset. A Unix path, also
// in the Windows build, where it is the recycle bin of Wine's host. Empty when there is no
// home at all.
#include <string>

std::string HomeTrashPath();
