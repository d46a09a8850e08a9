#include "platform/recycle/ShellCalls.h"

#include <shellapi.h>

#include <cwchar>

namespace {

// The window class of dialog boxes and message boxes.
constexpr ULONG_PTR kDialogClassAtom = 32770;

LRESULT CALLBACK RefuseDialogs(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        const wchar_t* windowClass = create->lpcs->lpszClass;
        const bool dialog = IS_INTRESOURCE(windowClass)
                                ? reinterpret_cast<ULONG_PTR>(windowClass) == kDialogClassAtom
                                : windowClass && std::wcscmp(windowClass, L"#32770") == 0;
        if (dialog)
            return 1; // the window is not made
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

CNoShellQuestions::CNoShellQuestions()
    : m_hook(SetWindowsHookExW(WH_CBT, RefuseDialogs, nullptr, GetCurrentThreadId())) {}

CNoShellQuestions::~CNoShellQuestions() {
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
}

ShellDelete RecycleWithShell(HWND owner, const std::vector<std::wstring>& paths) {
    // Without the shell's own confirmation (the program asked) and progress window (the
    // program shows its own), but with its warning before a file would be destroyed
    // instead of recycled, which CNoShellQuestions answers No. Without "connected files":
    // the shell would take page_files with page.htm.
    constexpr FILEOP_FLAGS flags = FOF_ALLOWUNDO | FOF_WANTNUKEWARNING | FOF_NOCONFIRMATION |
                                   FOF_NOERRORUI | FOF_SILENT | FOF_NO_CONNECTED_ELEMENTS;
    std::wstring from;
    for (const std::wstring& path : paths) {
        from += path;
        from.push_back(L'\0');
    }
    from.push_back(L'\0'); // the list ends with an empty path
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = flags;
    ShellDelete result;
    {
        const CNoShellQuestions noQuestions;
        result.code = SHFileOperationW(&operation);
    }
    result.aborted = operation.fAnyOperationsAborted != FALSE;
    return result;
}

HRESULT QueryRecycleBin(const std::wstring& root) {
    SHQUERYRBINFO query{};
    query.cbSize = sizeof query;
    return SHQueryRecycleBinW(root.c_str(), &query);
}
