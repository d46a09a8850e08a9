// A CDialog's messages: the message map, the dispatch through it and the default
// processing, sending and posting, and the data exchange.
#include "platform/qt/DialogImpl.h"
#include "platform/qt/Handles.h"
#include "platform/window/DataExchange.h"

#include <QPainter>

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDTemplate(templateId), m_pParentWnd(parent), d(std::make_unique<Impl>()) {}

CDialog::~CDialog() {
    // The derived parts are gone by now, so the window goes without WM_DESTROY reaching
    // their handlers; windows normally end through DoModal or DestroyWindow first.
    if (d->window) {
        d->window->Detach();
        delete d->window.data();
    }
    m_hWnd = nullptr;
}

const AFX_MSGMAP* CDialog::GetThisMessageMap() {
    static constexpr AFX_MSGMAP_ENTRY entries[] = {
        msgmap::Command<&CDialog::OnOK>(IDOK),
        msgmap::Command<&CDialog::OnCancel>(IDCANCEL),
    };
    static_assert(msgmap::HasNoDuplicates(entries));
    static constexpr AFX_MSGMAP map{nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CDialog::GetMessageMap() const {
    return GetThisMessageMap();
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const AFX_MSGMAP_ENTRY* entry = msgmap::Find(GetMessageMap(), message, wParam, lParam))
        return msgmap::Invoke(*this, *entry, wParam, lParam);
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CDialogWindow* window = d->window;
    switch (message) {
    case WM_SYSCOMMAND:
        if (!window)
            return 0;
        switch (static_cast<UINT>(wParam) & 0xFFF0) {
        case SC_CLOSE:
            SendMessage(WM_CLOSE);
            break;
        case SC_MINIMIZE:
            window->showMinimized();
            break;
        case SC_RESTORE:
            window->showNormal();
            break;
        case SC_MOVE:
            window->BeginMove();
            break;
        default:
            break;
        }
        return 0;
    case WM_CLOSE:
        // A dialog closes the way Esc does.
        SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED));
        return 0;
    case WM_ICONERASEBKGND:
        if (QPainter* painter = PainterOf(reinterpret_cast<HDC>(wParam)); painter && window)
            painter->fillRect(window->rect(), window->palette().window());
        return 1;
    default:
        // Painting, destruction, help and the rest need nothing beyond what the widgets do.
        (void)lParam;
        return 0;
    }
}

void CDialog::OnSysCommand(UINT id, LPARAM param) {
    DefWindowProc(WM_SYSCOMMAND, id, param);
}
void CDialog::OnPaint() {
    DefWindowProc(WM_PAINT, 0, 0);
}
void CDialog::OnDestroy() {
    DefWindowProc(WM_DESTROY, 0, 0);
}

LRESULT CDialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowProc(message, wParam, lParam);
}

BOOL CDialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    CDialogWindow* window = d->window;
    if (!window)
        return FALSE;
    // The window is the context: a message still queued when it goes is dropped.
    return QMetaObject::invokeMethod(
               window, [this, message, wParam, lParam] { SendMessage(message, wParam, lParam); },
               Qt::QueuedConnection)
               ? TRUE
               : FALSE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    if (!d->window)
        return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.m_failed ? FALSE : TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}
