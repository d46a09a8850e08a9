#pragma once
// Bytes per extension, beside the counts of ExtensionStats.h: what the files of each
// extension take, and how many of them could not be examined (their size is unknown, so
// the bytes are a lower bound: "at least").
#include "analysis/ExtensionStats.h"
#include "platform/core/String.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

struct SizeTotal {
    std::uint64_t bytes = 0;   // the known sizes, summed; stops at the largest value
    std::uint64_t unknown = 0; // files whose size is unknown
    // One more file: its size, or none when it is unknown.
    void Add(std::optional<std::uint64_t> size);
};

class CExtensionSizes {
public:
    // One more file of extension key, which counts must already hold (CountFile first):
    // the key's bytes are shared with the count's, never held twice. Allocates only for a
    // key seen for the first time.
    void Add(const CMapStringToString& counts, std::string_view key,
             std::optional<std::uint64_t> size);
    // The key's total, or null when no file of it was added.
    const SizeTotal* Find(std::string_view key) const;
    // Every file added.
    const SizeTotal& Total() const { return m_total; }
    void Clear();

private:
    std::unordered_map<CString, SizeTotal, CStringHash, CStringEqual> m_map;
    SizeTotal m_total;
};

// CountFile, and the file's size added under the same key.
void CountFileAndSize(CMapStringToString& counts, int& total, CExtensionSizes& sizes,
                      std::string_view path, std::optional<std::uint64_t> size);

// How a size is written: for the eye ("1.4 MB", NumberText.h's ReadableSize), or as the
// exact number of bytes ("1468006"). Either gets "at least " before it when some sizes
// are unknown.
enum class SizeWriting { Readable, Bytes };
std::string SizeText(const SizeTotal& size, SizeWriting how);
// The exact bytes for a tool tip: "1,468,006 bytes", or "at least 1,468,006 bytes (2 files
// could not be examined)".
std::string SizeDetails(const SizeTotal& size);

// Sets the size column (kColumnSize) of every row from sizes, by the row's extension;
// a row whose extension sizes do not know gets an empty cell.
void FillSizeColumn(const CExtensionSizes& sizes, IResultRows& rows, SizeWriting how);

// The order the table shows: by one column, up or down. Ties come in the order of the
// serials (a count's rank), reversed with the direction, so that reversing an order turns
// the table exactly upside down. Sorting by count downwards is the order of a fresh
// table, the same as by serial upwards.
struct TableOrder {
    int column = kColumnCount;
    bool descending = true;
};
// The order after a click on column's header: that column in its first direction (up for
// the serial and the extension, down for the count and the size), or, when the table is
// already in that order, the reverse.
TableOrder NextOrder(TableOrder current, int column);
// Reorders the rows: serials as numbers, extensions by their bytes, counts by the row
// data, sizes by the bytes sizes know for the row's extension (null: sizes play no part,
// as if all were equal). Row data stay the counts; rows carry their cells along.
void SortResultRowsBy(IResultRows& rows, TableOrder order, const CExtensionSizes* sizes);
