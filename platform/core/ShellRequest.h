#pragma once
// The shell file-operation request, and what became of each of its paths. Building a
// request needs only this header; carrying one out is a platform's executor (on Linux
// platform/trash/ShellFileOperation.h).
#include "platform/core/Types.h"
#include "platform/core/Wnd.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

using FILEOP_FLAGS = unsigned short;

// Operations a request may name. Only FO_DELETE is carried out.
inline constexpr UINT FO_MOVE = 0x0001;
inline constexpr UINT FO_COPY = 0x0002;
inline constexpr UINT FO_DELETE = 0x0003;
inline constexpr UINT FO_RENAME = 0x0004;

// Keep undo information: for a delete, move to the trash instead of destroying.
inline constexpr FILEOP_FLAGS FOF_ALLOWUNDO = 0x0040;

// One file operation, field for field the shape of the classic shell request. pFrom and
// pTo are path lists: each path followed by one NUL, the list ended by an empty path (so
// a non-empty list ends in two NULs and an empty list is a single NUL).
struct SHFILEOPSTRUCTA {
    HWND hwnd;                 // owner window, or null
    UINT wFunc;                // FO_*
    const char* pFrom;         // source path list
    const char* pTo;           // destination path list (empty for a delete)
    FILEOP_FLAGS fFlags;       // FOF_*
    int fAnyOperationsAborted; // set by the executor when the user stopped it
    void* hNameMappings;       // unused, null
    const char* lpszProgressTitle;
};

// The paths of a NUL-separated list, in order, up to (not including) the first empty one.
// A null list is empty.
std::vector<std::string> SplitPathList(const char* list);

// What became of one path.
struct TrashResult {
    std::string path; // as it stood in the request, bytes unchanged
    bool trashed = false;
    std::string reason; // when not trashed: plain words for the user ("permission denied")
    std::string detail; // when not trashed: the system's own message, if it gave one
};

struct TrashReport {
    // True when the request was not carried out at all (wrong operation or flags, no
    // source list); error then says why and results is empty. Nothing was touched.
    bool refused = false;
    std::string error;
    // One result per requested path, in request order: every path ends up either trashed
    // or not trashed with a reason, so results.size() is the number requested.
    std::vector<TrashResult> results;

    std::size_t TrashedCount() const;
    std::size_t NotTrashedCount() const;
};

// Called before each path: index (0-based) = number of paths already handled, total =
// number requested, path = the one about to be trashed. Returning false stops: that path
// and every later one are reported as not trashed, reason "stopped".
using TrashProgress =
    std::function<bool(std::size_t index, std::size_t total, std::string_view path)>;

// Plain-words reasons the executor gives besides those mapped from GIO errors.
inline constexpr const char* kReasonGone = "no longer exists";
inline constexpr const char* kReasonNowFolder = "is now a folder";
inline constexpr const char* kReasonStopped = "stopped";
