#include "player/actions/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tavro::player {

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::optional<double> ParseNumber(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    // from_chars takes no leading "+"; a number too large or too small for a double becomes an
    // infinity or zero as a C conversion would.
    std::string_view body = s[0] == '+' ? s.substr(1) : s;
    double v = 0;
    auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), v);
    if (ec == std::errc::result_out_of_range) {
        std::string copy(body);
        v = std::strtod(copy.c_str(), nullptr);
    }
    (void)end;
    return v;
}

double ToNumber(std::string_view text) {
    return ParseNumber(text).value_or(0.0);
}

std::string FormatNumber(double v) {
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v < 0 ? "-Infinity" : "Infinity";
    if (v == std::trunc(v) && std::fabs(v) < 1e15)
        return std::to_string(int64_t(v));

    // 15 significant digits, correctly rounded, with the decimal exponent.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    std::string text(buf);
    bool negative = text[0] == '-';
    size_t start = negative ? 1 : 0;
    size_t ePos = text.find('e');
    std::string digits;
    for (size_t i = start; i < ePos; ++i)
        if (IsDigit(text[i]))
            digits.push_back(text[i]);
    int exponent = std::atoi(text.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent <= -5) {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back('.');
            out.append(digits, 1);
        }
        out.push_back('e');
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0.";
        out.append(size_t(-exponent - 1), '0');
        out += digits;
    } else {
        size_t intDigits = size_t(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, intDigits);
            out.push_back('.');
            out.append(digits, intDigits);
        }
    }
    return out;
}

} // namespace tavro::player
