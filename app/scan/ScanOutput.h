#pragma once
// What the scan command prints: the result table as tab-separated text, or as JSON.
#include "analysis/ExtensionSizes.h"
#include "analysis/ResultRows.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ScanReport {
    std::string folder; // as the user gave it
    const CResultRows* rows = nullptr;
    int total = 0;
    // Folders that could not be read: (reason, how many), most first; empty when every
    // folder was read.
    std::vector<std::pair<std::string, int>> notRead;
    // The bytes by extension, when they were read (--sizes): the rows' size cells are
    // filled, and the table gets its fourth column.
    const CExtensionSizes* sizes = nullptr;
};

// An extension as a table field: a backslash becomes \\, a tab \t, a newline \n, a
// carriage return \r and every other control byte (0x00-0x1F, 0x7F) \xHH with two
// lowercase hex digits; all other bytes stay as they are. So no name can add a field or a
// line to the table, and the exact bytes can be read back.
std::string EscapeTableField(std::string_view bytes);

// Writes the heading "Sr<TAB>Extension<TAB>Files Count", one line per row (extension
// escaped), then "Total Files Found<TAB>N" to out; every line ends in a newline. With
// sizes, each line has a fourth field: "Size" in the heading, the row's size cell, and the
// total bytes after the total ("at least N" where sizes are unknown). The text
// goes out in pieces of about 64 kB, never whole in memory. False when writing failed
// (errno says why).
bool WriteTable(const ScanReport& report, std::FILE* out);

// Writes one JSON object to out, in pieces as WriteTable does, ending in a newline:
//   {"folder": "...", "rows": [{"sr": 1, "extension": ".txt", "count": 5}, ...],
//    "total": 8, "complete": true, "not_read": {"count": 0, "reasons": {...}}}
// With sizes, every row and the object itself get "bytes": N (the known bytes) and
// "size_unknown": K (files whose size could not be read) after "count" and "total".
// A text that is not valid UTF-8 is written with U+FFFD for each byte that is not part of
// a valid sequence, and gets a sibling field named with "_hex" after its own name holding
// its exact bytes as lowercase hex ("extension_hex": "2e74ff").
bool WriteJson(const ScanReport& report, std::FILE* out);

// Whether bytes are valid UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
