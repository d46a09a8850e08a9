#include "platform/Dialog.h"

#include "platform/DataExchange.h"
#include "platform/DialogWindow.h"
#include "platform/ListView.h"
#include "platform/Menu.h"
#include "platform/Resources.h"
#include "platform/Services.h"
#include "platform/Styles.h"
#include "platform/WinApp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QWindow>

#include <map>

namespace {

const char* const kBytesProperty = "rzBytes";
const char* const kIdProperty = "rzControlId";

QWidget* WidgetOf(HWND hwnd) {
    return reinterpret_cast<QWidget*>(hwnd);
}
HWND HandleOf(QWidget* widget) {
    return reinterpret_cast<HWND>(widget);
}

QString Shown(const CString& text) {
    return QString::fromUtf8(text.GetString(), text.GetLength());
}

// Classic MulDiv: a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// "MS Sans Serif" and "MS Shell Dlg" are the classic dialog fonts; here they are the
// system's sans-serif font at the same point size.
QFont DialogFont(const char* name, int pointSize) {
    const QString family = QString::fromUtf8(name ? name : "");
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (!family.isEmpty() && !family.startsWith(QLatin1String("MS "))) {
        font = QFont(family);
        font.setStyleHint(QFont::SansSerif);
    }
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

// A label's "&x" underlines x and hands the focus to the next control that takes it;
// "&&" is a literal ampersand.
QString WithoutMnemonic(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

} // namespace

struct CDialog::Impl {
    QPointer<CDialogWindow> window;
    const DialogTemplate* tmpl = nullptr;
    QFont font;
    int baseX = 1; // average character width, pixels
    int baseY = 1; // character height, pixels
    std::map<int, QWidget*> controls;
    std::unique_ptr<CMenu> systemMenu;
    QEventLoop* loop = nullptr;
    bool ended = false;
    bool modal = false;
    int defaultId = IDOK;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    QWidget* initialFocus = nullptr;
};

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

// ---- Message map and dispatch ----

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
    if (const AFX_MSGMAP_ENTRY* entry = msgmap::Find(GetMessageMap(), message, wParam))
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
        if (auto* painter = reinterpret_cast<QPainter*>(wParam); painter && window)
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

// ---- Creation from the template ----

BOOL CDialog::CreateWindowFromTemplate(UINT templateId, CWnd* parent, bool modal) {
    if (d->window)
        return FALSE;
    const DialogTemplate* tmpl = AfxFindDialogTemplate(templateId);
    if (!tmpl)
        return FALSE;
    m_nIDTemplate = templateId;
    d->tmpl = tmpl;
    d->modal = modal;
    d->ended = false;
    d->controls.clear();
    d->systemMenu.reset();
    m_nModalResult = -1;

    // No owner given: the application's main window owns the dialog, unless it is that
    // window itself.
    CWnd* owner = parent;
    if (!owner && AfxGetMainWnd() != this)
        owner = AfxGetMainWnd();
    QWidget* ownerWidget = owner ? WidgetOf(owner->GetSafeHwnd()) : nullptr;
    if (ownerWidget)
        ownerWidget = ownerWidget->window();

    Qt::WindowFlags flags = (ownerWidget ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint;
    if (tmpl->style & WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (tmpl->style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tmpl->style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (tmpl->style & WS_MAXIMIZEBOX)
        flags |= Qt::WindowMaximizeButtonHint;
    if (!(tmpl->style & WS_THICKFRAME))
        flags |= Qt::MSWindowsFixedSizeDialogHint;

    auto* window = new CDialogWindow(this, ownerWidget, flags);
    d->window = window;
    m_hWnd = HandleOf(window);
    if (modal && ownerWidget)
        window->setWindowModality(Qt::WindowModal);

    d->font = DialogFont(tmpl->fontName, tmpl->pointSize);
    window->setFont(d->font);
    const QFontMetrics metrics(d->font);
    const int sample = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    d->baseX = std::max(1, (sample / 26 + 1) / 2);
    d->baseY = std::max(1, metrics.height());
    window->setWindowTitle(QString::fromUtf8(tmpl->caption ? tmpl->caption : ""));

    RECT client{0, 0, tmpl->cx, tmpl->cy};
    MapDialogRect(&client);
    window->setFixedSize(client.right, client.bottom);

    QWidget* previousTabStop = nullptr;
    std::vector<std::pair<QLabel*, std::size_t>> mnemonicLabels;
    for (std::size_t i = 0; i < tmpl->items.size(); ++i) {
        const DialogItemTemplate& item = tmpl->items[i];
        RECT r{item.x, item.y, item.x + item.cx, item.y + item.cy};
        MapDialogRect(&r);
        const QRect geometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
        const CString text(item.text ? item.text : "");
        QWidget* control = nullptr;
        switch (item.kind) {
        case ControlKind::ListView: {
            auto* list = new CListViewWidget(window, item.style);
            control = list;
            break;
        }
        case ControlKind::Static: {
            auto* label = new QLabel(window);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(true);
            const QString shown = Shown(text);
            if ((item.style & SS_NOPREFIX) || !shown.contains(u'&')) {
                label->setText(shown);
            } else {
                label->setText(shown);
                mnemonicLabels.emplace_back(label, i);
            }
            label->setFocusPolicy(Qt::NoFocus);
            control = label;
            break;
        }
        case ControlKind::Icon: {
            auto* label = new QLabel(window);
            const int iconSize = 32;
            if (CWinApp* app = AfxGetApp()) {
                if (HICON icon = app->LoadIcon(static_cast<UINT>(std::atoi(text.GetString()))))
                    label->setPixmap(
                        reinterpret_cast<QIcon*>(icon)->pixmap(QSize(iconSize, iconSize)));
            }
            label->setFocusPolicy(Qt::NoFocus);
            control = label;
            // An icon control takes the icon's own size, whatever the template says.
            control->setGeometry(QRect(geometry.topLeft(), QSize(iconSize, iconSize)));
            break;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(window);
            edit->setReadOnly(item.style & ES_READONLY);
            edit->setFrame(item.style & WS_BORDER);
            if (item.style & ES_NUMBER)
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]*")), edit));
            edit->setText(Shown(text));
            edit->setProperty(kBytesProperty, QByteArray(text.GetString(), text.GetLength()));
            control = edit;
            break;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(Shown(text), window);
            button->setAutoDefault(false);
            if (item.style & BS_DEFPUSHBUTTON) {
                button->setDefault(true);
                d->defaultId = item.id;
            }
            const int id = item.id;
            QObject::connect(button, &QPushButton::clicked, window, [this, id, button = button] {
                SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                            reinterpret_cast<LPARAM>(HandleOf(button)));
            });
            control = button;
            break;
        }
        }
        if (item.kind != ControlKind::Icon)
            control->setGeometry(geometry);
        control->setProperty(kIdProperty, item.id);
        if (item.kind != ControlKind::Static && item.kind != ControlKind::Icon) {
            if (item.style & WS_TABSTOP) {
                control->setFocusPolicy(Qt::StrongFocus);
                if (previousTabStop)
                    QWidget::setTabOrder(previousTabStop, control);
                previousTabStop = control;
                if (!d->initialFocus)
                    d->initialFocus = control;
            } else {
                control->setFocusPolicy(Qt::ClickFocus);
            }
        }
        if (item.id > 0)
            d->controls[item.id] = control;
        window->WatchControl(control);
    }
    // A label's mnemonic moves the focus to the next control in template order that takes
    // it, as the classic dialogs do.
    for (auto& [label, index] : mnemonicLabels) {
        QWidget* buddy = nullptr;
        for (std::size_t j = index + 1; j < tmpl->items.size() && !buddy; ++j) {
            if (tmpl->items[j].style & WS_TABSTOP && tmpl->items[j].kind != ControlKind::Static) {
                const auto found = d->controls.find(tmpl->items[j].id);
                if (found != d->controls.end())
                    buddy = found->second;
            }
        }
        if (buddy) {
            label->setTextFormat(Qt::AutoText);
            label->setBuddy(buddy);
        } else {
            label->setText(WithoutMnemonic(label->text()));
        }
    }

    // Where the window appears: over its owner, or in the middle of the screen.
    const QRect area = ownerWidget ? ownerWidget->frameGeometry()
                                   : (window->screen() ? window->screen()->availableGeometry()
                                                       : QRect(0, 0, 800, 600));
    window->move(area.center() - QPoint(client.right / 2, client.bottom / 2));
    return TRUE;
}

int CDialog::DoModal() {
    if (!CreateWindowFromTemplate(m_nIDTemplate, m_pParentWnd, true))
        return -1;
    const BOOL focusFirst = OnInitDialog();
    if (!d->ended && d->window) {
        d->window->show();
        d->window->activateWindow();
        if (focusFirst && d->initialFocus)
            d->initialFocus->setFocus(Qt::TabFocusReason);
        QEventLoop loop;
        d->loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        d->loop = nullptr;
    }
    DestroyWindow();
    return m_nModalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (!CreateWindowFromTemplate(templateId, parent, false))
        return FALSE;
    const BOOL focusFirst = OnInitDialog();
    if (d->window && (d->tmpl->style & WS_VISIBLE) && !d->ended) {
        d->window->show();
        if (focusFirst && d->initialFocus)
            d->initialFocus->setFocus(Qt::TabFocusReason);
    }
    return TRUE;
}

BOOL CDialog::DestroyWindow() {
    if (!d->window)
        return FALSE;
    // The window's destructor sends WM_DESTROY (WindowGone) while the controls exist.
    delete d->window.data();
    return TRUE;
}

void CDialog::WindowGone() {
    SendMessage(WM_DESTROY);
    d->controls.clear();
    d->initialFocus = nullptr;
    d->window = nullptr;
    m_hWnd = nullptr;
    if (d->loop)
        d->loop->exit();
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    d->ended = true;
    // The window goes out of sight at once; a modal one is destroyed when its loop has
    // returned.
    if (d->window)
        d->window->hide();
    if (d->loop)
        d->loop->exit();
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

// ---- Window services ----

void CDialog::SetWindowText(const char* text) {
    if (d->window)
        d->window->setWindowTitle(QString::fromUtf8(text ? text : ""));
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
                merged = *reinterpret_cast<QIcon*>(h);
        d->window->setWindowIcon(merged);
    }
    return previous;
}

HICON CDialog::GetIcon(BOOL bigIcon) const {
    return bigIcon ? d->bigIcon : d->smallIcon;
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

BOOL CDialog::EnableWindow(BOOL enable) {
    if (!d->window)
        return FALSE;
    const BOOL wasDisabled = d->window->isEnabled() ? FALSE : TRUE;
    d->window->setEnabled(enable != FALSE);
    return wasDisabled;
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

void CDialog::MapDialogRect(RECT* rect) const {
    if (!rect)
        return;
    rect->left = MulDiv(rect->left, d->baseX, 4);
    rect->right = MulDiv(rect->right, d->baseX, 4);
    rect->top = MulDiv(rect->top, d->baseY, 8);
    rect->bottom = MulDiv(rect->bottom, d->baseY, 8);
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

HWND CDialog::GetDlgItem(int id) const {
    const auto found = d->controls.find(id);
    return found == d->controls.end() ? nullptr : HandleOf(found->second);
}

void CDialog::SetDlgItemText(int id, const CString& text) {
    QWidget* control = WidgetOf(GetDlgItem(id));
    if (!control)
        return;
    const QString shown = Shown(text);
    if (auto* edit = dynamic_cast<QLineEdit*>(control)) {
        edit->setText(shown);
        edit->setCursorPosition(0);
    } else if (auto* label = dynamic_cast<QLabel*>(control)) {
        label->setText(shown);
    } else if (auto* button = dynamic_cast<QPushButton*>(control)) {
        button->setText(shown);
    }
    control->setProperty(kBytesProperty, QByteArray(text.GetString(), text.GetLength()));
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
    const QByteArray bytes = control->property(kBytesProperty).toByteArray();
    if (QString::fromUtf8(bytes) == shown)
        return CString(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const QByteArray typed = shown.toUtf8();
    return CString(typed.constData(), static_cast<std::size_t>(typed.size()));
}

int CDialog::GetFocusId() const {
    if (!d->window)
        return 0;
    QWidget* focus = d->window->focusWidget();
    return focus ? focus->property(kIdProperty).toInt() : 0;
}

void CDialog::GotoDlgCtrl(int id) {
    if (QWidget* control = WidgetOf(GetDlgItem(id)))
        control->setFocus(Qt::OtherFocusReason);
}

int CDialog::MessageBox(const char* text, const char* caption, UINT type) {
    MessageBoxRequest request;
    request.owner = this;
    request.text = CString(text ? text : "");
    if (caption)
        request.caption = CString(caption);
    else if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName)
        request.caption = CString(app->m_pszAppName);
    request.type = type;
    return MessageBoxService().Show(request);
}

// ---- The widget ----

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
        info.iCtrlId = target->property(kIdProperty).toInt();
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
        QAction* action = menu.addAction(Shown(item.text));
        action->setData(item.id);
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
