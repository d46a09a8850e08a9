#pragma once
// What became of each path of a delete or an undo, in the words the user reads: the
// report, every reason a file can be left where it is, and the question asked before each
// file. The executor (TrashExecutor.h) and the delete (deletion/FileOperation.h) fill it;
// the delete's windows show it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What became of one path.
struct TrashResult {
    std::string path; // as it stood in the request, bytes unchanged
    // True when the file was moved: to the trash, or (in an undo's report) back to its place.
    bool trashed = false;
    std::string reason; // when not moved: plain words for the user, one of kReason* below
    std::string detail; // when not moved: the system's own message, if it gave one
    // The file's bytes as its collection saw them (0 when it kept no record of them).
    std::uint64_t bytes = 0;
};

// What a report is about: a delete (files to the trash) or an undo (files put back).
enum class TrashWork { Delete, Undo };

struct TrashReport {
    TrashWork work = TrashWork::Delete;
    // True when the request was not carried out at all (wrong operation or flags, no
    // source list, a record of the collection that does not match it); error then says
    // why and results is empty. Nothing was touched.
    bool refused = false;
    std::string error;
    // One result per requested path, in request order: every path ends up either moved or
    // not moved with a reason, so results.size() is the number requested.
    std::vector<TrashResult> results;
    // For a delete: the folders its collection could not read (path, trashed false, reason),
    // so files of it they may hold were not even looked for. Apart from results: not
    // counted as files requested.
    std::vector<TrashResult> foldersNotRead;
    // False when the request came without the collection's record of its files: their
    // bytes were never seen, and every result's bytes is 0.
    bool bytesKnown = true;

    std::size_t TrashedCount() const;
    // The bytes of the files moved.
    std::uint64_t TrashedBytes() const;
    std::size_t NotTrashedCount() const;
    // The files not moved only because the user stopped first (reason kReasonStopped).
    std::size_t StoppedCount() const;
};

// Called before each path: index (0-based) = number of paths already handled, total =
// number requested, path = the one about to be moved. Returning false stops: that path
// and every later one are reported as not moved, reason kReasonStopped.
using TrashProgress =
    std::function<bool(std::size_t index, std::size_t total, std::string_view path)>;

// Every reason a file can be left where it is, in the words the user reads.
// A delete:
inline constexpr const char* kReasonGone = "no longer exists";
inline constexpr const char* kReasonNowFolder = "is now a folder";
// The file, or a folder on its way from the chosen folder, is not the one the scan saw
// (replaced, or swapped for a link).
inline constexpr const char* kReasonChanged = "changed since the scan";
// Something took the file's place in the instant between the check and the move; it went
// to the trash instead, with a record of where it came from, and could not be moved back.
inline constexpr const char* kReasonSwappedIntoTrash =
    "changed since the scan (what took its place is in the trash)";
// On a drive that moves files by a second name (FUSE, NFS, SMB): something renamed over the
// file's old name in the instant between its last check and the removal of that name was
// removed in its place; the file itself was renamed elsewhere and stays there.
inline constexpr const char* kReasonOtherDeleted =
    "changed since the scan (what took its place was deleted)";
inline constexpr const char* kReasonPermission = "permission denied";
inline constexpr const char* kReasonTrashPermission = "permission denied by the trash folder";
inline constexpr const char* kReasonNoHomeTrash = "no usable trash (its folder cannot be created)";
inline constexpr const char* kReasonNoDriveTrash = "no trash on that drive";
inline constexpr const char* kReasonNoSafeMove = "its drive cannot move files without risk";
inline constexpr const char* kReasonDiskFull = "disk full";
inline constexpr const char* kReasonReadOnly = "read-only file system";
inline constexpr const char* kReasonNameTooLong = "name too long";
inline constexpr const char* kReasonInUse = "in use";
inline constexpr const char* kReasonTooManyOpen = "too many open files";
inline constexpr const char* kReasonNotMoved = "could not be moved to the trash";
// The file lies in a trash folder: moving it would part it from its record there.
inline constexpr const char* kReasonInTrash = "is in a trash folder";
// A delete on Windows, where files go to the recycle bin through the shell:
// The drive's recycle bin takes no files (a removable or network drive, a bin set to
// remove files immediately, ...): decided once per drive, before its first file.
inline constexpr const char* kReasonNoRecycleBin = "this drive has no recycle bin";
inline constexpr const char* kReasonTooLargeForBin = "too large for the recycle bin";
// The shell would have deleted it for good instead: it was kept.
inline constexpr const char* kReasonBinRefused = "the recycle bin would not take it";
// The shell deleted it for good although it was asked to recycle it.
inline constexpr const char* kReasonDeletedPermanently = "deleted permanently";
// The shell is given ordinary paths and reads them by rules of its own
// (platform/recycle/ShellNames.h): a path it would read as another name stays.
inline constexpr const char* kReasonNameDropsDotOrSpace =
    "a name in its path ends in a dot or a space, which the shell would drop";
inline constexpr const char* kReasonNameIsPattern =
    "a name in its path has * or ? (or < > \"), which the shell would read as a pattern";
inline constexpr const char* kReasonNameNotWindows =
    "a name in its path has a character Windows does not allow in names (: | / or a control "
    "character)";
inline constexpr const char* kReasonNameIsDevice =
    "a name in its path is a device's (CON, NUL, COM1, ...), which the shell would take for the "
    "device";
inline constexpr const char* kReasonPathTooLongForShell =
    "its path is 260 characters or longer, too long for the shell";
// An undo:
inline constexpr const char* kReasonPlaceTaken = "its place is taken";
inline constexpr const char* kReasonFolderGone = "its folder no longer exists";
inline constexpr const char* kReasonFolderReplaced = "its folder was replaced";
inline constexpr const char* kReasonNotInTrash = "no longer in the trash";
inline constexpr const char* kReasonChangedInTrash = "changed in the trash";
inline constexpr const char* kReasonNotPutBack = "could not be put back";
// Both:
inline constexpr const char* kReasonStopped = "stopped";
