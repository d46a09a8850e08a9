#pragma once
// Per-extension counting and the result table built from it. The main window and the
// scan command share this code: the window's walker hook calls CountFile, its refresh
// builds the table on the list view through IResultRows.
#include "platform/Collections.h"
#include "platform/ListRows.h"
#include "platform/String.h"
#include "platform/Types.h"

#include <string_view>

// Counts one file under its extension key: the key's count (decimal text, absent = "0")
// goes up by one, and so does total.
void CountFile(CMapStringToString& counts, int& total, std::string_view path);

// Empties the counts and sets total to 0.
void ResetStats(CMapStringToString& counts, int& total);

using IResultRows = IListRows;

// Columns of the result table.
enum ResultColumn { kColumnSerial = 0, kColumnExtension = 1, kColumnCount = 2 };

// Larger counts first: returns data2 - data1. context is ignored.
int CompareByFileCount(LPARAM data1, LPARAM data2, LPARAM context);

// Appends one row per extension to an empty table: provisional serial (the row's
// position) in column 0, key, count text, and the count as row data. Rows are appended
// in extension byte order so that equal counts always end up in the same order.
void AppendResultRows(const CMapStringToString& counts, IResultRows& rows, CString& serial);
// Sorts with CompareByFileCount.
void SortResultRows(IResultRows& rows);
// Sets column 0 to 1, 2, 3, ... from the top.
void RenumberResultRows(IResultRows& rows);
// All three.
void BuildResultTable(const CMapStringToString& counts, IResultRows& rows, CString& serial);
