#include "player/actions/MbText.h"

#include <algorithm>
#include <vector>

namespace tavro::player {

namespace {
// Byte offset where each character starts, plus the end.
std::vector<size_t> CharStarts(std::string_view s) {
    std::vector<size_t> starts;
    size_t i = 0;
    while (i < s.size()) {
        starts.push_back(i);
        i += MbText::IsLeadByte(uint8_t(s[i])) && i + 1 < s.size() ? 2 : 1;
    }
    starts.push_back(s.size());
    return starts;
}

// Start and length in units of a sequence of `length` units.
void Clamp(int64_t length, int64_t index, int64_t count, int64_t& start, int64_t& n) {
    start = std::clamp<int64_t>(index - 1, 0, length);
    n = count < 0 || count > length - start ? length - start : count;
}
} // namespace

size_t MbText::Length(std::string_view s) {
    return CharStarts(s).size() - 1;
}

std::string MbText::Extract(std::string_view s, int64_t index, int64_t count) {
    std::vector<size_t> starts = CharStarts(s);
    int64_t start = 0, n = 0;
    Clamp(int64_t(starts.size()) - 1, index, count, start, n);
    size_t from = starts[size_t(start)];
    size_t to = starts[size_t(start + n)];
    return std::string(s.substr(from, to - from));
}

std::string MbText::ExtractBytes(std::string_view s, int64_t index, int64_t count) {
    int64_t start = 0, n = 0;
    Clamp(int64_t(s.size()), index, count, start, n);
    return std::string(s.substr(size_t(start), size_t(n)));
}

uint32_t MbText::FirstCode(std::string_view s) {
    if (s.empty())
        return 0;
    uint8_t lead = uint8_t(s[0]);
    if (IsLeadByte(lead) && s.size() > 1)
        return uint32_t(lead) << 8 | uint8_t(s[1]);
    return lead;
}

std::string MbText::FromCode(int64_t code) {
    std::string out;
    if (code > 0xFF) {
        out.push_back(char(uint8_t(code >> 8)));
        if (code & 0xFF)
            out.push_back(char(uint8_t(code)));
    } else if (code > 0) {
        out.push_back(char(uint8_t(code)));
    }
    return out;
}

} // namespace tavro::player
