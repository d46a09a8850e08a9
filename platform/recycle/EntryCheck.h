#pragma once
// Whether the entry at a path is still the file a delete means to recycle: checked when
// its folder's files are gathered for the shell, and again right before the shell acts on
// it where the shell says when that is.
#include "platform/core/WinFile.h"

#include <cstdint>
#include <string>

// A file's identity on Windows: its volume's serial number and its index.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Null when the entry at longPath (in LongPath form) may go to the shell: it is a file or
// a link (a link goes as itself), never a folder that is walked into (a folder with a
// reparse tag that is not a link's included), and, when expected is given, it is that very
// file. Otherwise why not: kReasonNowFolder, kReasonChanged, or the reason for the
// system's error (kReasonGone, kReasonPermission, ...). info gets what the system says of
// the entry.
const char* CheckEntry(const std::wstring& longPath, const FileIdentity* expected,
                       WinFileInfo& info);

// True when the entry at longPath is still the file identity names (or the system cannot
// tell that it is not); false when nothing is there, or another entry is.
bool StillThere(const std::wstring& longPath, const FileIdentity& identity);
