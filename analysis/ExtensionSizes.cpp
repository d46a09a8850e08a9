#include "analysis/ExtensionSizes.h"

#include "platform/core/ExtensionKey.h"
#include "platform/core/NumberText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <limits>
#include <vector>

void SizeTotal::Add(std::optional<std::uint64_t> size) {
    if (!size) {
        ++unknown;
        return;
    }
    bytes = *size > std::numeric_limits<std::uint64_t>::max() - bytes
                ? std::numeric_limits<std::uint64_t>::max()
                : bytes + *size;
}

void CExtensionSizes::Add(const CMapStringToString& counts, std::string_view key,
                          std::optional<std::uint64_t> size) {
    m_total.Add(size);
    if (const auto it = m_map.find(key); it != m_map.end()) {
        it->second.Add(size);
        return;
    }
    const CString* shared = counts.PLookupKey(key);
    m_map.emplace(shared ? *shared : CString(key), SizeTotal{}).first->second.Add(size);
}

const SizeTotal* CExtensionSizes::Find(std::string_view key) const {
    const auto it = m_map.find(key);
    return it == m_map.end() ? nullptr : &it->second;
}

void CExtensionSizes::Clear() {
    m_map.clear();
    m_total = {};
}

void CountFileAndSize(CMapStringToString& counts, int& total, CExtensionSizes& sizes,
                      std::string_view path, std::optional<std::uint64_t> size) {
    const std::string_view key = ExtensionKey(path);
    CountKey(counts, total, key);
    sizes.Add(counts, key, size);
}

std::string SizeText(const SizeTotal& size, SizeWriting how) {
    std::string text = size.unknown > 0 ? "at least " : "";
    return text +
           (how == SizeWriting::Readable ? ReadableSize(size.bytes) : std::to_string(size.bytes));
}

std::string SizeDetails(const SizeTotal& size) {
    std::string text = GroupDigits(size.bytes) + (size.bytes == 1 ? " byte" : " bytes");
    if (size.unknown == 0)
        return text;
    return "at least " + text + " (" + GroupDigits(size.unknown) +
           (size.unknown == 1 ? " file" : " files") + " could not be examined)";
}

void FillSizeColumn(const CExtensionSizes& sizes, IResultRows& rows, SizeWriting how) {
    const int count = rows.GetItemCount();
    for (int row = 0; row < count; ++row) {
        const SizeTotal* size = sizes.Find(rows.GetItemText(row, kColumnExtension).view());
        rows.SetItemText(row, kColumnSize, size ? CString(SizeText(*size, how)) : CString());
    }
}

namespace {

// Where the rows are normalised: down by count is up by serial, and up by count is down by
// serial, since serials are the ranks of the counts.
TableOrder Normal(TableOrder order) {
    if (order.column == kColumnCount)
        return {kColumnSerial, !order.descending};
    return order;
}

bool FirstDown(int column) {
    return column == kColumnCount || column == kColumnSize;
}

struct RowKeys {
    int serial = 0;
    CString extension;
    LPARAM count = 0;
    SizeTotal size;
};

struct Sorting {
    TableOrder order;
    const std::vector<RowKeys>* keys;
};

int Sign(auto a, auto b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int RZ_CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM context) {
    const auto* sorting = reinterpret_cast<const Sorting*>(context);
    const RowKeys& x = (*sorting->keys)[static_cast<std::size_t>(a)];
    const RowKeys& y = (*sorting->keys)[static_cast<std::size_t>(b)];
    int order = 0;
    switch (sorting->order.column) {
    case kColumnExtension:
        order = Sign(x.extension.view(), y.extension.view());
        break;
    case kColumnCount:
        order = Sign(x.count, y.count);
        break;
    case kColumnSize:
        // "at least" a size goes above the size itself.
        order = x.size.bytes != y.size.bytes ? Sign(x.size.bytes, y.size.bytes)
                                             : Sign(x.size.unknown, y.size.unknown);
        break;
    default:
        break;
    }
    if (order == 0) // ties by rank: down by count is up by serial
        order = sorting->order.column == kColumnCount ? Sign(y.serial, x.serial)
                                                      : Sign(x.serial, y.serial);
    return sorting->order.descending ? -order : order;
}

int SerialOf(const CString& text) {
    int value = 0;
    std::from_chars(text.GetString(), text.GetString() + text.size(), value);
    return value;
}

} // namespace

TableOrder NextOrder(TableOrder current, int column) {
    TableOrder next{column, FirstDown(column)};
    const TableOrder a = Normal(next), b = Normal(current);
    if (a.column == b.column && a.descending == b.descending)
        next.descending = !next.descending;
    return next;
}

void SortResultRowsBy(IResultRows& rows, TableOrder order, const CExtensionSizes* sizes) {
    const int count = rows.GetItemCount();
    std::vector<RowKeys> keys(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        RowKeys& k = keys[static_cast<std::size_t>(row)];
        k.serial = SerialOf(rows.GetItemText(row, kColumnSerial));
        k.extension = rows.GetItemText(row, kColumnExtension);
        k.count = rows.GetItemData(row);
        if (const SizeTotal* size = sizes ? sizes->Find(k.extension.view()) : nullptr)
            k.size = *size;
        // While the rows sort, each one's data is its place in keys.
        rows.SetItemData(row, row);
    }
    const Sorting sorting{order, &keys};
    rows.SortItems(CompareRows, reinterpret_cast<LPARAM>(&sorting));
    for (int row = 0; row < count; ++row)
        rows.SetItemData(row, keys[static_cast<std::size_t>(rows.GetItemData(row))].count);
}
