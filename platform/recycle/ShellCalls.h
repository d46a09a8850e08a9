#pragma once
// The shell's recycle-bin calls, in wide text. Kept apart: <shellapi.h> declares a request
// type under the name the program's own request has (platform/core/ShellRequest.h).
#include <windows.h>

#include <string>
#include <vector>

// While one lives, no dialog box can be made on the calling thread: a question the shell
// would ask there finds no window, and counts as No. With the flags the program gives, the
// one question the shell still asks is whether to delete for good a file the recycle bin
// will not take (FOF_WANTNUKEWARNING), so no file is deleted for good, and none is asked
// about one by one. (The shell's calls run on the caller's thread; a question on another
// thread would not be refused, and would still be a question, never a silent delete.)
class CNoShellQuestions {
public:
    CNoShellQuestions();
    ~CNoShellQuestions();
    CNoShellQuestions(const CNoShellQuestions&) = delete;
    CNoShellQuestions& operator=(const CNoShellQuestions&) = delete;

private:
    HHOOK m_hook;
};

struct ShellDelete {
    int code = 0;         // what SHFileOperationW returned: 0, a system error or a DE_ code
    bool aborted = false; // a question of the shell's was answered No
};

// Hands the files at paths (ordinary paths, ShellNames.h) to SHFileOperationW in one call
// to be recycled: FOF_ALLOWUNDO | FOF_WANTNUKEWARNING | FOF_NO_CONNECTED_ELEMENTS, with no
// confirmation, progress window or error box, and every question refused
// (CNoShellQuestions). owner (may be null) owns what the shell shows.
ShellDelete RecycleWithShell(HWND owner, const std::vector<std::wstring>& paths);

// SHQueryRecycleBinW for the volume whose top folder is root ("C:\"): S_OK when the volume
// has a recycle bin the shell can use.
HRESULT QueryRecycleBin(const std::wstring& root);
