#include "tests/support/TrashInfo.h"

#include "tests/support/TempTree.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string PercentDecode(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The value of "\nkey=" in text up to the end of its line, or nothing.
bool ValueOf(const std::string& text, const std::string& key, std::string& value) {
    const std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return false;
    const std::size_t start = at + key.size() + 2;
    const std::size_t end = text.find('\n', start);
    value = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return true;
}

} // namespace

std::map<std::string, TrashRecord> ReadTrashInfo(const std::string& trash) {
    const std::string suffix = ".trashinfo";
    std::map<std::string, TrashRecord> records;
    for (const std::string& info : Names(trash + "/info")) {
        if (info.size() <= suffix.size() ||
            info.compare(info.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string text = ReadFile(trash + "/info/" + info);
        TrashRecord record;
        std::string path;
        const bool hasPath = ValueOf(text, "Path", path);
        const bool hasDate = ValueOf(text, "DeletionDate", record.deletionDate);
        record.path = PercentDecode(path);
        record.wellFormed = text.rfind("[Trash Info]\n", 0) == 0 && hasPath && hasDate;
        records[info.substr(0, info.size() - suffix.size())] = record;
    }
    return records;
}
