// Files dropped on a dialog's window: the shell's drop handle turned into the paths that
// WM_DROPFILES carries to the dialog.
#include "platform/core/WideText.h"
#include "platform/win32/DialogImpl.h"

#include <string>
#include <vector>

#include <shellapi.h>

void CDialog::DragAcceptFiles(BOOL accept) {
    if (m_hWnd)
        ::DragAcceptFiles(m_hWnd, accept);
}

void CDialogWindow::DeliverDroppedFiles(CDialog& dialog, WPARAM drop) {
    auto* handle = reinterpret_cast<HDROP>(drop);
    std::vector<CString> paths;
    const UINT count = DragQueryFileW(handle, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Asked for its length first: a path may be longer than MAX_PATH.
        std::wstring path(DragQueryFileW(handle, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(handle, i, path.data(), static_cast<UINT>(path.size())));
        paths.emplace_back(Utf8FromWide(path));
    }
    DragFinish(handle);
    // The window takes no input while it is disabled (a scan, a modal window): nor a drop.
    if (paths.empty() || !dialog.IsWindowEnabled())
        return;
    const auto lParam = reinterpret_cast<LPARAM>(&paths);
    if (const AFX_MSGMAP_ENTRY* entry =
            msgmap::Find(dialog.GetMessageMap(), WM_DROPFILES, 0, lParam))
        msgmap::Invoke(dialog, *entry, 0, lParam);
}
