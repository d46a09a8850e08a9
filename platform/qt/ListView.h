#pragma once
// The list view widget behind CListCtrl (window layer internals).
//
// A table model holding the rows as bytes, shown by a tree view without a tree: one level,
// no decoration, whole rows selected, optional grid lines. Inserting rows one at a time
// stays cheap because the view defers its layout to the next paint.
#include "platform/core/String.h"
#include "platform/core/Types.h"
#include "platform/window/WinDefs.h"

#include <QAbstractTableModel>
#include <QTreeView>

#include <vector>

class CListModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    struct Row {
        std::vector<CString> cells; // one per column
        LPARAM data = 0;
    };

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int InsertColumn(int index, const CString& heading, int format);
    bool RemoveColumn(int index);
    int InsertRow(int position, const CString& text);
    void RemoveAll();
    bool SetText(int row, int column, const CString& text);
    const CString* Text(int row, int column) const;
    bool SetData(int row, LPARAM data);
    LPARAM Data(int row) const;
    // Stable sort of the rows by data; the view's selection follows its rows.
    void Sort(PFNLVCOMPARE compare, LPARAM context);

private:
    struct Column {
        CString heading;
        int format;
    };
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
};

class CListViewWidget final : public QTreeView {
public:
    CListViewWidget(QWidget* parent, unsigned long listStyle);

    CListModel& Model() { return m_model; }
    const CListModel& Model() const { return m_model; }
    void SetGridLines(bool on);
    bool GridLines() const { return m_gridLines; }
    // The width that shows column's widest cell whole, measured on the rows in view and at
    // most a thousand more (the header's resize precision), so that a list of many
    // thousands answers at once.
    int ContentWidth(int column) const { return sizeHintForColumn(column); }
    unsigned long m_extendedStyle = 0;

protected:
    // With LVS_EX_INFOTIP, a tool tip asks the dialog for the cell's text (LVN_GETINFOTIP).
    bool viewportEvent(QEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    // Sends notification (its header first) to the dialog the list is a control of;
    // false when it is no dialog's.
    bool Notify(NMHDR& header, UINT code);

    CListModel m_model;
    bool m_gridLines = false;

};
