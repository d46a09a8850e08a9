#pragma once
// A plain in-memory result table: what the scan command prints from and what tests build
// and read tables with. The window uses its list view instead.
#include "analysis/ExtensionStats.h"

#include <array>
#include <deque>

class CResultRows : public IResultRows {
public:
    static constexpr int kColumns = 4; // the size column stays empty unless filled

    struct Row {
        std::array<CString, kColumns> cells;
        LPARAM data = 0;
    };

    int GetItemCount() const override { return static_cast<int>(m_rows.size()); }
    // A negative position fails (-1); a position past the end appends, as in the list view.
    int InsertItem(int position, const CString& text) override;
    // False for a row or column out of range.
    bool SetItemText(int row, int column, const CString& text) override;
    bool SetItemData(int row, LPARAM data) override;
    LPARAM GetItemData(int row) const override;
    // Stable: rows the comparator calls equal keep their order. False without a comparator.
    bool SortItems(PFNLVCOMPARE compare, LPARAM context) override;
    CString GetItemText(int row, int column) const override;

    const std::deque<Row>& Rows() const { return m_rows; }

private:
    // A deque grows a block at a time: a table of many rows never holds its rows twice
    // while it grows.
    std::deque<Row> m_rows;
};
