#pragma once
// Text at the boundary of Windows' wide (UTF-16) calls. Inside, the program keeps text and
// paths as UTF-8 bytes; the conversions happen here and nowhere else.
//
// A Windows name is a sequence of 16-bit units that need not be valid UTF-16: a surrogate
// without its partner is a legal file name. So the 8-bit form is WTF-8, UTF-8 that also
// writes an unpaired surrogate as its three-byte sequence; every name the system gives
// converts to bytes and back to exactly the same units. Only bytes that are not WTF-8 at
// all (which no Windows name gives) are lost: each becomes U+FFFD.
#ifdef _WIN32
#include <string>
#include <string_view>
#include <vector>

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// The absolute form of path, for the wide file calls, with the \\?\ prefix that lifts the
// 260-character limit and turns off the rewriting of names (a trailing dot or space, "con"
// and "nul" are then names like any other): X:\a gives \\?\X:\a, \\server\share\a gives
// \\?\UNC\server\share\a, a path that has the prefix is kept, '/' becomes '\'. Any other
// path (relative, or rooted without a drive) is made absolute against the current directory
// first, which also resolves "." and "..".
std::wstring LongPath(std::string_view path);

// The arguments of an entry that receives them as UTF-16 (wmain, or the C runtime's
// __wargv in wWinMain), as UTF-8 texts with an argv-style array of pointers into them
// (argv()[argc()] is null). Valid as long as this object.
class Utf8Arguments {
public:
    Utf8Arguments(int argc, const wchar_t* const* argv);
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int argc() const { return static_cast<int>(m_texts.size()); }
    char** argv() { return m_pointers.data(); }

private:
    std::vector<std::string> m_texts;
    std::vector<char*> m_pointers;
};
#endif
