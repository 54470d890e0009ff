#include "effects/EffectParams.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace tavro {

namespace {

constexpr EffectParam kParams[] = {
    // The "Number of Frames:" box of the "Effect Properties" dialog, for effects whose own
    // dialog has no frames box with a range of its own.
    {"CEffectObj", "Number of Frames:", ParamRange::Integer(1, 99999)},
    {"CEffectSlide", "Number of Frames:", ParamRange::Integer(1, 99999)},

    {"CEffectWave", "Duration:", ParamRange::Integer(1, 99999)},
    {"CEffectWave", "Period:", ParamRange::Integer(1, 99999)},
    {"CEffectWave", "Length:", ParamRange::Number(0.0001, 99999.0)},
    {"CEffectWave", "Move by:", ParamRange::AnyNumber()},
    {"CEffectWave", "Horizontal Scale:", ParamRange::AnyNumber()},
    {"CEffectWave", "Vertical Scale:", ParamRange::AnyNumber()},
    {"CEffectWave", "Alpha Fade:", ParamRange::AnyNumber()},

    {"CEffectExplode", "Number of Frames:", ParamRange::Integer(1, 9999)},
    {"CEffectExplode", "x:", ParamRange::AnyInteger()},
    {"CEffectExplode", "y:", ParamRange::AnyInteger()},
    {"CEffectExplode", "Direction of Gravity:", ParamRange::AnyNumber()},
    {"CEffectExplode", "Strength of Gravity:", ParamRange::AnyNumber()},
    {"CEffectExplode", "Velocity of Explosion:", ParamRange::AnyNumber()},
    {"CEffectExplode", "Random Seed #:", ParamRange::Integer(0, 65535)},
    {"CEffectExplode", "Scale Letters by:", ParamRange::Number(0.0, 100.0)},
    {"CEffectExplode", "Rotate Letters by:", ParamRange::AnyNumber()},
    {"CEffectExplode", "Fade Letters by:", ParamRange::Integer(0, 100)},

    {"CEffectTypewriter", "Show Letter every", ParamRange::Integer(1, 9999)},
    {"CEffectTypewriter", "Flash Cursor every", ParamRange::Integer(1, 9999)},
    {"CEffectTypewriter", "times at start of line.", ParamRange::Integer(0, 9999)},
    {"CEffectTypewriter", "times at end of line.", ParamRange::Integer(0, 9999)},

    {"CEffectSqueeze", "Number of Frames:", ParamRange::Integer(1, 10000)},
    {"CEffectSqueeze", "Start Squeeze Factor:", ParamRange::AnyInteger()},
    {"CEffectSqueeze", "End Squeeze Factor:", ParamRange::AnyInteger()},
    {"CEffectSqueeze", "Fade Letters", ParamRange::AnyInteger()},

    {"CEffectScaleLetter", "Frames per Letter:", ParamRange::AnyInteger()},
    {"CEffectScaleLetter", "Wait frames between Letters:", ParamRange::AnyInteger()},
    {"CEffectScaleLetter", "Letter Scale:", ParamRange::AnyNumber()},
    {"CEffectScaleLetter", "Letter Rotate:", ParamRange::AnyNumber()},
    {"CEffectScaleLetter", "Letter Fade:", ParamRange::AnyNumber()},
    {"CEffectScaleLetter", "across", ParamRange::AnyNumber()},
    {"CEffectScaleLetter", "down", ParamRange::AnyNumber()},

    // A run of no frames would never play: the length is at least one frame.
    {"CEffectAlternate", "Duration::", ParamRange::Integer(1, 99999)},
    {"CEffectAlternate", "pixels right", ParamRange::AnyNumber()},
    {"CEffectAlternate", "pixels down", ParamRange::AnyNumber()},
    {"CEffectAlternate", "Letter Rotate:", ParamRange::AnyNumber()},
    {"CEffectAlternate", "Letter Scale:", ParamRange::AnyNumber()},
    {"CEffectAlternate", "Letter Fade:", ParamRange::AnyNumber()},
};

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The whole of `s` as a decimal integer (an optional sign, then digits), or none.
std::optional<double> ReadInteger(std::string_view s) {
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty())
        return std::nullopt;
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (end != s.data() + s.size())
        return std::nullopt;
    if (ec == std::errc::result_out_of_range) // digits beyond 64 bits: surely out of range
        return s.front() == '-' ? -std::numeric_limits<double>::max()
                                : std::numeric_limits<double>::max();
    if (ec != std::errc())
        return std::nullopt;
    return static_cast<double>(v);
}

// The whole of `s` as a finite decimal number, or none.
std::optional<double> ReadNumber(std::string_view s) {
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty())
        return std::nullopt;
    double v = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::string Substitute(std::string_view format, std::string_view first, std::string_view second) {
    std::string out(format);
    size_t at = out.find("%1");
    if (at != std::string::npos) {
        out.replace(at, 2, first);
        at += first.size();
    }
    at = out.find("%2", at == std::string::npos ? 0 : at);
    if (at != std::string::npos)
        out.replace(at, 2, second);
    return out;
}

} // namespace

std::span<const EffectParam> EffectParamTable() {
    return kParams;
}

std::optional<EffectParam> FindEffectParam(std::string_view className, std::string_view label) {
    for (const EffectParam& p : kParams) {
        if (p.className == className && p.label == label)
            return p;
    }
    return std::nullopt;
}

std::string FormatParamBound(double value, ParamKind kind) {
    char buf[512]; // the widest double in fixed notation has 309 digits
    if (kind == ParamKind::Integer) {
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<int64_t>(value));
        return ec == std::errc() ? std::string(buf, end) : std::string();
    }
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

ParamCheck ValidateParam(std::string_view text, const ParamRange& range) {
    ParamCheck check;
    const bool integer = range.kind == ParamKind::Integer;
    const std::string_view trimmed = Trim(text);
    const std::optional<double> value = integer ? ReadInteger(trimmed) : ReadNumber(trimmed);
    if (!value) {
        check.message = integer ? param_message::kInteger : param_message::kNumber;
        return check;
    }
    double lo = range.min, hi = range.max;
    if (!range.bounded) {
        if (!integer) {
            check.ok = true;
            check.value = *value;
            return check;
        }
        // A whole number the int32 field cannot hold.
        lo = std::numeric_limits<int32_t>::min();
        hi = std::numeric_limits<int32_t>::max();
    }
    if (*value < lo || *value > hi) {
        check.message =
            Substitute(integer ? param_message::kIntegerBetween : param_message::kNumberBetween,
                       FormatParamBound(lo, range.kind), FormatParamBound(hi, range.kind));
        return check;
    }
    check.ok = true;
    check.value = *value;
    return check;
}

} // namespace tavro
