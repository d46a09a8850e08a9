#pragma once
// The shell's recycle-bin calls, in wide text. Kept apart: <shellapi.h> declares a request
// type under the name the program's own request has (platform/core/ShellRequest.h).
#include <windows.h>

#include <string>

struct ShellDelete {
    int code = 0;         // what SHFileOperationW returned: 0, a system error or a DE_ code
    bool aborted = false; // the user said No to a question of the shell's
};

// Hands the one file at path (an ordinary path, not the \\?\ form) to SHFileOperationW to
// be recycled: FOF_ALLOWUNDO | FOF_WANTNUKEWARNING, with no question, progress window or
// error box of the shell's own except its warning before a file would be destroyed.
// owner (may be null) owns that warning.
ShellDelete RecycleWithShell(HWND owner, const std::wstring& path);

// SHQueryRecycleBinW for the volume whose root is root ("C:\"): S_OK when the volume has a
// recycle bin the shell can use.
HRESULT QueryRecycleBin(const std::wstring& root);
