// Windows-1252, the single-byte character set of every text and face name stored in documents,
// and its conversion to and from Unicode at the edges that need Unicode (fonts, Qt, file names).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavro {

namespace cp1252_detail {
// Code points of the bytes 0x80-0x9F. The five undefined bytes carry the C1 control code of the
// same value, so that a text survives a round trip through Unicode unchanged.
inline constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace cp1252_detail

// False for the five bytes that have no character: 0x81, 0x8D, 0x8F, 0x90 and 0x9D.
constexpr bool Cp1252IsDefined(uint8_t byte) {
    return byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D;
}

// The Unicode code point of a byte. An undefined byte maps to the C1 control code of the same
// value (U+0081 ...), which no font draws and which UnicodeToCp1252 maps back.
constexpr char32_t Cp1252ToUnicode(uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return cp1252_detail::kHighTable[byte - 0x80];
    }
    return byte;
}

// The byte of a code point, or -1 when Windows-1252 cannot represent it.
constexpr int UnicodeToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    for (int i = 0; i < 32; ++i) {
        if (cp1252_detail::kHighTable[i] == cp) {
            return 0x80 + i;
        }
    }
    return -1;
}

// Windows-1252 bytes to UTF-8. Every byte converts, so this never fails.
inline std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const char32_t cp = Cp1252ToUnicode(static_cast<uint8_t>(c));
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// UTF-8 to Windows-1252 bytes; none when the text is not valid UTF-8 or holds a character that
// Windows-1252 cannot represent.
inline std::optional<std::string> Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<uint8_t>(text[i]);
        size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (length > text.size() - i) {
            return std::nullopt;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto cont = static_cast<uint8_t>(text[i + k]);
            if ((cont & 0xC0) != 0x80) {
                return std::nullopt;
            }
            cp = (cp << 6) | (cont & 0x3F);
        }
        // Overlong forms and surrogates are not valid UTF-8.
        static constexpr char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return std::nullopt;
        }
        const int byte = UnicodeToCp1252(cp);
        if (byte < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(byte);
        i += length;
    }
    return out;
}

} // namespace tavro
