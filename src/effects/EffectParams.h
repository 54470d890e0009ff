// What the settings dialogs of the letter effects accept in their number boxes: each box's kind
// (whole or decimal number) and range, the messages a refused value gets, and the check the
// dialogs run before they take a value. A refused value keeps the dialog open with the message.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavro {

namespace param_message {
inline constexpr std::string_view kIntegerBetween = "Please enter an integer between %1 and %2.";
inline constexpr std::string_view kNumberBetween = "Please enter a number between %1 and %2.";
inline constexpr std::string_view kInteger = "Please enter an integer.";
inline constexpr std::string_view kNumber = "Please enter a number.";
} // namespace param_message

enum class ParamKind {
    Integer, // a whole number stored as int32
    Number,  // a decimal number stored as double
};

// The values a box accepts. An unbounded integer box still only takes int32 values; an
// unbounded number box takes any finite number.
struct ParamRange {
    ParamKind kind = ParamKind::Integer;
    bool bounded = false;
    double min = 0.0;
    double max = 0.0;

    static constexpr ParamRange Integer(int32_t lo, int32_t hi) {
        return {ParamKind::Integer, true, static_cast<double>(lo), static_cast<double>(hi)};
    }
    static constexpr ParamRange AnyInteger() { return {ParamKind::Integer, false, 0.0, 0.0}; }
    static constexpr ParamRange Number(double lo, double hi) {
        return {ParamKind::Number, true, lo, hi};
    }
    static constexpr ParamRange AnyNumber() { return {ParamKind::Number, false, 0.0, 0.0}; }
};

// One number box of an effect's settings dialog, named by its label as the dialog shows it.
// Where a label is split around the box ("Show Letter every" ... "frames."), the part that
// tells the boxes of one dialog apart names it ("times at start of line.").
struct EffectParam {
    std::string_view className; // "CEffectWave"
    std::string_view label;     // "Period:"
    ParamRange range;
};

// Every box of every settings dialog, grouped by class. "CEffectObj" names the boxes of the
// "Effect Properties" dialog that apply to every effect.
std::span<const EffectParam> EffectParamTable();

// The box labelled `label` in the settings dialog of `className`, or none.
std::optional<EffectParam> FindEffectParam(std::string_view className, std::string_view label);

// The outcome of checking a box's text: the value, or the message that refuses it.
struct ParamCheck {
    bool ok = false;
    double value = 0.0;  // the value read (whole for integer boxes)
    std::string message; // when refused
};

// Reads `text` (surrounding blanks allowed) as the box's kind and checks it against the range.
// Text that is not a number of that kind gives "Please enter an integer." or "Please enter a
// number."; a value outside the range gives the "between %1 and %2" message with the bounds.
ParamCheck ValidateParam(std::string_view text, const ParamRange& range);

// A bound as the messages show it: integers without a decimal point, numbers in their shortest
// form ("0.0001", "99999").
std::string FormatParamBound(double value, ParamKind kind);

} // namespace tavro
