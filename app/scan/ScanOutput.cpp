#include "app/scan/ScanOutput.h"

#include "analysis/ExtensionStats.h"

#include <cstdio>

namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendHexByte(std::string& out, unsigned char byte) {
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

// The escape the table and JSON both write for c, or null: backslash, tab, newline and
// carriage return.
const char* CommonEscape(unsigned char c) {
    switch (c) {
    case '\\':
        return "\\\\";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    default:
        return nullptr;
    }
}

// The length of the valid UTF-8 sequence at the start of bytes, or 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned int low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    return length;
}

// bytes as a JSON string literal (quotes included), U+FFFD for what is not UTF-8.
std::string JsonString(std::string_view bytes) {
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = Utf8SequenceLength(bytes.substr(i));
        if (length == 0) {
            out += "\xef\xbf\xbd";
            ++i;
            continue;
        }
        if (c == '"') {
            out += "\\\"";
        } else if (const char* escape = CommonEscape(c)) {
            out += escape;
        } else if (c < 0x20) {
            out += "\\u00";
            AppendHexByte(out, c);
        } else {
            out.append(bytes.substr(i, length));
        }
        i += length;
    }
    return out + "\"";
}

// "name": "text", and "name_hex": "..." after it when text is not valid UTF-8.
void AppendTextField(std::string& out, const char* name, std::string_view text) {
    out.append("\"").append(name).append("\": ").append(JsonString(text));
    if (IsValidUtf8(text))
        return;
    out.append(", \"").append(name).append("_hex\": \"");
    for (const char c : text)
        AppendHexByte(out, static_cast<unsigned char>(c));
    out += '"';
}

// Text written to a file in pieces: what is appended is held until about 64 kB have
// gathered, then written.
class CPiecewiseOutput {
public:
    explicit CPiecewiseOutput(std::FILE* file) : m_file(file) {}
    std::string& Text() { return m_text; }
    // Writes what has gathered once it is a piece's worth (or always, with force).
    void Flush(bool force = false) {
        if (m_text.size() < kPiece && !force)
            return;
        m_ok = m_ok && std::fwrite(m_text.data(), 1, m_text.size(), m_file) == m_text.size();
        m_text.clear();
    }
    // Writes the rest; true when everything was written.
    bool Finish() {
        Flush(true);
        return m_ok && std::fflush(m_file) == 0;
    }

private:
    static constexpr std::size_t kPiece = 64 * 1024;
    std::FILE* m_file;
    std::string m_text;
    bool m_ok = true;
};

int NotReadCount(const ScanReport& report) {
    int count = 0;
    for (const auto& [reason, n] : report.notRead)
        count += n;
    return count;
}

// , "bytes": N, "size_unknown": K
void AppendSizeFields(std::string& out, const SizeTotal* size) {
    const SizeTotal none;
    if (!size)
        size = &none;
    out.append(", \"bytes\": ").append(std::to_string(size->bytes));
    out.append(", \"size_unknown\": ").append(std::to_string(size->unknown));
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes.substr(i));
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string EscapeTableField(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (const char* escape = CommonEscape(c)) {
            out += escape;
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            AppendHexByte(out, c);
        } else {
            out += ch;
        }
    }
    return out;
}

bool WriteTable(const ScanReport& report, std::FILE* file) {
    CPiecewiseOutput output(file);
    std::string& out = output.Text();
    out = report.sizes ? "Sr\tExtension\tFiles Count\tSize\n" : "Sr\tExtension\tFiles Count\n";
    if (report.rows)
        for (const CResultRows::Row& row : report.rows->Rows()) {
            out.append(row.cells[kColumnSerial].view()).append(1, '\t');
            out.append(EscapeTableField(row.cells[kColumnExtension].view())).append(1, '\t');
            out.append(row.cells[kColumnCount].view());
            if (report.sizes)
                out.append(1, '\t').append(row.cells[kColumnSize].view());
            out.append(1, '\n');
            output.Flush();
        }
    out.append("Total Files Found\t").append(std::to_string(report.total));
    if (report.sizes)
        out.append(1, '\t').append(SizeText(report.sizes->Total(), SizeWriting::Bytes));
    out.append("\n");
    return output.Finish();
}

bool WriteJson(const ScanReport& report, std::FILE* file) {
    CPiecewiseOutput output(file);
    std::string& out = output.Text();
    out = "{";
    AppendTextField(out, "folder", report.folder);
    out += ", \"rows\": [";
    if (report.rows) {
        const char* separator = "";
        for (const CResultRows::Row& row : report.rows->Rows()) {
            out.append(separator).append("{\"sr\": ").append(row.cells[kColumnSerial].view());
            out += ", ";
            AppendTextField(out, "extension", row.cells[kColumnExtension].view());
            out.append(", \"count\": ").append(row.cells[kColumnCount].view());
            if (report.sizes)
                AppendSizeFields(out, report.sizes->Find(row.cells[kColumnExtension].view()));
            out.append("}");
            separator = ", ";
            output.Flush();
        }
    }
    out.append("], \"total\": ").append(std::to_string(report.total));
    if (report.sizes)
        AppendSizeFields(out, &report.sizes->Total());
    out.append(", \"complete\": ").append(report.notRead.empty() ? "true" : "false");
    out.append(", \"not_read\": {\"count\": ").append(std::to_string(NotReadCount(report)));
    out += ", \"reasons\": {";
    const char* separator = "";
    for (const auto& [reason, n] : report.notRead) {
        out.append(separator).append(JsonString(reason)).append(": ").append(std::to_string(n));
        separator = ", ";
    }
    out += "}}}\n";
    return output.Finish();
}
