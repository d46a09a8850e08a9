// A CDialog's window services on Win32: title, icons, state, controls and their texts, the
// window menu.
#include "platform/core/WideText.h"
#include "platform/win32/DialogImpl.h"

#include <string>

namespace {

CString TextOf(HWND hwnd) {
    if (!hwnd)
        return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return CString(Utf8FromWide(text));
}

} // namespace

void CDialog::SetWindowText(const char* text) {
    if (m_hWnd)
        ::SetWindowTextW(m_hWnd, WideFromUtf8(text ? text : "").c_str());
}

CString CDialog::GetWindowText() const {
    return TextOf(m_hWnd);
}

HICON CDialog::SetIcon(HICON icon, BOOL bigIcon) {
    if (!m_hWnd)
        return nullptr;
    return reinterpret_cast<HICON>(::SendMessageW(
        m_hWnd, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

BOOL CDialog::IsIconic() const {
    return m_hWnd && ::IsIconic(m_hWnd) ? TRUE : FALSE;
}
BOOL CDialog::IsWindowVisible() const {
    return m_hWnd && ::IsWindowVisible(m_hWnd) ? TRUE : FALSE;
}
BOOL CDialog::IsWindowEnabled() const {
    return m_hWnd && ::IsWindowEnabled(m_hWnd) ? TRUE : FALSE;
}

BOOL CDialog::EnableWindow(BOOL enable) {
    if (!m_hWnd)
        return FALSE;
    // The system's answer is the one this call promises: TRUE when it was disabled.
    const BOOL wasDisabled = ::EnableWindow(m_hWnd, enable) ? TRUE : FALSE;
    // A window this one owns that went while it was disabled (the "Working..." window of a
    // scan) could hand the activation to no window: this one takes it back, or the
    // keyboard would reach nothing.
    if (enable && wasDisabled && !GetActiveWindow() && ::IsWindowVisible(m_hWnd))
        SetActiveWindow(m_hWnd);
    return wasDisabled;
}

void CDialog::ShowWindow(int showCommand) {
    if (m_hWnd)
        ::ShowWindow(m_hWnd, showCommand);
}

void CDialog::GetClientRect(RECT* rect) const {
    if (!rect)
        return;
    *rect = RECT{};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, rect);
}

void CDialog::GetWindowRect(RECT* rect) const {
    if (!rect)
        return;
    *rect = RECT{};
    if (m_hWnd)
        ::GetWindowRect(m_hWnd, rect);
}

void CDialog::MoveWindow(int x, int y, int width, int height) {
    if (m_hWnd)
        ::MoveWindow(m_hWnd, x, y, width, height, TRUE);
}

CMenu* CDialog::GetSystemMenu(BOOL revert) {
    if (!m_hWnd)
        return nullptr;
    if (revert) {
        ::GetSystemMenu(m_hWnd, TRUE);
        d->systemMenu.reset();
        return nullptr;
    }
    if (!d->systemMenu) {
        d->systemMenu = std::make_unique<CMenu>();
        d->systemMenuBase = GetMenuItemCount(::GetSystemMenu(m_hWnd, FALSE));
    }
    return d->systemMenu.get();
}

void CDialogWindow::MirrorSystemMenu(CDialog& dialog) {
    const CMenu* items = dialog.d->systemMenu.get();
    HMENU menu = items ? ::GetSystemMenu(dialog.m_hWnd, FALSE) : nullptr;
    if (!menu)
        return;
    const int base = dialog.d->systemMenuBase;
    while (GetMenuItemCount(menu) > base)
        DeleteMenu(menu, static_cast<UINT>(base), MF_BYPOSITION);
    for (const CMenu::Item& item : items->Items()) {
        const UINT state =
            (item.enabled ? MF_ENABLED : MF_GRAYED) | (item.checked ? MF_CHECKED : MF_UNCHECKED);
        AppendMenuW(menu, item.flags | state, item.id, WideFromUtf8(item.text.view()).c_str());
    }
}

BOOL CDialog::LoadAccelTable(UINT id) {
    d->accelerators = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    return d->accelerators ? TRUE : FALSE;
}

HWND CDialog::GetDlgItem(int id) const {
    return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr;
}

void CDialog::SetDlgItemText(int id, const CString& text) {
    if (HWND control = GetDlgItem(id))
        ::SetWindowTextW(control, WideFromUtf8(text.view()).c_str());
}

LRESULT CDialog::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return m_hWnd ? ::SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam) : 0;
}

CString CDialog::GetDlgItemText(int id) const {
    return TextOf(GetDlgItem(id));
}

int CDialog::GetFocusId() const {
    // The focus may be inside a control (the list's header): the control is the child of
    // the dialog that holds it.
    HWND focus = GetFocus();
    while (focus && m_hWnd && GetParent(focus) != m_hWnd)
        focus = GetParent(focus);
    return focus && m_hWnd ? GetDlgCtrlID(focus) : 0;
}

void CDialog::GotoDlgCtrl(int id) {
    if (HWND control = GetDlgItem(id))
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}
