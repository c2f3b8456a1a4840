// A decimal text as the nearest double, worked out in integers only, so that
// every compiler and C library of the project gives the same bits.
#pragma once

#include <optional>
#include <string_view>

namespace lvx {

// digits: decimal digits with at most one '.', at least one digit, no sign
// ("12", "12.", ".5", "0.25"). The nearest double, a tie going to the even
// neighbour; nothing when the text is not of that form, when the value is too
// large for a double, or when a value other than zero is too small for the
// smallest one and would read as zero.
std::optional<double> DecimalValue(std::string_view digits);

}  // namespace lvx
