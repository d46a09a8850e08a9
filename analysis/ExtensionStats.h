#pragma once
// Per-extension counting and the result table built from it. The main window and the
// scan command share this code: the window's walker hook calls CountFile, its refresh
// builds the table on the list view through IResultRows.
#include "platform/core/Collections.h"
#include "platform/core/ExtensionKey.h"
#include "platform/core/ListRows.h"
#include "platform/core/String.h"
#include "platform/core/Types.h"

#include <string_view>

// CountFile for a file whose extension key is key.
void CountKey(CMapStringToString& counts, int& total, std::string_view key);
// Counts one file under its extension key (see platform/core/ExtensionKey.h): the key's count
// (decimal text, absent = "0") goes up by one, and so does total. Allocates only for a
// key seen for the first time. Counts and total stop at INT_MAX instead of wrapping.
inline void CountFile(CMapStringToString& counts, int& total, std::string_view path) {
    CountKey(counts, total, ExtensionKey(path));
}

// Empties the counts and sets total to 0.
void ResetStats(CMapStringToString& counts, int& total);

using IResultRows = IListRows;

// Columns of the result table.
enum ResultColumn { kColumnSerial = 0, kColumnExtension = 1, kColumnCount = 2, kColumnSize = 3 };

// Larger counts first: returns data2 - data1 (row data are counts). context is ignored.
int RZ_CALLBACK CompareByFileCount(LPARAM data1, LPARAM data2, LPARAM context);

// Appends one row per extension to an empty table: provisional serial (the row's
// position, formatted into serial) in column 0, key, count text, and the count (atoi of
// the text) as row data. Rows are appended in extension byte order so that, with a
// stable sort, rows with equal counts always end up in that order.
void AppendResultRows(const CMapStringToString& counts, IResultRows& rows, CString& serial);
// Sorts with CompareByFileCount.
void SortResultRows(IResultRows& rows);
// Sets column 0 to 1, 2, 3, ... from the top.
void RenumberResultRows(IResultRows& rows);
// All three: on an empty table, the finished table, largest count first, numbered from 1.
void BuildResultTable(const CMapStringToString& counts, IResultRows& rows, CString& serial);
