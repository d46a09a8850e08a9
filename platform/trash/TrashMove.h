#pragma once
// Moving one collected file into its trash, and nothing but that file.
#include "platform/core/FileBatch.h"
#include "platform/core/TrashReport.h"
#include "platform/trash/TrashLocation.h"

#include <string>

// Where a file went: the trash, its name in the trash's files/, and which entry it was.
struct TrashedEntry {
    CTrashFolder* trash = nullptr; // null when nothing went to the trash
    std::string name;
    FileId id;
};

// Moves file, in the folder open as folderFd whose path is folderPath, to the trash
// trashes gives for it, recording deletionDate. The result carries requestPath. In order:
// 1. the entry is looked at without following a link: it must exist ("no longer
//    exists"), not be a folder ("is now a folder"), and, when checkId, be the very entry
//    the collection saw, by device, inode and kind ("changed since the scan"); without,
//    it is taken as it is now;
// 2. its trash: none gives that trash's reason;
// 3. a free name is reserved by creating its record (O_EXCL) in info/, written
//    completely, and the entry is moved into files/ with RENAME_NOREPLACE from folderFd;
//    a name taken in either place, by a record or by a file without one, moves on to the
//    next name: nothing in the trash is ever replaced. When the move fails, the record
//    goes again;
// 4. the moved entry is looked at in the trash: if it is a folder or another entry
//    (swapped in between 1 and 3), it is moved straight back (RENAME_NOREPLACE, under its
//    own name; when that has been taken again meanwhile, under the first free "name.N"
//    beside it) and its record removed: "changed since the scan". One that cannot be
//    looked at (any failure but "no longer exists", which means someone took it out of
//    the trash after the move) is not known to be the file and goes back the same way,
//    with the reason of that failure. Only if its folder refuses it then too does it stay
//    in the trash, with its record (kReasonSwappedIntoTrash, or that failure's reason).
// Nothing is copied, nothing is unlinked but a record this call created. entry tells
// what is in the trash now because of this call (trash null when nothing); its id is
// always the collected file's, so that an undo never puts back an entry that merely
// took the file's place.
TrashResult TrashFile(int folderFd, const std::string& folderPath, const BatchFile& file,
                      bool checkId, const std::string& requestPath, CTrashLocator& trashes,
                      const std::string& deletionDate, TrashedEntry& entry);

// Why a rename between folderFd and a trash's files/ failed with error: for a permission
// error, the trash's when files/ cannot be written, else the folder's.
const char* ReasonForMoveError(int error, const CTrashFolder& trash);
