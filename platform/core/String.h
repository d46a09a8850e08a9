#pragma once
// CString: a counted, growable string of 8-bit bytes. It may hold NUL bytes and bytes
// that are not valid UTF-8; nothing here interprets an encoding, except that the
// case-insensitive compare folds ASCII letters only.
#include <compare>
#include <cstddef>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const char* text) : m_str(text ? text : "") {}
    CString(const char* data, std::size_t length) : m_str(data, length) {}
    CString(std::string text) : m_str(std::move(text)) {}
    explicit CString(std::string_view text) : m_str(text) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    std::size_t size() const { return m_str.size(); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }

    // The bytes, followed by a terminating NUL that is not part of the text.
    const char* GetString() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }
    std::string_view view() const { return m_str; }
    std::string& raw() { return m_str; }

    char GetAt(int index) const { return m_str[static_cast<std::size_t>(index)]; }
    char operator[](int index) const { return GetAt(index); }

    // Replaces the text with printf-style output ("%d", "%s", ...). A "%s" argument is
    // read up to its first NUL, as printf does.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    CString& operator+=(const CString& other) {
        m_str += other.m_str;
        return *this;
    }
    CString& operator+=(const char* text) {
        m_str += text;
        return *this;
    }
    CString& operator+=(char ch) {
        m_str += ch;
        return *this;
    }
    CString& operator+=(std::string_view text) {
        m_str += text;
        return *this;
    }
    void AppendChar(char ch) { m_str += ch; }

    // Exact byte comparison: negative, zero or positive like strcmp, NULs included.
    int Compare(const CString& other) const { return m_str.compare(other.m_str); }
    // Comparison with ASCII letters folded to lower case; other bytes compare as they are.
    int CompareNoCase(const CString& other) const;

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == b; }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) {
        return a.m_str <=> b.m_str;
    }
    friend CString operator+(CString a, const CString& b) { return a += b; }
    friend CString operator+(CString a, const char* b) { return a += b; }
    friend CString operator+(const char* a, const CString& b) { return CString(a) += b; }

private:
    std::string m_str;
};

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
