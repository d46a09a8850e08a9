// A CDialog's window on Win32: made by the dialog manager from the template in the
// program's resources, run modally or modelessly, and destroyed; the dialog procedure
// and the message loops.
#include "platform/win32/DialogImpl.h"
#include "platform/window/Resources.h"
#include "platform/window/WinApp.h"

namespace {

// The window that owns dialog's: parent's, or with none the application's main window,
// unless that is the dialog itself.
HWND OwnerHandle(const CWnd* dialog, CWnd* parent) {
    CWnd* owner = parent;
    if (!owner && AfxGetMainWnd() != dialog)
        owner = AfxGetMainWnd();
    return owner ? owner->GetSafeHwnd() : nullptr;
}

// Centres a dialog on its owner, or on the screen's work area when it has none. A template
// that asks for the screen's centre (DS_CENTER) has been placed by the dialog manager.
void Place(HWND hwnd) {
    if (GetWindowLongPtrW(hwnd, GWL_STYLE) & DS_CENTER)
        return;
    RECT area{};
    if (HWND owner = GetWindow(hwnd, GW_OWNER); owner && !IsIconic(owner))
        GetWindowRect(owner, &area);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT own{};
    GetWindowRect(hwnd, &own);
    const int x = area.left + ((area.right - area.left) - (own.right - own.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The list view asks for a row's tool tip with column 0 whatever cell the mouse is on; the
// column under the mouse is the one meant (CListCtrl's contract).
void FillInfoTipColumn(LPARAM lParam) {
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
    const DWORD at = GetMessagePos();
    LVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ScreenToClient(tip->hdr.hwndFrom, &hit.pt);
    if (::SendMessageW(tip->hdr.hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >=
            0 &&
        hit.iItem == tip->iItem)
        tip->iSubItem = hit.iSubItem;
}

// Messages a dialog procedure answers through its return value rather than DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    return message == WM_QUERYDRAGICON || message == WM_INITDIALOG ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

} // namespace

INT_PTR CALLBACK CDialogWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        dialog->m_hWnd = hwnd;
        Place(hwnd);
        PrepareLayout(*dialog);
        const BOOL focusFirst = dialog->OnInitDialog();
        if (dialog->m_hWnd == hwnd)
            MirrorSystemMenu(*dialog);
        return focusFirst;
    }
    CDialog* dialog = DialogOf(hwnd);
    if (!dialog)
        return FALSE;
    switch (message) {
    case WM_SETCURSOR:
        // The busy cursor would turn back into the arrow at the next mouse move.
        if (!WaitCursorShown())
            return FALSE;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_INITMENU:
        MirrorSystemMenu(*dialog);
        return FALSE;
    case WM_GETMINMAXINFO:
        if (dialog->d->minTrackSize.x == 0)
            return FALSE;
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = dialog->d->minTrackSize;
        return TRUE;
    case WM_SIZE:
        // The controls follow first; then the map hears of it.
        if (!dialog->d->layout.IsEmpty() && wParam != SIZE_MINIMIZED) {
            dialog->d->layout.Apply(
                LOWORD(lParam), HIWORD(lParam), [](HWND control, const RECT& place) {
                    SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
                });
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        break;
    case WM_NCDESTROY:
        dialog->WindowGone();
        return FALSE;
    case WM_DROPFILES:
        DeliverDroppedFiles(*dialog, wParam);
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == LVN_GETINFOTIPW)
            FillInfoTipColumn(lParam);
        break;
    default:
        break;
    }
    const AFX_MSGMAP_ENTRY* entry = msgmap::Find(dialog->GetMessageMap(), message, wParam, lParam);
    if (!entry)
        return FALSE;
    const LRESULT result = msgmap::Invoke(*dialog, *entry, wParam, lParam);
    if (ReturnsDirectly(message))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

void CDialogWindow::PrepareLayout(CDialog& dialog) {
    HWND hwnd = dialog.m_hWnd;
    CDialog::Impl& d = *dialog.d;
    d.minTrackSize = POINT{};
    RECT client{};
    ::GetClientRect(hwnd, &client);
    d.layout.Reset(client.right, client.bottom);
    const DialogTemplate* tmpl = AfxFindDialogTemplate(dialog.m_nIDTemplate);
    if (!tmpl || !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_THICKFRAME))
        return;
    for (const DialogItemTemplate& item : tmpl->items) {
        HWND control = item.id > 0 ? ::GetDlgItem(hwnd, item.id) : nullptr;
        if (!control)
            continue;
        RECT place{};
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&place), 2);
        d.layout.Add(control, place, item.layout);
    }
    RECT window{};
    GetWindowRect(hwnd, &window);
    d.minTrackSize = POINT{window.right - window.left, window.bottom - window.top};
}

