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

// Adds one to a count written as CountFile writes it (digits, no leading zero, fewer than
// ten of them, so well below INT_MAX), in place; false for any other text, and for one
// that would gain a digit.
bool IncrementInPlace(CString& count) {
    const std::size_t length = count.size();
    if (length == 0 || length > 9)
        return false;
    const char* text = count.GetString();
    if (text[0] == '0' && length > 1)
        return false;
    std::size_t last = length; // the digits from last on are all 9s
    while (last > 0 && text[last - 1] == '9')
        --last;
    for (std::size_t i = 0; i < last; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    if (last == 0) // 9, 99, ...: one digit more, in a text of its own
        return false;
    char* bytes = count.GetBuffer(length);
    ++bytes[last - 1];
    for (std::size_t i = last; i < length; ++i)
        bytes[i] = '0';
    count.ReleaseBuffer(length);
    return true;
}

// CountKey's rare cases, kept out of its way: a new key, a count in any other text, and a
// count that gains a digit.
[[gnu::noinline]] void CountSlowly(CMapStringToString& counts, std::string_view key,
                                   CString* count) {
    if (!count) {
        counts.SetAt(key, CString("1"));
        return;
    }
    // A count never passes INT_MAX; it stops there rather than wrapping.
    const int current = ReadCount(*count);
    const int next = current < INT_MAX ? current + 1 : current;
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, next);
    count->SetString(digits, static_cast<std::size_t>(written.ptr - digits));
}

} // namespace

void CountKey(CMapStringToString& counts, int& total, std::string_view key) {
    // The count lives as decimal text, changed in place, so that this allocates nothing
    // but for a new digit past six (up to six live inside the CString).
    CString* count = counts.PLookup(key);
    if (!count || !IncrementInPlace(*count))
        CountSlowly(counts, key, count);
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
