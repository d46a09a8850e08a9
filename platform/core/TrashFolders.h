#pragma once
// Which folders are trash folders: the walk leaves them out, a folder inside one is never
// scanned, and the trash engines move nothing out of one (a trash's files are only reached
// through its records, and moving either loses the link between them). A trash folder is
// the home trash (HomeTrash.h), or a folder named .Trash, .Trash-<digits> or $Recycle.Bin
// at the top of a drive.
#include <cstdint>
#include <string>
#include <string_view>

// True for .Trash, .Trash-<digits> and $Recycle.Bin (in any case): the names of the trash
// folders at the top of a drive.
bool IsDriveTrashName(std::string_view name);

// True when folder (a path as the user gives it, links in it followed) is a trash folder or
// lies inside one. False when it cannot be looked at: whoever opens it next says why. On
// Windows only the name of the folder at the top of its drive is looked at.
bool IsInsideTrash(const std::string& folder);

#ifndef _WIN32
// The home trash folder, by device and inode (links followed); valid false when there is
// none.
struct TrashFolderId {
    bool valid = false;
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
};
TrashFolderId FindHomeTrash();

// True when the folder (dev, ino), called name in the folder open as parentFd (which may be
// an O_PATH descriptor), is a trash folder: the home trash, or a drive trash name in the top
// folder of a mount (or in "/"). parentFd is looked at only when name is a drive trash
// name, so a caller may open it only then (-1 otherwise).
bool IsTrashFolder(int parentFd, std::string_view name, std::uint64_t dev, std::uint64_t ino,
                   const TrashFolderId& home);
#endif
