#pragma once
// The shell file-operation request. Building a request needs only this header; what
// became of each of its paths is a TrashReport (TrashReport.h); carrying one out is the
// platform's executor (TrashExecutor.h), which also puts the files of a delete back.
#include "platform/core/Types.h"
#include "platform/core/Wnd.h"

#include <string>
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
