#include "platform/core/String.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    char small[64];
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) {
        m_str.clear();
    } else if (static_cast<std::size_t>(needed) < sizeof small) {
        m_str.assign(small, static_cast<std::size_t>(needed));
    } else {
        m_str.resize(static_cast<std::size_t>(needed));
        std::vsnprintf(m_str.data(), m_str.size() + 1, format, again);
    }
    va_end(again);
}

namespace {
unsigned char FoldAscii(unsigned char ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<unsigned char>(ch - 'A' + 'a') : ch;
}
} // namespace

int CString::CompareNoCase(const CString& other) const {
    const std::size_t n = std::min(m_str.size(), other.m_str.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char a = FoldAscii(static_cast<unsigned char>(m_str[i]));
        const unsigned char b = FoldAscii(static_cast<unsigned char>(other.m_str[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (m_str.size() == other.m_str.size())
        return 0;
    return m_str.size() < other.m_str.size() ? -1 : 1;
}

bool ParseInt(const CString& text, int& out) {
    const char* begin = text.GetString();
    if (text.size() != std::char_traits<char>::length(begin))
        return false; // a NUL inside
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    if (*begin == '\0')
        return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return false;
    out = static_cast<int>(value);
    return true;
}
