#pragma once
// A plain in-memory result table.
#include "analysis/ExtensionStats.h"

#include <array>
#include <vector>

class CResultRows : public IResultRows {
public:
    struct Row {
        std::array<CString, 3> cells;
        LPARAM data = 0;
    };

    int GetItemCount() const override { return static_cast<int>(m_rows.size()); }
    int InsertItem(int position, const CString& text) override;
    bool SetItemText(int row, int column, const CString& text) override;
    bool SetItemData(int row, LPARAM data) override;
    bool SortItems(PFNLVCOMPARE compare, LPARAM context) override;
    CString GetItemText(int row, int column) const override;

    const std::vector<Row>& Rows() const { return m_rows; }

private:
    std::vector<Row> m_rows;
};
