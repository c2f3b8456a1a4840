#include "common/number_rules.h"

#include <cmath>
#include <limits>

#include "common/decimal_value.h"

namespace lvx {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest decimal number (sign, digits, optional fraction) at
// the start of text, or 0 when there is none.
size_t NumberPrefix(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) { ++i; ++digits; }
    if (i < text.size() && text[i] == '.') {
        size_t j = i + 1;
        size_t fraction = 0;
        while (j < text.size() && IsDigit(text[j])) { ++j; ++fraction; }
        if (digits + fraction > 0) { i = j; digits += fraction; }
    }
    return digits > 0 ? i : 0;
}

std::optional<double> ToDouble(std::string_view number) {
    bool negative = false;
    if (!number.empty() && (number[0] == '+' || number[0] == '-')) {
        negative = number[0] == '-';
        number.remove_prefix(1);
    }
    std::optional<double> value = DecimalValue(number);
    if (!value) return std::nullopt;
    return negative ? -*value : *value;
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    size_t length = NumberPrefix(text);
    if (length == 0 || length != text.size()) return std::nullopt;
    return ToDouble(text);
}

double LeadingNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    size_t length = NumberPrefix(text);
    if (length == 0) return 0;
    return ToDouble(text.substr(0, length)).value_or(0);
}

double RoundHalfEven(double value) {
    double down = std::floor(value);
    double diff = value - down;
    if (diff > 0.5) return down + 1;
    if (diff < 0.5) return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

std::optional<int32_t> NearestInt32(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<int32_t>(r);
}

std::optional<int16_t> NearestInt16(double value) {
    double r = RoundHalfEven(value);
    if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max())) {
        return std::nullopt;
    }
    return static_cast<int16_t>(r);
}

std::optional<int16_t> RuleD(std::string_view text) {
    auto number = ParseDecimal(text);
    if (!number) return std::nullopt;
    double down = std::floor(*number);
    if (!(down >= std::numeric_limits<int16_t>::min() && down <= std::numeric_limits<int16_t>::max())) {
        return std::nullopt;
    }
    return static_cast<int16_t>(down);
}

std::optional<int32_t> RuleN(std::string_view text) {
    auto number = ParseDecimal(text);
    if (!number) return std::nullopt;
    return NearestInt32(*number);
}

std::string NumberText(int64_t value) {
    std::string text = std::to_string(value);
    if (value >= 0) text.insert(text.begin(), ' ');
    return text;
}

}  // namespace lvx
