#include "player/actions/UrlRequest.h"

namespace tavro::player {

namespace {
bool IsAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
std::string Decode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 &&
                   HexValue(s[i + 2]) >= 0) {
            out.push_back(char(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}
} // namespace

std::string UrlEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (IsAlnum(c)) {
            out.push_back(char(c));
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

std::string EncodeVariables(const std::vector<Timeline::Variable>& variables) {
    std::string out;
    for (const Timeline::Variable& v : variables) {
        if (!out.empty())
            out.push_back('&');
        out += UrlEncode(v.name);
        out.push_back('=');
        out += UrlEncode(v.value);
    }
    return out;
}

std::string AppendQuery(std::string_view url, std::string_view encoded) {
    std::string out(url);
    if (encoded.empty())
        return out;
    if (out.find('?') != std::string::npos) {
        out.push_back('&');
    } else {
        size_t scheme = out.find("://");
        if (scheme != std::string::npos && out.find('/', scheme + 3) == std::string::npos)
            out.push_back('/');
        out.push_back('?');
    }
    out += encoded;
    return out;
}

std::string PostData(std::string_view encoded) {
    std::string out = "Content-type: application/x-www-form-urlencoded\nContent-length: ";
    out += std::to_string(encoded.size());
    out += "\n\n";
    out += encoded;
    return out;
}

std::vector<Timeline::Variable> DecodeVariables(std::string_view text) {
    std::vector<Timeline::Variable> out;
    size_t i = 0;
    while (i <= text.size()) {
        size_t amp = text.find('&', i);
        if (amp == std::string_view::npos)
            amp = text.size();
        std::string_view pair = text.substr(i, amp - i);
        // Line ends around the data (a text file saved by an editor) are not part of a value.
        while (!pair.empty() && (pair.back() == '\n' || pair.back() == '\r'))
            pair.remove_suffix(1);
        size_t eq = pair.find('=');
        if (!pair.empty() && eq != 0) {
            std::string_view name = pair.substr(0, eq);
            std::string_view value =
                eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
            out.push_back(Timeline::Variable{Decode(name), Decode(value)});
        }
        i = amp + 1;
    }
    return out;
}

} // namespace tavro::player
