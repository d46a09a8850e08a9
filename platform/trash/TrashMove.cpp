#include "platform/trash/TrashMove.h"

#include "platform/trash/BatchPaths.h"
#include "platform/trash/TrashInfoFile.h"
#include "platform/trash/TrashReasons.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// More names than any trash holds for one file; past it the file is left where it is.
constexpr std::uint32_t kMaxNameTries = 1000;

std::string RecordName(const std::string& name) {
    return name + std::string(kTrashInfoSuffix);
}

struct MoveFailure {
    int error = 0;
    bool atRecord = false; // failed creating the record, not moving the file
};

// Step 3 of TrashFile: reserve, move by the trash's way (used tells which worked), and on
// failure take the record back.
MoveFailure MoveIn(int folderFd, const std::string& entry, CTrashFolder& trash,
                   const std::string& record, std::string& name, MoveWay& used) {
    for (std::uint32_t tries = 0; tries < kMaxNameTries; ++tries) {
        name = trash.names.Candidate(entry);
        const std::string info = RecordName(name);
        int error = CreateTrashInfo(trash.info.Get(), info, record, trash.record);
        const bool atRecord = error != 0;
        if (!atRecord) {
            error = PlaceEntry(trash.move, folderFd, entry.c_str(), trash.files.Get(), name.c_str(),
                               used);
            if (error == 0) {
                trash.names.Used(entry);
                return {};
            }
            ::unlinkat(trash.info.Get(), info.c_str(), 0);
        }
        // EEXIST: a record of that name, or a file in files/ without one (orphaned by
        // someone who removed its record); either way the name is not ours.
        if (error != EEXIST)
            return {error, atRecord};
        trash.names.Taken(entry, trash.info.Get(), trash.files.Get());
    }
    return {EEXIST, false};
}

// Moves what is at name in the trash back into folderFd: under entryName, or, when that has
// been taken again meanwhile (the one swapped out coming back), under the first free
// "entryName.N" beside it. id is what is at name, if known. False, with errno, when it
// cannot go back at all.
bool MoveBack(CTrashFolder& trash, const std::string& name, const FileId& id, int folderFd,
              const std::string& entryName) {
    for (std::uint32_t k = 1; k <= kMaxNameTries; ++k) {
        // Its own name whole: a trash name is cut to leave room for ".trashinfo", which a
        // name in its own folder needs no room for.
        const std::string back = k == 1 ? entryName : TrashNameCandidate(entryName, k);
        const int error =
            MoveOutOfTrash(trash.move, trash.files.Get(), name.c_str(), folderFd, back.c_str(), id);
        if (error == 0)
            return true;
        errno = error;
        if (error != EEXIST)
            return false;
    }
    return false;
}

// Step 4: the entry now in the trash must be the one checked in step 1.
TrashResult CheckMoved(int folderFd, const std::string& entryName, const FileId& expected,
                       const std::string& requestPath, TrashedEntry& entry) {
    CTrashFolder& trash = *entry.trash;
    // The undo only ever puts back the entry the collection saw: one that stays here
    // without being it is left for the trash's own restore.
    entry.id = expected;
    EntryStat moved;
    const char* reason = kReasonChanged;
    int error = 0;
    if (StatAt(trash.files.Get(), entry.name.c_str(), moved)) {
        if (!moved.IsFolder() && moved.id == expected)
            return {requestPath, true, {}, {}};
    } else if (errno == ENOENT) {
        // Gone from the trash already: someone else took it from there, after the move.
        return {requestPath, true, {}, {}};
    } else {
        // Not known to be the file: it goes back as one swapped in would.
        error = errno;
        reason = ReasonForError(error, kReasonNotMoved);
    }
    // Swapped in between the look and the move: it goes straight back where it was, so
    // that nothing but the collected file ever stays in the trash (a folder swapped in
    // would take files of other extensions with it).
    if (MoveBack(trash, entry.name, moved.id, folderFd, entryName)) {
        ::unlinkat(trash.info.Get(), RecordName(entry.name).c_str(), 0);
        entry.trash = nullptr;
        return NotMoved(requestPath, reason, error);
    }
    // Its folder refuses it now: it keeps its record, which says where it came from.
    return NotMoved(requestPath, error ? reason : kReasonSwappedIntoTrash, errno);
}

// Removes the second name Link gave an entry in the trash again, and its record, while the
// entry has another name (DropSecondName). True when removed.
bool Unlink(TrashedEntry& entry) {
    CTrashFolder& trash = *entry.trash;
    if (!DropSecondName(trash.files.Get(), entry.name.c_str(), entry.id))
        return false;
    ::unlinkat(trash.info.Get(), RecordName(entry.name).c_str(), 0);
    entry.trash = nullptr;
    return true;
}

// True when the entry id has a name starting with ".nfs" in folderFd: how an NFS client
// keeps a removed name of an entry that is still open (a "silly rename"), gone when it is
// closed. The removed name was the entry's then, not another's.
bool HasNfsStandIn(int folderFd, const FileId& id) {
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    bool found = false;
    EntryStat st;
    while (const dirent* e = found ? nullptr : ::readdir(dir))
        found = std::strncmp(e->d_name, ".nfs", 4) == 0 && StatAt(fd, e->d_name, st) && st.id == id;
    ::closedir(dir);
    return found;
}

// Step 4' when the old name is no longer the entry's, by someone else's doing: with fewer
// names than after the link, its old name was removed and the trash's keeps it: trashed.
// With as many, it was renamed elsewhere and stays there.
TrashResult OldNameLost(int folderFd, std::uint32_t links, const std::string& requestPath,
                        TrashedEntry& entry) {
    EntryStat now;
    if (StatNow(entry.trash->files.Get(), entry.name.c_str(), now) && now.id == entry.id &&
        now.nlink >= links && !HasNfsStandIn(folderFd, entry.id) && Unlink(entry))
        return NotMoved(requestPath, kReasonChanged);
    return {requestPath, true, {}, {}};
}

