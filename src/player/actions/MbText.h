// Byte and multi-byte views of action strings. Multi-byte text is read as double-byte
// characters whose lead bytes are 0x81-0x9F and 0xE0-0xFC, followed by one trail byte; every
// other byte is a character of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavro::player {

class MbText {
public:
    static bool IsLeadByte(uint8_t b) {
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    // Number of characters.
    static size_t Length(std::string_view s);
    // Substring by 1-based character index and count: the start is clamped to the string, a
    // negative count or one that runs past the end takes the rest.
    static std::string Extract(std::string_view s, int64_t index, int64_t count);
    // The same by bytes.
    static std::string ExtractBytes(std::string_view s, int64_t index, int64_t count);
    // Code of the first character (lead byte * 256 + trail byte for a double-byte one).
    static uint32_t FirstCode(std::string_view s);
    // The one- or two-byte text of a code; code 0 (and a zero byte) gives the empty string,
    // since action strings end at a zero byte.
    static std::string FromCode(int64_t code);
};

} // namespace tavro::player
