// The one place where document text meets Qt: document strings are Windows-1252 bytes, file
// names are the system's bytes, Qt wants Unicode.
#pragma once

#include "base/Cp1252.h"

#include <QFile>
#include <QString>

#include <string>
#include <string_view>

namespace tavro::editor {

inline QString FromDocText(std::string_view text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

// Characters Windows-1252 cannot hold become '?'.
inline std::string ToDocText(const QString& text) {
    std::string out;
    const std::u32string code = text.toStdU32String();
    out.reserve(code.size());
    for (const char32_t cp : code) {
        const int byte = UnicodeToCp1252(cp);
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return out;
}

inline QString FromFilePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

inline std::string ToFilePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace tavro::editor
