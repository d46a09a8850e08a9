#include "platform/qt/ListView.h"

#include "platform/qt/Handles.h"
#include "platform/qt/QtText.h"
#include "platform/window/Dialog.h"
#include "platform/window/Styles.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include <cstdint>

#include <algorithm>
#include <array>
#include <numeric>

namespace {
Qt::Alignment AlignmentOf(int format) {
    switch (format) {
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}
} // namespace

int CListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    if (row >= m_rows.size() || column >= m_columns.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return ToQString(m_rows[row].cells[column].view());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(m_columns[column].format));
    default:
        return {};
    }
}

QVariant CListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        static_cast<std::size_t>(section) >= m_columns.size())
        return {};
    const Column& column = m_columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return ToQString(column.heading.view());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(AlignmentOf(column.format));
    return {};
}

int CListModel::InsertColumn(int index, const CString& heading, int format) {
    index = std::clamp(index, 0, static_cast<int>(m_columns.size()));
    // The first column of a report list is always left aligned.
    if (index == 0)
        format = LVCFMT_LEFT;
    beginInsertColumns({}, index, index);
    m_columns.insert(m_columns.begin() + index, Column{heading, format});
    for (Row& row : m_rows)
        row.cells.insert(row.cells.begin() + index, CString());
    endInsertColumns();
    return index;
}

bool CListModel::RemoveColumn(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_columns.size())
        return false;
    beginRemoveColumns({}, index, index);
    m_columns.erase(m_columns.begin() + index);
    for (Row& row : m_rows)
        if (static_cast<std::size_t>(index) < row.cells.size())
            row.cells.erase(row.cells.begin() + index);
    endRemoveColumns();
    return true;
}

int CListModel::InsertRow(int position, const CString& text) {
    position = std::clamp(position, 0, static_cast<int>(m_rows.size()));
    beginInsertRows({}, position, position);
    Row row;
    row.cells.resize(std::max<std::size_t>(m_columns.size(), 1));
    row.cells[0] = text;
    m_rows.insert(m_rows.begin() + position, std::move(row));
    endInsertRows();
    return position;
}

void CListModel::RemoveAll() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

bool CListModel::SetText(int row, int column, const CString& text) {
    if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return false;
    auto& cells = m_rows[static_cast<std::size_t>(row)].cells;
    if (static_cast<std::size_t>(column) >= cells.size())
        return false;
    cells[static_cast<std::size_t>(column)] = text;
    const QModelIndex changed = index(row, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
    return true;
}

const CString* CListModel::Text(int row, int column) const {
    if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return nullptr;
    const auto& cells = m_rows[static_cast<std::size_t>(row)].cells;
    if (static_cast<std::size_t>(column) >= cells.size())
        return nullptr;
    return &cells[static_cast<std::size_t>(column)];
}

bool CListModel::SetData(int row, LPARAM data) {
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return false;
    m_rows[static_cast<std::size_t>(row)].data = data;
    return true;
}

LPARAM CListModel::Data(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return 0;
    return m_rows[static_cast<std::size_t>(row)].data;
}

void CListModel::Sort(PFNLVCOMPARE compare, LPARAM context) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compare(m_rows[static_cast<std::size_t>(a)].data,
                       m_rows[static_cast<std::size_t>(b)].data, context) < 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newPosition(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(m_rows[static_cast<std::size_t>(order[i])]));
        newPosition[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    m_rows = std::move(sorted);
    // Selection and current row are persistent indexes; move them with their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newPosition[static_cast<std::size_t>(old.row())], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

CListViewWidget::CListViewWidget(QWidget* parent, unsigned long listStyle) : QTreeView(parent) {
    setModel(&m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode((listStyle & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                 : QAbstractItemView::ExtendedSelection);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    // A header click sorts, by the dialog's hand: the list only says which column.
    header()->setSectionsClickable(!(listStyle & LVS_NOSORTHEADER));
    connect(header(), &QHeaderView::sectionClicked, this, [this](int section) {
        NMLISTVIEW click;
        click.iSubItem = section;
        Notify(click.hdr, LVN_COLUMNCLICK);
    });
    header()->setMinimumSectionSize(0);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CListViewWidget::SetGridLines(bool on) {
    m_gridLines = on;
    viewport()->update();
}

bool CListViewWidget::Notify(NMHDR& header, UINT code) {
    CDialog* dialog = CDialog::FromHandle(HandleOf(window()));
    if (!dialog)
        return false;
    header.hwndFrom = HandleOf(this);
    header.idFrom = static_cast<std::uintptr_t>(property(kControlIdProperty).toInt());
    header.code = code;
    dialog->SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return true;
}

bool CListViewWidget::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !(m_extendedStyle & LVS_EX_INFOTIP))
        return QTreeView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex cell = indexAt(help->pos());
    char text[4096] = "";
    NMLVGETINFOTIP tip;
    tip.pszText = text;
    tip.cchTextMax = static_cast<int>(sizeof text);
    tip.iItem = cell.row();
    tip.iSubItem = cell.column();
    tip.lParam = cell.isValid() ? m_model.Data(cell.row()) : 0;
    if (cell.isValid() && Notify(tip.hdr, LVN_GETINFOTIP) && text[0])
        QToolTip::showText(help->globalPos(), ToQString(text), viewport());
    else
        QToolTip::hideText();
    return true;
}

void CListViewWidget::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    if (!m_gridLines)
        return;
    painter->save();
    painter->setPen(palette().color(QPalette::Midlight));
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    const QHeaderView* h = header();
    for (int section = 0; section < h->count(); ++section) {
        const int x = h->sectionViewportPosition(section) + h->sectionSize(section) - 1;
        painter->drawLine(x, r.top(), x, r.bottom());
    }
    painter->restore();
}
