#include "platform/core/String.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

CString::SharedText* CString::Allocate(std::size_t capacity) {
    if (capacity >= std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("CString: text too long");
    void* memory = std::malloc(sizeof(SharedText) + capacity + 1);
    if (!memory)
        throw std::bad_alloc();
    auto* text = new (memory) SharedText;
    text->refs.store(1, std::memory_order_relaxed);
    text->capacity = static_cast<std::uint32_t>(capacity);
    text->length = 0;
    return text;
}

void CString::Release() noexcept {
    if (IsSmall())
        return;
    SharedText* text = Shared();
    if (text->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        text->~SharedText();
        std::free(text);
    }
}

CString::CString(std::string_view text) {
    SetSmall(0);
    SetString(text.data(), text.size());
}

CString::CString(const CString& other) noexcept {
    std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
    if (!IsSmall())
        Shared()->refs.fetch_add(1, std::memory_order_relaxed);
}

CString::CString(CString&& other) noexcept {
    std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
    other.SetSmall(0);
}

CString& CString::operator=(const CString& other) noexcept {
    if (this != &other) {
        if (!other.IsSmall())
            other.Shared()->refs.fetch_add(1, std::memory_order_relaxed);
        Release();
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        Release();
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        other.SetSmall(0);
    }
    return *this;
}

char* CString::Reserve(std::size_t length, std::size_t keep) {
    if (char* room = OwnRoom(length)) {
        SetLength(length);
        return room;
    }
    const std::size_t kept = std::min(keep, size());
    if (length <= kSmall) { // a shared text cut short: inside the object again
        char bytes[kSmall];
        std::memcpy(bytes, GetString(), kept);
        Release();
        SetSmall(length);
        std::memcpy(m_bytes + 1, bytes, kept);
        return reinterpret_cast<char*>(m_bytes + 1);
    }
    // A text of its own, or more room: a text that grows gets half as much again as it
    // had, so appending byte by byte stays linear; a new or copied text gets what it needs.
    const std::size_t had = IsSmall() ? 0 : Shared()->capacity;
    const std::size_t capacity = length > had && had > 0 ? std::max(length, had + had / 2) : length;
    SharedText* text = Allocate(capacity);
    std::memcpy(text->Text(), GetString(), kept);
    text->length = static_cast<std::uint32_t>(length);
    text->Text()[length] = '\0';
    Release();
    SetShared(text);
    return text->Text();
}

void CString::SetString(const char* data, std::size_t length) {
    if (length && Overlaps(data)) {
        const std::string copy(data, length); // bytes of this very text: their room may go
        SetString(copy.data(), copy.size());
        return;
    }
    char* to = Reserve(length, 0);
    if (length)
        std::memcpy(to, data, length);
}

void CString::AppendSlowly(const char* data, std::size_t length) {
    const std::size_t at = size();
    if (length == 0)
        return;
    if (Overlaps(data)) {
        const std::string copy(data, length); // bytes of this very text: their room may go
        AppendSlowly(copy.data(), copy.size());
        return;
    }
    char* to = Reserve(at + length, at);
    std::memcpy(to + at, data, length);
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    char small[64];
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) {
        Empty();
    } else if (static_cast<std::size_t>(needed) < sizeof small) {
        SetString(small, static_cast<std::size_t>(needed));
    } else {
        std::string text(static_cast<std::size_t>(needed), '\0');
        std::vsnprintf(text.data(), text.size() + 1, format, again);
        SetString(text.data(), text.size());
    }
    va_end(again);
}

namespace {
unsigned char FoldAscii(unsigned char ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<unsigned char>(ch - 'A' + 'a') : ch;
}
} // namespace

int CString::CompareNoCase(const CString& other) const {
    const std::string_view mine = view(), theirs = other.view();
    const std::size_t n = std::min(mine.size(), theirs.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char a = FoldAscii(static_cast<unsigned char>(mine[i]));
        const unsigned char b = FoldAscii(static_cast<unsigned char>(theirs[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (mine.size() == theirs.size())
        return 0;
    return mine.size() < theirs.size() ? -1 : 1;
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
