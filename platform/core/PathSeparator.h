#pragma once
// The separator between the components of a path: '\' on Windows, '/' elsewhere. Whatever
// joins or splits the program's paths uses these.
#include <string>
#include <string_view>

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// folder, one separator, name: one separator even when folder ends in one (a drive's root).
inline std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != kPathSeparator)
        path += kPathSeparator;
    path += name;
    return path;
}
