#pragma once
// Bytes of the program (names, texts) as Qt text, and back.
//
// The program keeps text as bytes, UTF-8 by convention but not always valid. On screen a
// sequence that is not valid UTF-8 shows as U+FFFD; the bytes themselves are never
// changed, so what is shown is never turned back into a name.
#include <QByteArray>
#include <QString>

#include <string_view>

// All of bytes, NULs included, decoded as UTF-8.
inline QString ToQString(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline QByteArray ToQByteArray(std::string_view bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
