// Hand-built expected bytes for the SWF tests: bit strings and hex strings, spaces ignored.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::test {

using Bytes = std::vector<uint8_t>;

// "101 1" -> 0xB0: bits most significant first, padded with zero bits to a whole byte.
inline Bytes Bits(std::string_view bits) {
    Bytes out;
    int n = 0;
    for (char c : bits) {
        if (c == ' ')
            continue;
        if (c != '0' && c != '1')
            throw std::invalid_argument("bit string");
        if (n % 8 == 0)
            out.push_back(0);
        if (c == '1')
            out.back() |= static_cast<uint8_t>(0x80 >> (n % 8));
        ++n;
    }
    return out;
}

// "46 57 53" -> {0x46, 0x57, 0x53}.
inline Bytes Hex(std::string_view hex) {
    Bytes out;
    std::string digits;
    for (char c : hex)
        if (c != ' ')
            digits += c;
    if (digits.size() % 2 != 0)
        throw std::invalid_argument("hex string");
    for (size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

// value in n bits, two's complement, as a bit string.
inline std::string Field(int64_t value, int n) {
    std::string s;
    for (int i = n - 1; i >= 0; --i)
        s += ((static_cast<uint64_t>(value) >> i) & 1) ? '1' : '0';
    return s;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace tavro::test
