#include "platform/trash/MoveWays.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsFolderNow(int dirfd, const char* name) {
    EntryStat st;
    return StatAt(dirfd, name, st) && st.IsFolder();
}

// Whether linkat's refusal `error` of the entry `from` (not a folder) is its drive's, for
// good, rather than this entry's.
bool DriveRefusesLinks(int error, int fromFd, const char* from) {
    if (error == EMLINK)
        return false;
    if (error != EPERM)
        return true;
    // EPERM is the entry's own for a file of another user (the system's protection of hard
    // links, which does not hold root) and for one marked immutable or append-only.
    struct statx sx;
    if (::statx(fromFd, from, AT_SYMLINK_NOFOLLOW, STATX_UID, &sx) != 0)
        return false;
    const unsigned me = ::geteuid();
    const bool locked = sx.stx_attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND);
    return (me == 0 || sx.stx_uid == me) && !locked;
}

int RenameIntoFree(int fromFd, const char* from, int toFd, const char* to) {
    EntryStat st;
    if (StatNow(toFd, to, st))
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    // Without RENAME_NOREPLACE nothing stops an entry that appears at `to` between the look
    // and the rename from being replaced. Into a trash that is the user's own folder (0700)
    // only the user's own programs could put one there; on the way back (an undo, or an
    // entry swapped in going back) anyone who may write the folder could, in that instant.
    return ::renameat(fromFd, from, toFd, to) == 0 ? 0 : errno;
}

} // namespace

int PlaceEntry(MoveWay& way, int fromFd, const char* from, int toFd, const char* to,
               MoveWay& used) {
    used = way;
    if (used == MoveWay::NoReplace) {
        if (::renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0)
            return 0;
        const int error = errno;
        if (error != EINVAL && error != ENOSYS)
            return error;
        // EINVAL is also a folder moved into itself: only a file's refusal is the drive's.
        if (IsFolderNow(fromFd, from))
            return EISDIR;
        way = used = MoveWay::Link;
    }
    if (used == MoveWay::Link) {
        if (::linkat(fromFd, from, toFd, to, 0) == 0)
            return 0;
        const int error = errno;
        if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS && error != EMLINK)
            return error;
        // A folder cannot have a second name anywhere.
        if (IsFolderNow(fromFd, from))
            return EISDIR;
        if (DriveRefusesLinks(error, fromFd, from))
            way = MoveWay::Rename;
        used = MoveWay::Rename;
    }
    return RenameIntoFree(fromFd, from, toFd, to);
}

int MoveOutOfTrash(MoveWay& way, int filesFd, const char* name, int folderFd, const char* back,
                   const FileId& expected) {
    MoveWay used;
    const int error = PlaceEntry(way, filesFd, name, folderFd, back, used);
    if (error != 0 || used != MoveWay::Link)
        return error;
    // Nobody but the user's own programs changes the trash folder, so the name there is
    // still the entry looked at before; that `back` still holds it is what the link count
    // tells (someone may have renamed another entry over it meanwhile).
    EntryStat st;
    if (!StatNow(filesFd, name, st) || st.id != expected)
        return ESTALE;
    if (st.nlink < 2)
        return EEXIST;
    if (::unlinkat(filesFd, name, 0) == 0)
        return 0;
    const int unlinkError = errno;
    DropSecondName(folderFd, back, expected);
    return unlinkError;
}

bool DropSecondName(int folderFd, const char* name, const FileId& id) {
    EntryStat st;
    return StatNow(folderFd, name, st) && st.id == id && !st.IsFolder() && st.nlink >= 2 &&
           ::unlinkat(folderFd, name, 0) == 0;
}
