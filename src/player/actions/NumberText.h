// Numbers as the action engine sees them: every value on the stack is text, and arithmetic
// converts it to a double and back.
//
// Text to number: an optional sign, decimal digits, an optional "." with digits, an optional
// "e"/"E" with an optional sign and digits; nothing else (no blanks, no empty text).
// Number to text: integers below 1e15 in plain decimal; other values with at most 15
// significant digits (the 16th rounds), without trailing zeros or a trailing ".", in exponent
// form ("1e20", "1e-5") when the decimal exponent is 15 or more or -5 or less.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavro::player {

// The number the text spells, or nullopt when it is not a number.
std::optional<double> ParseNumber(std::string_view text);
// The number the text spells, 0 when it is not a number.
double ToNumber(std::string_view text);
std::string FormatNumber(double value);

} // namespace tavro::player
