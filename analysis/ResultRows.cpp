#include "analysis/ResultRows.h"

#include <algorithm>

int CResultRows::InsertItem(int position, const CString& text) {
    if (position < 0)
        return -1;
    // Like the list view, a position past the end appends.
    const std::size_t at = std::min(static_cast<std::size_t>(position), m_rows.size());
    Row row;
    row.cells[kColumnSerial] = text;
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    return static_cast<int>(at);
}

bool CResultRows::SetItemText(int row, int column, const CString& text) {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= kColumns)
        return false;
    m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)] = text;
    return true;
}

bool CResultRows::SetItemData(int row, LPARAM data) {
    if (row < 0 || row >= GetItemCount())
        return false;
    m_rows[static_cast<std::size_t>(row)].data = data;
    return true;
}

LPARAM CResultRows::GetItemData(int row) const {
    if (row < 0 || row >= GetItemCount())
        return 0;
    return m_rows[static_cast<std::size_t>(row)].data;
}

bool CResultRows::SortItems(PFNLVCOMPARE compare, LPARAM context) {
    if (!compare)
        return false;
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) {
        return compare(a.data, b.data, context) < 0;
    });
    return true;
}

CString CResultRows::GetItemText(int row, int column) const {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= kColumns)
        return CString();
    return m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
}
