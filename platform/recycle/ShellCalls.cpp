#include "platform/recycle/ShellCalls.h"

#include <shellapi.h>

ShellDelete RecycleWithShell(HWND owner, const std::wstring& path) {
    // Without a question of the shell's own (the program asked) and without its progress
    // window (the program shows its own), but with its warning before a file would be
    // destroyed instead of recycled: that warning is the one question FOF_NOCONFIRMATION
    // leaves in place.
    constexpr FILEOP_FLAGS flags = FOF_ALLOWUNDO | FOF_WANTNUKEWARNING | FOF_NOCONFIRMATION |
                                   FOF_NOERRORUI | FOF_SILENT;
    std::wstring from = path;
    from.push_back(L'\0'); // the list ends with an empty path
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = flags;
    ShellDelete result;
    result.code = SHFileOperationW(&operation);
    result.aborted = operation.fAnyOperationsAborted != FALSE;
    return result;
}

HRESULT QueryRecycleBin(const std::wstring& root) {
    SHQUERYRBINFO query{};
    query.cbSize = sizeof query;
    return SHQueryRecycleBinW(root.c_str(), &query);
}
