#pragma once
// Moving one collected file into its trash, and nothing but that file.
#include "platform/core/FileBatch.h"
#include "platform/core/TrashReport.h"
#include "platform/trash/TrashLocation.h"

#include <cstdint>
#include <string>

// Where a file went: the trash, its name in the trash's files/, and which entry it was.
struct TrashedEntry {
    CTrashFolder* trash = nullptr; // null when nothing went to the trash
    std::string name;
    FileId id;
};

// The folder a file is taken from: open as fd, at path where the system has it, on the
// device dev (as the collection recorded it).
struct SourceFolder {
    int fd;
    const std::string& path;
    std::uint64_t dev;
};

// Moves file, in folder, to the trash trashes gives for it, recording deletionDate. The
// result carries requestPath. In order:
// 1. the entry is looked at without following a link: it must exist ("no longer
//    exists"), not be a folder ("is now a folder"), and, when checkId, be the very entry
//    the collection saw, by device, inode and kind ("changed since the scan"); without,
//    it is taken as it is now;
// 2. its trash (by the file's mount and the folder's device): none gives that trash's
//    reason;
// 3. a free name is reserved by creating its record in info/ (CreateTrashInfo: the name
//    appears only once the record is whole), and the entry is put into files/ under that
//    name by the trash's way (MoveWays.h); a name taken in either place, by a record or by
//    a file without one, moves on to the next name: nothing in the trash is ever
//    replaced. When the move fails, the record goes again;
// 4. by renameat2 or renameat, the moved entry is looked at in the trash: if it is a
//    folder or another entry (swapped in between 1 and 3), it is moved straight back
//    (under its own name; when that has been taken again meanwhile, under the first free
//    "name.N" beside it) and its record removed: "changed since the scan". One that cannot
//    be looked at (any failure but "no longer exists", which means someone took it out of
//    the trash after the move) is not known to be the file and goes back the same way,
//    with the reason of that failure. Only if its folder refuses it then too does it stay
//    in the trash, with its record (kReasonSwappedIntoTrash, or that failure's reason);
// 4'. by linkat, the entry has two names: the one in the trash must be the entry of step
//    1 (else that second name and the record go again: "changed since the scan"), and the
//    old name must still be it, looked at right before it is unlinked. The link count
//    afterwards tells whether the name removed was the file's; when it was not (another
//    entry took its place in the instant between that look and the unlink), the trash's
//    name goes again and the report says what happened (kReasonOtherDeleted). When the
//    unlink fails, the trash's name goes again and the file stays with that failure's
//    reason. A file whose old name someone else removed after the link stays in the trash
//    (trashed); one renamed elsewhere by someone stays there instead ("changed since the
//    scan"). A second name is only ever removed while the entry has another.
// Nothing is copied, and nothing is unlinked but a record this call created, a second name
// it gave the entry, and the file's old name once the trash holds the file (4'). entry
// tells what is in the trash now because of this call (trash null when nothing); its id
// is always the collected file's, so that an undo never puts back an entry that merely
// took the file's place.
TrashResult TrashFile(const SourceFolder& folder, const BatchFile& file, bool checkId,
                      const std::string& requestPath, CTrashLocator& trashes,
                      const std::string& deletionDate, TrashedEntry& entry);

// Why a rename between folderFd and a trash's files/ failed with error: for a permission
// error, the trash's when files/ cannot be written, else the folder's.
const char* ReasonForMoveError(int error, const CTrashFolder& trash);
