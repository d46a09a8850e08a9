#include "platform/qt/DialogWindow.h"

#include "platform/qt/DialogImpl.h"
#include "platform/qt/Handles.h"
#include "platform/qt/QtText.h"
#include "platform/window/Menu.h"
#include "platform/window/Styles.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

namespace {

// The entry of table that key with mods stands for, or null. Virtual-key entries of
// letters, digits and function keys are understood; Qt's codes for letters and digits are
// the virtual-key codes.
const ACCEL* FindAccelerator(std::span<const ACCEL> table, int key, Qt::KeyboardModifiers mods) {
    WORD virtualKey = 0;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        virtualKey = static_cast<WORD>(key);
    else if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        virtualKey = static_cast<WORD>(VK_F1 + (key - Qt::Key_F1));
    else
        return nullptr;
    const BYTE fVirt = FVIRTKEY | (mods & Qt::ControlModifier ? FCONTROL : 0) |
                       (mods & Qt::ShiftModifier ? FSHIFT : 0) |
                       (mods & Qt::AltModifier ? FALT : 0);
    for (const ACCEL& entry : table)
        if (entry.fVirt == fVirt && entry.key == virtualKey)
            return &entry;
    return nullptr;
}

} // namespace

CDialogWindow::CDialogWindow(CDialog* dialog, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), m_dialog(dialog) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    installEventFilter(this);
}

CDialogWindow::~CDialogWindow() {
    if (m_moving)
        EndMove(true);
    // Teardown: the dialog hears WM_DESTROY while the controls still exist.
    if (CDialog* dialog = m_dialog) {
        m_dialog = nullptr;
        dialog->WindowGone();
    }
}

void CDialogWindow::WatchControl(QWidget* control) {
    control->installEventFilter(this);
}

bool CDialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && m_dialog) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_moving)
            return HandleMoveKey(key);
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && HandleKey(widget, key))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool CDialogWindow::HandleKey(QWidget* target, QKeyEvent* event) {
    CDialog* dialog = m_dialog;
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    // Before any control sees the key, as the classic message loop translates them.
    if (const ACCEL* accel = FindAccelerator(dialog->d->accelerators, key, mods)) {
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(accel->cmd, 1), 0);
        return true;
    }
    if (key == Qt::Key_Escape && mods == Qt::NoModifier) {
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(IDCANCEL), BN_CLICKED));
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
        if (auto* button = qobject_cast<QPushButton*>(target)) {
            button->click();
        } else {
            const int id = dialog->d->defaultId;
            dialog->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED));
        }
        return true;
    }
    if (key == Qt::Key_F1 && mods == Qt::NoModifier) {
        HELPINFO info;
        info.iCtrlId = target->property(kControlIdProperty).toInt();
        const QPoint cursor = QCursor::pos();
        info.MousePos = POINT{cursor.x(), cursor.y()};
        dialog->SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        return true;
    }
    if ((key == Qt::Key_Space && mods == Qt::AltModifier) ||
        (key == Qt::Key_Menu && mods == Qt::NoModifier)) {
        ShowSystemMenu(mapToGlobal(QPoint(0, 0)));
        return true;
    }
    if (key == Qt::Key_F4 && mods == Qt::AltModifier) {
        dialog->SendMessage(WM_SYSCOMMAND, SC_CLOSE);
        return true;
    }
    return false;
}

void CDialogWindow::closeEvent(QCloseEvent* event) {
    // The close box asks; whether the window ends is the dialog's decision.
    event->ignore();
    if (m_dialog)
        m_dialog->SendMessage(WM_SYSCOMMAND, SC_CLOSE);
}

void CDialogWindow::paintEvent(QPaintEvent* event) {
    if (!m_dialog) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QPainter* outer = m_painter;
    m_painter = &painter;
    m_dialog->SendMessage(WM_PAINT);
    m_painter = outer;
}

void CDialogWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_dialog)
        return;
    m_dialog->d->layout.Apply(width(), height(), [](HWND control, const RECT& place) {
        WidgetOf(control)->setGeometry(place.left, place.top, place.right - place.left,
                                       place.bottom - place.top);
    });
    if (size() == m_sizeSent)
        return;
    m_sizeSent = size();
    m_dialog->SendMessage(WM_SIZE, SIZE_RESTORED,
                          MAKELPARAM(static_cast<WORD>(width()), static_cast<WORD>(height())));
}

void CDialogWindow::contextMenuEvent(QContextMenuEvent* event) {
    // Only the dialog's free area (and its labels) opens the system menu.
    QWidget* below = childAt(event->pos());
    if (below && !qobject_cast<QLabel*>(below)) {
        event->ignore();
        return;
    }
    ShowSystemMenu(event->globalPos());
}

void CDialogWindow::ShowSystemMenu(const QPoint& globalPos) {
    if (!m_dialog)
        return;
    CMenu* source = m_dialog->GetSystemMenu(FALSE);
    QMenu menu(this);
    const bool minimised = isMinimized();
    for (const CMenu::Item& item : source->Items()) {
        if (item.flags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(ToQString(item.text.view()));
        action->setData(item.id);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        bool enabled = item.enabled;
        if (item.id == SC_RESTORE)
            enabled = enabled && minimised;
        if (item.id == SC_MINIMIZE)
            enabled = enabled && !minimised;
        action->setEnabled(enabled);
    }
    QPointer<CDialogWindow> self(this);
    QAction* chosen = menu.exec(globalPos);
    if (chosen && self && m_dialog)
        m_dialog->SendMessage(WM_SYSCOMMAND, chosen->data().toUInt());
}

void CDialogWindow::BeginMove() {
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_moving = true;
    m_moveStartPos = pos();
    m_moveStartCursor = QCursor::pos();
    grabMouse(Qt::SizeAllCursor);
    grabKeyboard();
}

void CDialogWindow::EndMove(bool keep) {
    if (!m_moving)
        return;
    m_moving = false;
    releaseMouse();
    releaseKeyboard();
    if (!keep)
        move(m_moveStartPos);
}

bool CDialogWindow::HandleMoveKey(QKeyEvent* event) {
    const int step = 8;
    switch (event->key()) {
    case Qt::Key_Left:
        move(pos() + QPoint(-step, 0));
        break;
    case Qt::Key_Right:
        move(pos() + QPoint(step, 0));
        break;
    case Qt::Key_Up:
        move(pos() + QPoint(0, -step));
        break;
    case Qt::Key_Down:
        move(pos() + QPoint(0, step));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EndMove(true);
        break;
    case Qt::Key_Escape:
        EndMove(false);
        break;
    default:
        break;
    }
    return true;
}

void CDialogWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_moving)
        move(m_moveStartPos + (event->globalPosition().toPoint() - m_moveStartCursor));
    else
        QWidget::mouseMoveEvent(event);
}

void CDialogWindow::mousePressEvent(QMouseEvent* event) {
    if (m_moving)
        EndMove(true);
    else
        QWidget::mousePressEvent(event);
}
