#include "analysis/ExtensionStats.h"

#include "platform/core/ExtensionKey.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// atoi of the count text. The text is nearly always plain digits written by CountFile,
// which from_chars reads without atoi's locale and whitespace handling; anything else
// goes through atoi itself.
int ReadCount(const CString& text) {
    int value = 0;
    const char* end = text.GetString() + text.size();
    const auto [ptr, ec] = std::from_chars(text.GetString(), end, value);
    if (ec == std::errc() && ptr == end && !text.IsEmpty())
        return value;
    return std::atoi(text.GetString());
}

} // namespace

namespace {

// Adds one to a count written as CountFile writes it (digits, no leading zero, fewer than
// ten of them, so well below INT_MAX), in place; false for any other text.
bool IncrementInPlace(CString& count) {
    const std::string_view text = count.view();
    if (text.empty() || text.size() > 9 || (text[0] == '0' && text.size() > 1))
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    std::size_t last = text.size();
    while (last > 0 && text[last - 1] == '9')
        --last;
    if (last == 0) { // 9, 99, ...: one digit more
        char digits[16] = {'1'};
        std::memset(digits + 1, '0', text.size());
        count.SetString(digits, text.size() + 1);
        return true;
    }
    const std::size_t length = text.size();
    char* bytes = count.GetBuffer(length);
    ++bytes[last - 1];
    std::memset(bytes + last, '0', length - last);
    count.ReleaseBuffer(length);
    return true;
}

} // namespace

void CountFile(CMapStringToString& counts, int& total, std::string_view path) {
    CountKey(counts, total, ExtensionKey(path));
}

void CountKey(CMapStringToString& counts, int& total, std::string_view key) {
    if (CString* count = counts.PLookup(key)) {
        // The count lives as decimal text, changed in place, so that this allocates
        // nothing but for a new digit past six (up to six live inside the CString). A count
        // never passes INT_MAX; it stops there rather than wrapping.
        if (!IncrementInPlace(*count)) {
            const int current = ReadCount(*count);
            const int next = current < INT_MAX ? current + 1 : current;
            char digits[16];
            const auto written = std::to_chars(digits, digits + sizeof digits, next);
            count->SetString(digits, static_cast<std::size_t>(written.ptr - digits));
        }
    } else {
        counts.SetAt(key, CString("1"));
    }
    if (total < INT_MAX)
        ++total;
}

void ResetStats(CMapStringToString& counts, int& total) {
    counts.RemoveAll();
    total = 0;
}

int RZ_CALLBACK CompareByFileCount(LPARAM data1, LPARAM data2, LPARAM) {
    // Row data are counts, so the difference fits an int; the clamp only keeps the sign
    // right for data that are not.
    return static_cast<int>(std::clamp<LPARAM>(data2 - data1, -INT_MAX, INT_MAX));
}

void AppendResultRows(const CMapStringToString& counts, IResultRows& rows, CString& serial) {
    // The map's own order depends on hashing; visiting the keys in byte order instead,
    // followed by a stable sort, gives rows with equal counts one fixed order.
    std::vector<const std::pair<const CString, CString>*> entries;
    entries.reserve(static_cast<std::size_t>(counts.GetCount()));
    for (const auto& entry : counts)
        entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(),
              [](const auto* a, const auto* b) { return a->first.view() < b->first.view(); });

    for (const auto* entry : entries) {
        const int position = rows.GetItemCount();
        serial.Format("%d", position);
        const int row = rows.InsertItem(position, serial);
        if (row < 0)
            continue;
        rows.SetItemText(row, kColumnExtension, entry->first);
        rows.SetItemText(row, kColumnCount, entry->second);
        rows.SetItemData(row, std::atoi(entry->second.GetString()));
    }
}

void SortResultRows(IResultRows& rows) {
    rows.SortItems(CompareByFileCount, 0);
}

void RenumberResultRows(IResultRows& rows) {
    CString serial;
    const int count = rows.GetItemCount();
    for (int i = 0; i < count; ++i) {
        serial.Format("%d", i + 1);
        rows.SetItemText(i, kColumnSerial, serial);
    }
}

void BuildResultTable(const CMapStringToString& counts, IResultRows& rows, CString& serial) {
    AppendResultRows(counts, rows, serial);
    SortResultRows(rows);
    RenumberResultRows(rows);
}
