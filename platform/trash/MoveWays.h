#pragma once
// The ways an entry is moved between a folder and a trash on the same drive without ever
// replacing what is at its new name, and which of them a drive takes. Every trash learns
// its way once (CTrashFolder::move), and the delete and the undo both go by it.
#include "platform/trash/Descriptors.h"

#include <cstdint>

enum class MoveWay : std::uint8_t {
    // renameat2(RENAME_NOREPLACE): one step, EEXIST on a taken name. Local drives (ext4,
    // xfs, btrfs, tmpfs, overlayfs).
    NoReplace,
    // linkat() to the new name (EEXIST on a taken one), then unlinkat() of the old one: for
    // drives that answer the flag with EINVAL (FUSE, NFS, some SMB). The caller takes the old
    // name away.
    Link,
    // renameat() into a name looked at right before and found free: for drives without
    // hard links either. The one way with a moment in which an entry that appears at the
    // new name would be replaced, so it is taken only where nothing else works.
    Rename,
};

// Gives the entry `from` in fromFd the name `to` in toFd by way, or, when the drive
// refuses that way, by the next: renameat2 answering EINVAL or ENOSYS steps to Link,
// linkat answering EPERM, EOPNOTSUPP, ENOSYS or EMLINK steps to Rename. A drive's refusal
// is kept in way; a refusal that may be the entry's own steps down for this entry only:
// EMLINK (it has as many names as it may have), and EPERM for an entry that is not the
// user's (the system refuses links to other users' files, fs.protected_hardlinks). An
// entry that is a folder by then (swapped in since it was looked at) fails with EISDIR
// rather than step down, so that it never teaches the trash a weaker way.
// Returns 0 with `used` the way that worked: after Link the entry has both names and the
// caller removes the old one. Otherwise the errno, with nothing changed: EEXIST when `to`
// is taken.
int PlaceEntry(MoveWay& way, int fromFd, const char* from, int toFd, const char* to, MoveWay& used);

// Puts the entry `name` in a trash's files/ (filesFd, the user's own folder, 0700) back
// into folderFd as `back`, by way as PlaceEntry goes through it. After Link, name goes
// once it is seen to be the entry expected still and `back` still to hold it (a link
// count of 2 or more); when it cannot go, `back` goes again. Returns 0, or the errno with
// the entry still in the trash: EEXIST when `back` is taken (also when another entry took
// it right after the link), ESTALE when name is not the entry expected any more.
int MoveOutOfTrash(MoveWay& way, int filesFd, const char* name, int folderFd, const char* back,
                   const FileId& expected);

// Removes `name` in folderFd, a second name this program gave the entry id, again: only
// while it is that entry and has another name (a link count of 2 or more), so that no
// entry ever loses its last name here. True when removed.
bool DropSecondName(int folderFd, const char* name, const FileId& id);
