// A CDialog's window services on Qt: title, icons, state, controls and their texts, the
// system menu.
#include "platform/qt/DialogImpl.h"
#include "platform/qt/Handles.h"
#include "platform/qt/QtText.h"
#include "platform/window/Services.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

void CDialog::SetWindowText(const char* text) {
    if (d->window)
        d->window->setWindowTitle(ToQString(text ? text : ""));
}

CString CDialog::GetWindowText() const {
    if (!d->window)
        return {};
    return CString(d->window->windowTitle().toUtf8().toStdString());
}

HICON CDialog::SetIcon(HICON icon, BOOL bigIcon) {
    HICON& slot = bigIcon ? d->bigIcon : d->smallIcon;
    HICON previous = slot;
    slot = icon;
    if (d->window) {
        // The toolkit keeps one icon with several sizes; the big one wins when both differ.
        QIcon merged;
        for (HICON h : {d->smallIcon, d->bigIcon})
            if (h)
                merged = *IconOf(h);
        d->window->setWindowIcon(merged);
    }
    return previous;
}

BOOL CDialog::IsIconic() const {
    return d->window && d->window->isMinimized() ? TRUE : FALSE;
}
BOOL CDialog::IsWindowVisible() const {
    return d->window && d->window->isVisible() ? TRUE : FALSE;
}
BOOL CDialog::IsWindowEnabled() const {
    return d->window && d->window->isEnabled() ? TRUE : FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
    QWidget* widget = WidgetOf(window);
    if (!widget)
        return FALSE;
    const BOOL wasDisabled = widget->isEnabled() ? FALSE : TRUE;
    widget->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CDialog::EnableWindow(BOOL enable) {
    return d->window ? ::EnableWindow(m_hWnd, enable) : FALSE;
}

void CDialog::ShowWindow(int showCommand) {
    if (!d->window)
        return;
    if (showCommand == 0)
        d->window->hide();
    else if (showCommand == SW_SHOWMAXIMIZED)
        d->window->showMaximized();
    else
        d->window->show();
}

void CDialog::GetClientRect(RECT* rect) const {
    if (!rect)
        return;
    *rect = RECT{};
    if (d->window) {
        rect->right = d->window->width();
        rect->bottom = d->window->height();
    }
}

void CDialog::GetWindowRect(RECT* rect) const {
    if (!rect)
        return;
    *rect = RECT{};
    if (d->window) {
        const QRect frame = d->window->frameGeometry();
        *rect = RECT{frame.left(), frame.top(), frame.left() + frame.width(),
                     frame.top() + frame.height()};
    }
}

void CDialog::MoveWindow(int x, int y, int width, int height) {
    QWidget* window = d->window;
    if (!window)
        return;
    // The toolkit sizes the inside of a window and places its frame.
    const QRect frame = window->frameGeometry();
    const QRect inside = window->geometry();
    window->resize(width - (frame.width() - inside.width()),
                   height - (frame.height() - inside.height()));
    window->move(x, y);
}

CMenu* CDialog::GetSystemMenu(BOOL revert) {
    if (revert || !d->systemMenu) {
        d->systemMenu = std::make_unique<CMenu>();
        const DWORD style = d->tmpl ? d->tmpl->style : 0;
        if (style & WS_MINIMIZEBOX)
            d->systemMenu->AppendMenu(MF_STRING, SC_RESTORE, "&Restore");
        d->systemMenu->AppendMenu(MF_STRING, SC_MOVE, "&Move");
        if (style & WS_MINIMIZEBOX)
            d->systemMenu->AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
        d->systemMenu->AppendMenu(MF_SEPARATOR);
        d->systemMenu->AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
        if (revert)
            return nullptr;
    }
    return d->systemMenu.get();
}

BOOL CDialog::LoadAccelTable(UINT id) {
    d->accelerators = AfxFindAccelerators(id);
    return d->accelerators.empty() ? FALSE : TRUE;
}

HWND CDialog::GetDlgItem(int id) const {
    const auto found = d->controls.find(id);
    return found == d->controls.end() ? nullptr : HandleOf(found->second);
}

void CDialog::SetDlgItemText(int id, const CString& text) {
    QWidget* control = WidgetOf(GetDlgItem(id));
    if (!control)
        return;
    const QString shown = ToQString(text.view());
    if (auto* edit = dynamic_cast<QLineEdit*>(control)) {
        edit->setText(shown);
        edit->setCursorPosition(0);
    } else if (auto* label = dynamic_cast<QLabel*>(control)) {
        label->setText(shown);
    } else if (auto* button = dynamic_cast<QPushButton*>(control)) {
        button->setText(shown);
    }
    control->setProperty(kControlBytesProperty, ToQByteArray(text.view()));
}

LRESULT CDialog::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* bar = dynamic_cast<QProgressBar*>(WidgetOf(GetDlgItem(id)));
    if (!bar)
        return 0;
    // What the classic progress bar answers: the range or position it had before.
    const int position = bar->value();
    switch (message) {
    case PBM_SETRANGE32: {
        const LRESULT previous =
            MAKELPARAM(static_cast<WORD>(bar->minimum()), static_cast<WORD>(bar->maximum()));
        bar->setRange(static_cast<int>(wParam), static_cast<int>(lParam));
        return previous;
    }
    case PBM_SETPOS:
        bar->setValue(static_cast<int>(wParam));
        return position;
    case PBM_GETPOS:
        return position;
    default:
        return 0;
    }
}

CString CDialog::GetDlgItemText(int id) const {
    QWidget* control = WidgetOf(GetDlgItem(id));
    if (!control)
        return {};
    QString shown;
    if (auto* edit = dynamic_cast<QLineEdit*>(control))
        shown = edit->text();
    else if (auto* label = dynamic_cast<QLabel*>(control))
        shown = label->text();
    else if (auto* button = dynamic_cast<QPushButton*>(control))
        shown = button->text();
    // The bytes last set come back unchanged while the screen still shows them: a name
    // that is not valid UTF-8 must not turn into replacement characters on the way back.
    const QByteArray bytes = control->property(kControlBytesProperty).toByteArray();
    if (QString::fromUtf8(bytes) == shown)
        return CString(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const QByteArray typed = shown.toUtf8();
    return CString(typed.constData(), static_cast<std::size_t>(typed.size()));
}

int CDialog::GetFocusId() const {
    if (!d->window)
        return 0;
    QWidget* focus = d->window->focusWidget();
    return focus ? focus->property(kControlIdProperty).toInt() : 0;
}

void CDialog::GotoDlgCtrl(int id) {
    if (QWidget* control = WidgetOf(GetDlgItem(id)))
        control->setFocus(Qt::OtherFocusReason);
}