// Step 4': the trash's files/ holds the entry under entry.name as a second name; its old
// name, entryName in folderFd, goes once it is seen to be that entry still.
TrashResult FinishLink(int folderFd, const std::string& entryName, const FileId& expected,
                       const std::string& requestPath, TrashedEntry& entry) {
    const int filesFd = entry.trash->files.Get();
    const TrashResult trashed{requestPath, true, {}, {}};
    entry.id = expected;
    EntryStat linked;
    if (!StatNow(filesFd, entry.name.c_str(), linked)) {
        // Not known to be the file: both names, and the record, stay.
        const int error = errno;
        return NotMoved(requestPath, ReasonForError(error, kReasonNotMoved), error);
    }
    if (linked.id != expected || linked.IsFolder()) {
        // Swapped in between the look and the link: its second name goes again. One whose
        // old name went meanwhile stays with its record, as after a rename.
        entry.id = linked.id;
        const bool unlinked = Unlink(entry);
        entry.id = expected;
        return NotMoved(requestPath, unlinked ? kReasonChanged : kReasonSwappedIntoTrash);
    }
    EntryStat there;
    const bool seen = StatNow(folderFd, entryName.c_str(), there);
    if (!seen && errno != ENOENT) {
        const int error = errno;
        return Unlink(entry) ? NotMoved(requestPath, ReasonForError(error, kReasonNotMoved), error)
                             : trashed;
    }
    if (!seen || there.id != expected || there.IsFolder())
        return OldNameLost(folderFd, linked.nlink, requestPath, entry);
    // The one moment a drive without RENAME_NOREPLACE leaves open: an entry renamed over
    // the old name between the look above and the unlink below is what the unlink removes.
    // When the file was renamed elsewhere first, its link count shows it and the report
    // says so; when it was renamed over instead, nothing can tell. Only someone who may
    // change the folder can do either, in that instant; on a FUSE or network drive whose
    // folder is changed behind its back (on the server) the look may be as old as the
    // drive's cache.
    if (::unlinkat(folderFd, entryName.c_str(), 0) != 0) {
        const int error = errno;
        const char* reason = ReasonForMoveError(error, *entry.trash);
        return Unlink(entry) ? NotMoved(requestPath, reason, error) : trashed;
    }
    EntryStat after;
    if (!StatNow(filesFd, entry.name.c_str(), after) || after.id != expected ||
        after.nlink < linked.nlink || HasNfsStandIn(folderFd, expected))
        return trashed;
    // It kept every name: the one removed was another entry's, which had taken its place.
    Unlink(entry);
    return NotMoved(requestPath, kReasonOtherDeleted);
}

} // namespace

const char* ReasonForMoveError(int error, const CTrashFolder& trash) {
    switch (error) {
    case EACCES:
    case EPERM:
        return ::faccessat(trash.files.Get(), "", W_OK | X_OK, AT_EMPTY_PATH | AT_EACCESS) == 0
                   ? kReasonPermission
                   : kReasonTrashPermission;
    case EXDEV:
        // The trash is on another drive after all (a home trash that is a link elsewhere):
        // a move would have to copy.
        return kReasonNoDriveTrash;
    case EINVAL:
        // The drive refused every way of moving (MoveWays.h), a plain rename too.
        return kReasonNoSafeMove;
    case EEXIST:
        return kReasonNotMoved;
    case EISDIR:
        return kReasonNowFolder;
    default:
        return ReasonForError(error, kReasonNotMoved);
    }
}

TrashResult TrashFile(const SourceFolder& folder, const BatchFile& file, bool checkId,
                      const std::string& requestPath, CTrashLocator& trashes,
                      const std::string& deletionDate, TrashedEntry& entry) {
    entry = {};
    EntryStat st;
    if (!StatAt(folder.fd, file.name.c_str(), st))
        return NotMoved(requestPath, ReasonForError(errno, kReasonNotMoved), errno);
    // A folder would take files of other extensions with it.
    if (st.IsFolder())
        return NotMoved(requestPath, kReasonNowFolder);
    // The kind too: an inode number freed since the scan may belong to another entry now.
    if (checkId && (st.id != FileId{file.dev, file.ino} || (st.mode & S_IFMT) != file.type))
        return NotMoved(requestPath, kReasonChanged);

    const char* reason = nullptr;
    int error = 0;
    CTrashFolder* trash = trashes.For(st.mountId, folder.dev, folder.fd, reason, error);
    if (!trash)
        return NotMoved(requestPath, reason, error);
    const std::string record =
        TrashInfoText(RecordPath(*trash, JoinPath(folder.path, file.name)), deletionDate);
    std::string name;
    MoveWay used = MoveWay::NoReplace;
    const MoveFailure failure = MoveIn(folder.fd, file.name, *trash, record, name, used);
    if (failure.error != 0) {
        // A record that cannot be created is always the trash's doing.
        const bool refusedByTrash =
            failure.atRecord && (failure.error == EACCES || failure.error == EPERM);
        const char* words = refusedByTrash     ? kReasonTrashPermission
                            : failure.atRecord ? ReasonForError(failure.error, kReasonNotMoved)
                                               : ReasonForMoveError(failure.error, *trash);
        return NotMoved(requestPath, words, failure.error);
    }
    entry = {trash, name, st.id};
    return used == MoveWay::Link ? FinishLink(folder.fd, file.name, st.id, requestPath, entry)
                                 : CheckMoved(folder.fd, file.name, st.id, requestPath, entry);
}
