// How stored and typed texts become numbers, and how numbers are written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lvx {

// A whole text read as a decimal number: optional blanks around it, an
// optional sign and an optional fraction. Anything else is not a number.
std::optional<double> ParseDecimal(std::string_view text);

// The number at the start of a text (leading blanks skipped); 0 when the text
// does not begin with one. Trailing text is ignored.
double LeadingNumber(std::string_view text);

// Nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// Rule D: rounded down, must fit 16 bits signed.
std::optional<int16_t> RuleD(std::string_view text);
// Rule N: nearest (halves to even), must fit 32 bits signed.
std::optional<int32_t> RuleN(std::string_view text);

// Nearest integer as a 32-bit value, or nothing when it does not fit.
std::optional<int32_t> NearestInt32(double value);
std::optional<int16_t> NearestInt16(double value);

// The number as the settings file holds it: a blank before a number that is
// zero or positive, a minus sign before a negative one.
std::string NumberText(int64_t value);

}  // namespace lvx
