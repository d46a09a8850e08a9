#include "platform/window/ListCtrl.h"

#include "platform/qt/Handles.h"
#include "platform/qt/ListView.h"
#include "platform/qt/QtText.h"
#include "platform/window/Styles.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QStyle>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {
CListViewWidget* ViewOf(HWND hwnd) {
    return dynamic_cast<CListViewWidget*>(WidgetOf(hwnd));
}
QHeaderView* HeaderOf(HWND hwnd) {
    return dynamic_cast<QHeaderView*>(WidgetOf(hwnd));
}
} // namespace

struct CListCtrl::Link {
    QPointer<CListViewWidget> view;
    QMetaObject::Connection gone;
    bool owns = false;
};

// ---- Header ----

int CHeaderCtrl::GetItemCount() const {
    QHeaderView* header = HeaderOf(m_hWnd);
    return header ? header->count() : 0;
}

BOOL CHeaderCtrl::GetItem(int index, HDITEM* item) const {
    QHeaderView* header = HeaderOf(m_hWnd);
    if (!header || !item || index < 0 || index >= header->count())
        return FALSE;
    if (item->mask & HDI_WIDTH)
        item->cxy = header->sectionSize(index);
    return TRUE;
}

// ---- Window ----

CListCtrl::CListCtrl() = default;

CListCtrl::~CListCtrl() {
    if (m_link) {
        QObject::disconnect(m_link->gone);
        if (m_link->owns && m_link->view)
            delete m_link->view.data();
    }
}

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (m_hWnd)
        return FALSE;
    QWidget* parentWidget = parent ? WidgetOf(parent->GetSafeHwnd()) : nullptr;
    auto* view = new CListViewWidget(parentWidget, style);
    view->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    view->setProperty(kControlIdProperty, static_cast<int>(id));
    if (parentWidget && (style & WS_VISIBLE))
        view->show();
    Attach(HandleOf(view));
    m_link->owns = parentWidget == nullptr;
    return TRUE;
}

BOOL CListCtrl::Attach(HWND list) {
    CListViewWidget* view = ViewOf(list);
    if (!view || m_hWnd)
        return FALSE;
    m_link = std::make_unique<Link>();
    m_link->view = view;
    // The window may go before this object (its dialog closes); forget it then.
    m_link->gone = QObject::connect(view, &QObject::destroyed, [this] {
        m_hWnd = nullptr;
        m_header.Attach(nullptr);
    });
    m_hWnd = list;
    m_header.Attach(HandleOf(view->header()));
    return TRUE;
}

// ---- Styles and columns ----

DWORD CListCtrl::SetExtendedStyle(DWORD styles) {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view)
        return 0;
    const DWORD previous = static_cast<DWORD>(view->m_extendedStyle);
    view->m_extendedStyle = styles;
    view->SetGridLines(styles & LVS_EX_GRIDLINES);
    // Rows are always selected whole; full-row selection decides whether every cell of a
    // selected row is highlighted, which the view does in either case.
    return previous;
}

DWORD CListCtrl::GetExtendedStyle() const {
    CListViewWidget* view = ViewOf(m_hWnd);
    return view ? static_cast<DWORD>(view->m_extendedStyle) : 0;
}

int CListCtrl::InsertColumn(int index, const char* heading, int format, int width, int) {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view || index < 0)
        return -1;
    const int at = view->Model().InsertColumn(index, CString(heading ? heading : ""), format);
    if (width >= 0)
        view->header()->resizeSection(at, width);
    return at;
}

BOOL CListCtrl::DeleteColumn(int column) {
    CListViewWidget* view = ViewOf(m_hWnd);
    return view && view->Model().RemoveColumn(column) ? TRUE : FALSE;
}

void CListCtrl::SetInfoTipText(NMLVGETINFOTIP* tip, const CString& text) {
    if (!tip || !tip->pszText || tip->cchTextMax <= 0)
        return;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(tip->cchTextMax - 1));
    std::memcpy(tip->pszText, text.GetString(), length);
    tip->pszText[length] = '\0';
}

