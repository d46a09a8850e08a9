#pragma once
// CString: a counted, growable string of 8-bit bytes. It may hold NUL bytes and bytes
// that are not valid UTF-8; nothing here interprets an encoding, except that the
// case-insensitive compare folds ASCII letters only.
//
// Copies share their bytes (a reference count, safe across threads) until one of them is
// changed, which then takes a copy of its own: a text copied into a map, a table and a
// sort is held once. Texts of up to six bytes live inside the object and share nothing.
// A CString is the size of a pointer.
#include <algorithm>
#include <atomic>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class CString {
public:
    CString() noexcept { SetSmall(0); }
    CString(const char* text) : CString(std::string_view(text ? text : "")) {}
    CString(const char* data, std::size_t length) : CString(std::string_view(data, length)) {}
    CString(const std::string& text) : CString(std::string_view(text)) {}
    explicit CString(std::string_view text);
    CString(const CString& other) noexcept;
    CString(CString&& other) noexcept;
    CString& operator=(const CString& other) noexcept;
    CString& operator=(CString&& other) noexcept;
    ~CString() { Release(); }

    int GetLength() const { return static_cast<int>(size()); }
    std::size_t size() const { return IsSmall() ? m_bytes[0] >> 1 : Shared()->length; }
    bool IsEmpty() const { return size() == 0; }
    void Empty() { *this = CString(); }

    // The bytes, followed by a terminating NUL that is not part of the text. Valid until
    // this CString is changed or goes.
    const char* GetString() const {
        return IsSmall() ? reinterpret_cast<const char*>(m_bytes + 1) : Shared()->Text();
    }
    std::string str() const { return std::string(view()); }
    std::string_view view() const { return {GetString(), size()}; }
    // Whether this and other hold their bytes in the same place (a shared copy).
    bool SharesBytesWith(const CString& other) const {
        return !IsSmall() && !other.IsSmall() && Shared() == other.Shared();
    }

    char GetAt(int index) const { return GetString()[index]; }
    char operator[](int index) const { return GetAt(index); }

    // Replaces the text with printf-style output ("%d", "%s", ...). A "%s" argument is
    // read up to its first NUL, as printf does.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Replaces the text with length bytes from data.
    void SetString(const char* data, std::size_t length);
    // Appends length bytes from data.
    void Append(const char* data, std::size_t length) {
        const std::size_t at = size();
        if (char* room = OwnRoom(at + length); room && !Overlaps(data)) {
            std::memcpy(room + at, data, length);
            SetLength(at + length);
        } else {
            AppendSlowly(data, length);
        }
    }
    // Keeps the first length bytes (length at most GetLength()).
    void Truncate(std::size_t length) {
        if (length >= size())
            return;
        if (OwnRoom(length))
            SetLength(length);
        else
            Reserve(length, length);
    }
    // The text's own bytes, to be changed in place: the text is made this CString's own,
    // with room for at least minLength bytes, its bytes kept. Until ReleaseBuffer its
    // length is the larger of the two. Valid until this CString is changed otherwise.
    char* GetBuffer(std::size_t minLength) {
        const std::size_t length = std::max(minLength, size());
        if (char* room = OwnRoom(length)) {
            SetLength(length);
            return room;
        }
        return Reserve(length, size());
    }
    // Ends a GetBuffer: the text is the first length bytes of the buffer.
    void ReleaseBuffer(std::size_t length) { SetLength(length); }

    CString& operator+=(const CString& other) { return *this += other.view(); }
    CString& operator+=(const char* text) { return *this += std::string_view(text); }
    CString& operator+=(char ch) {
        Append(&ch, 1);
        return *this;
    }
    CString& operator+=(std::string_view text) {
        Append(text.data(), text.size());
        return *this;
    }
    void AppendChar(char ch) { Append(&ch, 1); }

    // Exact byte comparison: negative, zero or positive like strcmp, NULs included.
    int Compare(const CString& other) const { return view().compare(other.view()); }
    // Comparison with ASCII letters folded to lower case; other bytes compare as they are.
    int CompareNoCase(const CString& other) const;

    friend bool operator==(const CString& a, const CString& b) { return a.view() == b.view(); }
    friend bool operator==(const CString& a, const char* b) {
        return a.view() == std::string_view(b);
    }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) {
        return a.view() <=> b.view();
    }
    friend CString operator+(CString a, const CString& b) { return a += b; }
    friend CString operator+(CString a, const char* b) { return a += b; }
    friend CString operator+(const char* a, const CString& b) { return CString(a) += b; }

