// A CDialog's messages on Qt: the default processing, sending and posting. (The message
// map, the dispatch and the data exchange are platform/window/Dialog.cpp.)
#include "platform/qt/DialogImpl.h"
#include "platform/qt/Handles.h"

#include <QPainter>

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDTemplate(templateId), m_pParentWnd(parent), d(std::make_unique<Impl>()) {}

CDialog* CDialog::FromHandle(HWND hwnd) {
    const auto* window = dynamic_cast<CDialogWindow*>(WidgetOf(hwnd));
    return window ? window->Dialog() : nullptr;
}

CDialog::~CDialog() {
    // The derived parts are gone by now, so the window goes without WM_DESTROY reaching
    // their handlers; windows normally end through DoModal or DestroyWindow first.
    if (d->window) {
        d->window->Detach();
        delete d->window.data();
    }
    m_hWnd = nullptr;
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
