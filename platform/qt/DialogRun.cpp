// A CDialog's window: made from the dialog's template, run modally or modelessly, and
// destroyed.
#include "platform/qt/DialogControls.h"
#include "platform/qt/DialogImpl.h"
#include "platform/qt/Handles.h"
#include "platform/qt/QtText.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"

#include <QEventLoop>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QScreen>

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// Classic MulDiv: a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// "MS Sans Serif" and "MS Shell Dlg" are the classic dialog fonts; here they are the
// system's sans-serif font at the same point size.
QFont DialogFont(const char* name, int pointSize) {
    const QString family = ToQString(name ? name : "");
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (!family.isEmpty() && !family.startsWith(QLatin1String("MS "))) {
        font = QFont(family);
        font.setStyleHint(QFont::SansSerif);
    }
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

// One dialog unit is a quarter of the font's average character width (of A-Z a-z) across
// and an eighth of its height down: the pixels of four units across and eight down.
std::pair<int, int> DialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int sample = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {std::max(1, (sample / 26 + 1) / 2), std::max(1, metrics.height())};
}

Qt::WindowFlags WindowFlagsOf(const DialogTemplate& tmpl, bool owned) {
    Qt::WindowFlags flags = (owned ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint;
    if (tmpl.style & WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (tmpl.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tmpl.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (tmpl.style & WS_MAXIMIZEBOX)
        flags |= Qt::WindowMaximizeButtonHint;
    if (!(tmpl.style & WS_THICKFRAME))
        flags |= Qt::MSWindowsFixedSizeDialogHint;
    return flags;
}

// What the window is centred on: a template that asks for the screen's centre (DS_CENTER)
// gets the screen its owner is on; any other owned window its owner; a window without an
// owner the screen.
QRect PlacementArea(const DialogTemplate& tmpl, const QWidget* owner, const QWidget* window) {
    if (owner && !(tmpl.style & DS_CENTER))
        return owner->frameGeometry();
    const QScreen* screen = owner ? owner->screen() : window->screen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

int DefaultButtonId(const DialogTemplate& tmpl) {
    for (const DialogItemTemplate& item : tmpl.items)
        if (item.kind == ControlKind::PushButton && (item.style & BS_DEFPUSHBUTTON))
            return item.id;
    return IDOK;
}

// The window that owns dialog's: parent's, or with none the application's main window,
// unless that is the dialog itself.
QWidget* OwnerWindow(const CWnd* dialog, CWnd* parent) {
    CWnd* owner = parent;
    if (!owner && AfxGetMainWnd() != dialog)
        owner = AfxGetMainWnd();
    QWidget* widget = owner ? WidgetOf(owner->GetSafeHwnd()) : nullptr;
    return widget ? widget->window() : nullptr;
}

void Show(QWidget* window, QWidget* initialFocus, BOOL focusFirst, bool activate) {
    window->show();
    if (activate)
        window->activateWindow();
    if (focusFirst && initialFocus)
        initialFocus->setFocus(Qt::TabFocusReason);
}

} // namespace

BOOL CDialog::CreateWindowFromTemplate(UINT templateId, CWnd* parent, bool modal) {
    if (d->window)
        return FALSE;
    const DialogTemplate* tmpl = AfxFindDialogTemplate(templateId);
    if (!tmpl)
        return FALSE;
    m_nIDTemplate = templateId;
    m_nModalResult = -1;
    d->tmpl = tmpl;
    d->modal = modal;
    d->ended = false;
    d->controls.clear();
    d->systemMenu.reset();
    d->defaultId = DefaultButtonId(*tmpl);

    QWidget* owner = OwnerWindow(this, parent);
    auto* window = new CDialogWindow(this, owner, WindowFlagsOf(*tmpl, owner != nullptr));
    d->window = window;
    m_hWnd = HandleOf(window);
    if (modal && owner)
        window->setWindowModality(Qt::WindowModal);
    window->setWindowTitle(ToQString(tmpl->caption ? tmpl->caption : ""));

    d->font = DialogFont(tmpl->fontName, tmpl->pointSize);
    window->setFont(d->font);
    std::tie(d->baseX, d->baseY) = DialogBaseUnits(d->font);
    RECT client{0, 0, tmpl->cx, tmpl->cy};
    MapDialogRect(&client);
    const bool sizing = tmpl->style & WS_THICKFRAME;
    if (sizing) {
        window->setMinimumSize(client.right, client.bottom);
        window->resize(client.right, client.bottom);
    } else {
        window->setFixedSize(client.right, client.bottom);
    }
    d->layout.Reset(client.right, client.bottom);
    window->SetMadeSize(QSize(client.right, client.bottom));

    const ControlBuildContext context{
        window,
        [this](const DialogItemTemplate& item) {
            RECT r{item.x, item.y, item.x + item.cx, item.y + item.cy};
            MapDialogRect(&r);
            return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        },
        [this](int id, QWidget* button) {
            SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                        reinterpret_cast<LPARAM>(HandleOf(button)));
        }};
    std::vector<QWidget*> widgets;
    for (const DialogItemTemplate& item : tmpl->items) {
        QWidget* control = MakeControl(item, context);
        widgets.push_back(control);
        if (item.id > 0)
            d->controls[item.id] = control;
        if (sizing) {
            const QRect placed = control->geometry();
            d->layout.Add(HandleOf(control),
                          RECT{placed.left(), placed.top(), placed.left() + placed.width(),
                               placed.top() + placed.height()},
                          item.layout);
        }
        window->WatchControl(control);
    }
    d->initialFocus = ApplyTabOrderAndMnemonics(*tmpl, widgets);

    window->move(PlacementArea(*tmpl, owner, window).center() -
                 QPoint(client.right / 2, client.bottom / 2));
    return TRUE;
}

int CDialog::DoModal() {
    if (!CreateWindowFromTemplate(m_nIDTemplate, m_pParentWnd, true))
        return -1;
    const BOOL focusFirst = OnInitDialog();
    if (!d->ended && d->window) {
        Show(d->window, d->initialFocus, focusFirst, true);
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
    if (d->window && (d->tmpl->style & WS_VISIBLE) && !d->ended)
        Show(d->window, d->initialFocus, focusFirst, false);
    return TRUE;
}

void CDialog::BeginModalState() {
    QWidget* window = d->window;
    if (!window)
        return;
    // The toolkit takes a window's modality when it shows it.
    const bool shown = window->isVisible();
    if (shown)
        window->hide();
    window->setWindowModality(Qt::ApplicationModal);
    if (shown)
        window->show();
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

void CDialog::MapDialogRect(RECT* rect) const {
    if (!rect)
        return;
    rect->left = MulDiv(rect->left, d->baseX, 4);
    rect->right = MulDiv(rect->right, d->baseX, 4);
    rect->top = MulDiv(rect->top, d->baseY, 8);
    rect->bottom = MulDiv(rect->bottom, d->baseY, 8);
}