CDialog* CDialogWindow::DialogOf(HWND hwnd) {
    // Other dialogs (message boxes, the folder chooser) keep their own data in DWLP_USER.
    if (!hwnd || GetClassLongPtrW(hwnd, GCW_ATOM) != reinterpret_cast<ULONG_PTR>(WC_DIALOG))
        return nullptr;
    if (GetWindowLongPtrW(hwnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&Procedure))
        return nullptr;
    return reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

bool CDialogWindow::RouteDialogMessage(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    const CDialog* dialog = DialogOf(root);
    if (!dialog)
        return false;
    // Accelerators first, before any control sees the key.
    if (dialog->d->accelerators && TranslateAcceleratorW(root, dialog->d->accelerators, &msg))
        return true;
    return IsDialogMessageW(root, &msg) != FALSE;
}

CDialog* CDialog::FromHandle(HWND hwnd) {
    return CDialogWindow::DialogOf(hwnd);
}

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDTemplate(templateId), m_pParentWnd(parent), d(std::make_unique<Impl>()) {}

CDialog::~CDialog() {
    // The derived parts are gone by now, so the window goes without WM_DESTROY reaching
    // their handlers; windows normally end through DoModal or DestroyWindow first.
    if (HWND hwnd = m_hWnd) {
        CDialogWindow::EndModalState(*this);
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        ::DestroyWindow(hwnd);
    }
}

BOOL CDialog::CreateWindowFromTemplate(UINT templateId, CWnd* parent, bool modal) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (m_hWnd || !FindResourceW(instance, MAKEINTRESOURCEW(templateId), RT_DIALOG))
        return FALSE;
    m_nIDTemplate = templateId;
    m_nModalResult = -1;
    d->modal = modal;
    d->ended = false;
    d->systemMenu.reset();
    // The dialog manager sends WM_INITDIALOG (OnInitDialog) before it returns, and shows a
    // template with WS_VISIBLE after it.
    HWND owner = OwnerHandle(this, parent);
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner,
                              &CDialogWindow::Procedure, reinterpret_cast<LPARAM>(this))
               ? TRUE
               : FALSE;
}

int CDialog::DoModal() {
    m_nModalResult = -1;
    HWND owner = OwnerHandle(this, m_pParentWnd);
    // The owner takes no input while the dialog runs; disabled first, so that the dialog
    // is the one activated.
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled)
        ::EnableWindow(owner, FALSE);
    if (CreateWindowFromTemplate(m_nIDTemplate, m_pParentWnd, true) && !d->ended) {
        ::ShowWindow(m_hWnd, SW_SHOW);
        MSG msg;
        while (!d->ended && m_hWnd) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0) // WM_QUIT belongs to the outermost loop
                    PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (!CDialogWindow::RouteDialogMessage(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    // Out of sight without handing the activation on (the owner is still disabled, so the
    // system would give it to no window at all), then back to the owner, as the system
    // does for its own dialog boxes.
    if (m_hWnd)
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    if (owner && m_hWnd && GetActiveWindow() == m_hWnd)
        SetActiveWindow(owner);
    DestroyWindow();
    return m_nModalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    return CreateWindowFromTemplate(templateId, parent, false);
}

namespace {
// What BeginModalState looks for among the thread's windows, and what it disabled.
struct ModalSearch {
    HWND self;
    std::vector<HWND>* disabled;
};

BOOL CALLBACK DisableOtherWindow(HWND window, LPARAM data) {
    auto* s = reinterpret_cast<ModalSearch*>(data);
    if (window != s->self && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        ::EnableWindow(window, FALSE);
        s->disabled->push_back(window);
    }
    return TRUE;
}
} // namespace

void CDialog::BeginModalState() {
    if (!m_hWnd)
        return;
    ModalSearch search{m_hWnd, &d->disabledByModalState};
    EnumThreadWindows(GetCurrentThreadId(), DisableOtherWindow, reinterpret_cast<LPARAM>(&search));
}

void CDialogWindow::EndModalState(CDialog& dialog) {
    // Before this window goes, so that the system hands the activation to its owner.
    for (HWND window : dialog.d->disabledByModalState)
        if (IsWindow(window))
            ::EnableWindow(window, TRUE);
    dialog.d->disabledByModalState.clear();
}

BOOL CDialog::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    CDialogWindow::EndModalState(*this);
    // WM_DESTROY reaches the map while the controls still exist; WM_NCDESTROY ends with
    // WindowGone.
    ::DestroyWindow(m_hWnd);
    return TRUE;
}

void CDialog::WindowGone() {
    CDialogWindow::EndModalState(*this);
    SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    m_hWnd = nullptr;
    d->ended = true;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    d->ended = true;
    if (!m_hWnd)
        return;
    // A modal dialog goes when its loop has seen the end, which a posted message makes it
    // look for at once; a modeless one is hidden.
    if (d->modal)
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    else
        ::ShowWindow(m_hWnd, SW_HIDE);
}

void CDialog::MapDialogRect(RECT* rect) const {
    if (rect && m_hWnd)
        ::MapDialogRect(m_hWnd, rect);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd)
        return 0;
    // What the dialog manager does with the messages handlers pass on: a close is Cancel,
    // everything else the system's default.
    if (message == WM_CLOSE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
        return 0;
    }
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CDialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd)
        return WindowProc(message, wParam, lParam);
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_hWnd && ::PostMessageW(m_hWnd, message, wParam, lParam) ? TRUE : FALSE;
}
