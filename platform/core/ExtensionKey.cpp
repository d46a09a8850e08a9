#include "platform/core/ExtensionKey.h"

#include "platform/core/PathSeparator.h"

std::string_view ExtensionKey(std::string_view path) noexcept {
    // Scanning backwards gives the same answer as the forward rule: the last dot wins
    // unless a separator or a space follows it.
    const char* const begin = path.data();
    const char* const end = begin + path.size();
    for (const char* at = end; at != begin;) {
        const char ch = *--at;
        if (ch == '.')
            return {at, static_cast<std::size_t>(end - at)};
        if (ch == kPathSeparator || ch == ' ')
            break;
    }
    return {end, 0};
}