int CListCtrl::GetColumnWidth(int column) const {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view || column < 0 || column >= view->header()->count())
        return 0;
    return view->header()->sectionSize(column);
}

int CListCtrl::GetStringWidth(const CString& text) const {
    CListViewWidget* view = ViewOf(m_hWnd);
    return view ? view->fontMetrics().horizontalAdvance(ToQString(text.view())) : 0;
}

BOOL CListCtrl::SetColumnWidth(int column, int width) {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view || column < 0 || column >= view->header()->count())
        return FALSE;
    view->header()->resizeSection(column,
                                  width == LVSCW_AUTOSIZE ? view->ContentWidth(column) : width);
    return TRUE;
}

void CListCtrl::GetClientRect(RECT* rect) const {
    if (!rect)
        return;
    *rect = RECT{};
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view)
        return;
    // Worked out from the list's own size rather than read from its viewport, which the
    // toolkit lays out only when it next shows or sizes the list.
    const int frame = 2 * view->frameWidth();
    rect->right = view->width() - frame;
    rect->bottom = view->height() - frame;
    const int rows = view->Model().rowCount();
    const int rowsHeight =
        view->header()->sizeHint().height() + (rows > 0 ? rows * view->sizeHintForRow(0) : 0);
    if (rowsHeight > rect->bottom)
        rect->right -= view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() {
    return m_hWnd ? &m_header : nullptr;
}

// ---- Rows ----

BOOL CListCtrl::DeleteAllItems() {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view)
        return FALSE;
    view->Model().RemoveAll();
    return TRUE;
}

int CListCtrl::GetItemCount() const {
    CListViewWidget* view = ViewOf(m_hWnd);
    return view ? view->Model().rowCount() : 0;
}

int CListCtrl::InsertItem(int position, const CString& text) {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view || position < 0)
        return -1;
    return view->Model().InsertRow(position, text);
}

bool CListCtrl::SetItemText(int row, int column, const CString& text) {
    CListViewWidget* view = ViewOf(m_hWnd);
    return view && view->Model().SetText(row, column, text);
}

bool CListCtrl::SetItemData(int row, LPARAM data) {
    CListViewWidget* view = ViewOf(m_hWnd);
    return view && view->Model().SetData(row, data);
}

LPARAM CListCtrl::GetItemData(int row) const {
    CListViewWidget* view = ViewOf(m_hWnd);
    return view ? view->Model().Data(row) : 0;
}

CString CListCtrl::GetItemText(int row, int column) const {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view)
        return {};
    const CString* text = view->Model().Text(row, column);
    return text ? *text : CString();
}

bool CListCtrl::SortItems(PFNLVCOMPARE compare, LPARAM context) {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view || !compare)
        return false;
    view->Model().Sort(compare, context);
    return true;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view)
        return -1;
    const int count = view->Model().rowCount();
    if (!(flags & LVNI_SELECTED))
        return start + 1 < count ? std::max(start + 1, 0) : -1;
    // The first selected row below start, whatever order the rows were selected in.
    int next = INT_MAX;
    for (const QModelIndex& index : view->selectionModel()->selectedRows())
        if (index.row() > start && index.row() < next)
            next = index.row();
    return next == INT_MAX ? -1 : next;
}

BOOL CListCtrl::SetItemState(int row, UINT state, UINT mask) {
    CListViewWidget* view = ViewOf(m_hWnd);
    if (!view || !(mask & LVIS_SELECTED))
        return FALSE;
    const QModelIndex index = view->Model().index(row, 0);
    if (!index.isValid())
        return FALSE;
    view->selectionModel()->select(
        index,
        ((state & LVIS_SELECTED) ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
            QItemSelectionModel::Rows);
    return TRUE;
}

UINT CListCtrl::GetSelectedCount() const {
    CListViewWidget* view = ViewOf(m_hWnd);
    return view ? static_cast<UINT>(view->selectionModel()->selectedRows().size()) : 0;
}
