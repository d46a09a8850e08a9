#include "platform/core/FileUri.h"

#include "platform/core/PathSeparator.h"

#include <algorithm>

namespace {

// prefix is in lower case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(prefix.size()),
                      prefix.begin(), [](char c, char lower) {
                          return (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) == lower;
                      });
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return bytes;
}

#ifdef _WIN32
// "/C:/x" names the drive's folder "C:\x"; the separators become the system's.
std::string SystemPath(std::string path) {
    if (path.size() >= 3 && path[0] == '/' && path[2] == ':')
        path.erase(0, 1);
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}
#else
std::string SystemPath(std::string path) {
    return path;
}
#endif

} // namespace

bool IsFileUri(std::string_view text) {
    return StartsWithNoCase(text, "file:");
}

std::optional<std::string> LocalPathFromFileUri(std::string_view uri) {
    if (!IsFileUri(uri) || uri.find_first_of("?#") != std::string_view::npos)
        return std::nullopt;
    std::string_view rest = uri.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (slash == std::string_view::npos || (!host.empty() && host != "localhost"))
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/'))
        return std::nullopt;
    std::optional<std::string> path = PercentDecoded(rest);
    if (!path)
        return std::nullopt;
    return SystemPath(std::move(*path));
}

std::vector<std::string_view> UrisOfUriList(std::string_view list) {
    std::vector<std::string_view> uris;
    while (!list.empty()) {
        const std::size_t end = list.find('\n');
        std::string_view line = list.substr(0, end);
        list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!line.empty() && line.front() != '#')
            uris.push_back(line);
    }
    return uris;
}