private:
    // The bytes of a text longer than kSmall, on the heap, behind this header.
    struct SharedText {
        std::atomic<std::uint32_t> refs;
        std::uint32_t length;
        std::uint32_t capacity; // bytes of text room, the terminating NUL not counted
        char* Text() { return reinterpret_cast<char*>(this + 1); }
        const char* Text() const { return reinterpret_cast<const char*>(this + 1); }
    };
    static constexpr std::size_t kSmall = 6;
    // The low bit of the first byte tells: set, a small text (length in the other bits,
    // the bytes and their NUL after it); clear, the address of a SharedText, whose low bit
    // is always clear.
    static_assert(std::endian::native == std::endian::little);

    bool IsSmall() const { return m_bytes[0] & 1; }
    SharedText* Shared() const {
        SharedText* text;
        std::memcpy(&text, m_bytes, sizeof text);
        return text;
    }
    void SetShared(SharedText* text) { std::memcpy(m_bytes, &text, sizeof text); }
    void SetSmall(std::size_t length) {
        m_bytes[0] = static_cast<unsigned char>(length << 1 | 1);
        m_bytes[1 + length] = 0;
    }
    // Where the text's bytes are when it is this CString's own and has room for length
    // bytes; null when changing it needs a copy or more room first.
    char* OwnRoom(std::size_t length) {
        if (IsSmall())
            return length <= kSmall ? reinterpret_cast<char*>(m_bytes + 1) : nullptr;
        SharedText* text = Shared();
        return text->refs.load(std::memory_order_acquire) == 1 && length <= text->capacity
                   ? text->Text()
                   : nullptr;
    }
    // Sets the length of a text that is this CString's own and has the room, with its NUL.
    void SetLength(std::size_t length) {
        if (IsSmall() && length <= kSmall) { // always so for a small text that has the room
            SetSmall(length);
        } else {
            Shared()->length = static_cast<std::uint32_t>(length);
            Shared()->Text()[length] = '\0';
        }
    }
    bool Overlaps(const char* data) const {
        return data >= GetString() && data <= GetString() + size();
    }
    void AppendSlowly(const char* data, std::size_t length);
    static SharedText* Allocate(std::size_t capacity);
    void Release() noexcept;
    // A text of this CString's own with room for length bytes, the first keep bytes of
    // the current text kept; returns where the bytes go. The length is set, with its NUL.
    char* Reserve(std::size_t length, std::size_t keep);

    alignas(8) unsigned char m_bytes[8];
};
static_assert(sizeof(CString) == 8);

// A whole decimal number, optionally signed, blanks (space, tab) around it allowed: true
// and out set when text is one that fits an int; false and out untouched otherwise (a
// NUL inside the text included).
bool ParseInt(const CString& text, int& out);

struct CStringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
        return std::hash<std::string_view>{}(text);
    }
    std::size_t operator()(const CString& text) const noexcept { return (*this)(text.view()); }
};

struct CStringEqual {
    using is_transparent = void;
    static std::string_view v(std::string_view s) { return s; }
    static std::string_view v(const CString& s) { return s.view(); }
    template <class A, class B> bool operator()(const A& a, const B& b) const noexcept {
        return v(a) == v(b);
    }
};
