#pragma once
// A drive that lacks ways of moving, on any drive: the system answers this process, and
// every process it starts, as such a drive would, so that each way of the trash engine's
// moves (platform/trash/MoveWays.h) is tested everywhere. It cannot be undone: call it in
// a child process (RunInChild).

enum class MissingMoves {
    None,
    // renameat2 with RENAME_NOREPLACE answers EINVAL and openat with O_TMPFILE EOPNOTSUPP,
    // as on FUSE, NFS and SMB drives
    NoReplace,
    // and linkat answers EPERM, as on drives without hard links
    NoReplaceNorLinks,
};

// The way of moving left first, as a name for a test case: "LinkAndUnlink", ...
const char* NameOf(MissingMoves missing);

// Installs the refusals (a seccomp filter). False when the system does not allow it.
bool RefuseMoves(MissingMoves missing);
