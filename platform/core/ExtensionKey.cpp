#include "platform/core/ExtensionKey.h"

#include "platform/core/PathSeparator.h"

std::string_view ExtensionKey(std::string_view path) noexcept {
    // Scanning backwards gives the same answer as the forward rule: the last dot wins
    // unless a separator or a space follows it.
    for (std::size_t i = path.size(); i-- > 0;) {
        const char ch = path[i];
        if (ch == '.')
            return path.substr(i);
        if (ch == kPathSeparator || ch == ' ')
            break;
    }
    return path.substr(path.size());
}
