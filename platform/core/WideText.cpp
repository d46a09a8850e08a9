#include "platform/core/WideText.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsHighSurrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendUtf16(std::wstring& out, unsigned long code) {
    if (code < 0x10000) {
        out += static_cast<wchar_t>(code);
        return;
    }
    code -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (code >> 10));
    out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
}

// The code point of the (W)UTF-8 sequence at text[i], its length in length; false for a
// byte that starts no well-formed sequence (overlong forms, values past U+10FFFF and
// truncated sequences included). Surrogates are accepted: WTF-8 writes unpaired ones.
bool DecodeAt(std::string_view text, std::size_t i, unsigned long& code, std::size_t& length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        code = lead;
        length = 1;
        return true;
    }
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07;
    else
        return false;
    if (i + length > text.size())
        return false;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return false;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    return code >= kLeast[length] && code <= 0x10FFFF;
}

} // namespace

std::wstring WideFromUtf8(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        unsigned long code = 0;
        std::size_t length = 1;
        if (DecodeAt(text, i, code, length)) {
            AppendUtf16(out, code);
            i += length;
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

std::string Utf8FromWide(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned unit = static_cast<unsigned>(text[i]);
        if (IsHighSurrogate(unit) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<unsigned>(text[i + 1]))) {
            const unsigned low = static_cast<unsigned>(text[++i]);
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else {
            // An unpaired surrogate is written as its own three bytes (WTF-8).
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::wstring LongPath(std::string_view path) {
    std::wstring wide = WideFromUtf8(path);
    if (wide.starts_with(LR"(\\?\)"))
        return wide;
    // '/' is no name's character on Windows: the system reads it as '\' everywhere but in
    // the \\?\ form.
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    const bool drive = wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\';
    const bool unc = wide.starts_with(LR"(\\)");
    if (!drive && !unc) {
        const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        std::wstring full(needed, L'\0');
        const DWORD written = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
        if (written == 0 || written >= needed)
            return wide; // the system could not say; the call that uses it will fail
        full.resize(written);
        wide = std::move(full);
    }
    if (wide.starts_with(LR"(\\)"))
        return LR"(\\?\UNC\)" + wide.substr(2);
    return LR"(\\?\)" + wide;
}

Utf8Arguments::Utf8Arguments(int argc, const wchar_t* const* argv) {
    for (int i = 0; argv && i < argc; ++i)
        m_texts.push_back(Utf8FromWide(argv[i] ? argv[i] : L""));
    for (std::string& text : m_texts)
        m_pointers.push_back(text.data());
    m_pointers.push_back(nullptr);
}
