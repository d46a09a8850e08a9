#include "platform/trash/TrashMove.h"

#include "platform/trash/BatchPaths.h"
#include "platform/trash/TrashInfoFile.h"
#include "platform/trash/TrashReasons.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// More names than any trash holds for one file; past it the file is left where it is.
constexpr std::uint32_t kMaxNameTries = 1000;

struct MoveFailure {
    int error = 0;
    bool atRecord = false; // failed creating the record, not moving the file
};

// Steps 3 of TrashFile: reserve, move, and on failure take the record back.
MoveFailure MoveIn(int folderFd, const std::string& entry, CTrashFolder& trash,
                   const std::string& record, std::string& name) {
    for (std::uint32_t tries = 0; tries < kMaxNameTries; ++tries) {
        name = trash.names.Candidate(entry);
        const std::string info = name + std::string(kTrashInfoSuffix);
        int error = CreateTrashInfo(trash.info.Get(), info, record);
        const bool atRecord = error != 0;
        if (!atRecord) {
            if (::renameat2(folderFd, entry.c_str(), trash.files.Get(), name.c_str(),
                            RENAME_NOREPLACE) == 0) {
                trash.names.Used(entry);
                return {};
            }
            error = errno;
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
// "entryName.N" beside it. False, with errno, when it cannot go back at all.
bool MoveBack(const CTrashFolder& trash, const std::string& name, int folderFd,
              const std::string& entryName) {
    for (std::uint32_t k = 1; k <= kMaxNameTries; ++k) {
        // Its own name whole: a trash name is cut to leave room for ".trashinfo", which a
        // name in its own folder needs no room for.
        const std::string back = k == 1 ? entryName : TrashNameCandidate(entryName, k);
        if (::renameat2(trash.files.Get(), name.c_str(), folderFd, back.c_str(),
                        RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EEXIST)
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
    if (MoveBack(trash, entry.name, folderFd, entryName)) {
        ::unlinkat(trash.info.Get(), (entry.name + std::string(kTrashInfoSuffix)).c_str(), 0);
        entry.trash = nullptr;
        return NotMoved(requestPath, reason, error);
    }
    // Its folder refuses it now: it keeps its record, which says where it came from.
    return NotMoved(requestPath, error ? reason : kReasonSwappedIntoTrash, errno);
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
        // The drive cannot rename without the chance of replacing a file in the trash.
        return kReasonNoSafeMove;
    case EEXIST:
        return kReasonNotMoved;
    default:
        return ReasonForError(error, kReasonNotMoved);
    }
}

TrashResult TrashFile(int folderFd, const std::string& folderPath, const BatchFile& file,
                      bool checkId, const std::string& requestPath, CTrashLocator& trashes,
                      const std::string& deletionDate, TrashedEntry& entry) {
    entry = {};
    EntryStat st;
    if (!StatAt(folderFd, file.name.c_str(), st))
        return NotMoved(requestPath, ReasonForError(errno, kReasonNotMoved), errno);
    // A folder would take files of other extensions with it.
    if (st.IsFolder())
        return NotMoved(requestPath, kReasonNowFolder);
    // The kind too: an inode number freed since the scan may belong to another entry now.
    if (checkId && (st.id != FileId{file.dev, file.ino} || (st.mode & S_IFMT) != file.type))
        return NotMoved(requestPath, kReasonChanged);

    const char* reason = nullptr;
    int error = 0;
    CTrashFolder* trash = trashes.For(st, folderFd, reason, error);
    if (!trash)
        return NotMoved(requestPath, reason, error);
    const std::string record =
        TrashInfoText(RecordPath(*trash, JoinPath(folderPath, file.name)), deletionDate);
    std::string name;
    const MoveFailure failure = MoveIn(folderFd, file.name, *trash, record, name);
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
    return CheckMoved(folderFd, file.name, st.id, requestPath, entry);
}
