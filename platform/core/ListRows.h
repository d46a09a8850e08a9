#pragma once
// The row operations a result table is built and read with. The list view control
// implements them; tests and the scan command use a plain in-memory table.
#include "platform/core/String.h"
#include "platform/core/Types.h"

class IListRows {
public:
    virtual ~IListRows() = default;
    virtual int GetItemCount() const = 0;
    // Inserts a row at position (0..count) with column 0 = text and row data 0; returns
    // the new row's index, or -1.
    virtual int InsertItem(int position, const CString& text) = 0;
    virtual bool SetItemText(int row, int column, const CString& text) = 0;
    virtual bool SetItemData(int row, LPARAM data) = 0;
    // The row's data; 0 for a row out of range.
    virtual LPARAM GetItemData(int row) const = 0;
    // Reorders the rows by their data; a negative comparator result puts the row of the
    // first value first. Rows that compare equal keep their relative order.
    virtual bool SortItems(PFNLVCOMPARE compare, LPARAM context) = 0;
    // The cell's text exactly as it was set, or empty for a row or column out of range.
    virtual CString GetItemText(int row, int column) const = 0;
};
