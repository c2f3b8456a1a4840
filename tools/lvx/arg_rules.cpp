#include <CLI/CLI.hpp>

#include "arg_rules.h"

#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "common/number_rules.h"

namespace lvx::tool {

std::optional<int32_t> ParseWhole(const std::string& text, int32_t lo, int32_t hi) {
    if (text.find('.') != std::string::npos) return std::nullopt;
    const std::optional<double> number = ParseDecimal(text);
    if (!number || *number != std::floor(*number) || *number < lo || *number > hi) return std::nullopt;
    return static_cast<int32_t>(*number);
}

std::optional<int32_t> ParseColor(const std::string& text) {
    int64_t value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (text.size() > 10) return std::nullopt;
        for (size_t i = 2; i < text.size(); ++i) {
            const char c = text[i];
            int digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            else return std::nullopt;
            value = value * 16 + digit;
        }
    } else {
        // Decimal as the settings file stores it: a system colour is negative there.
        const std::optional<int32_t> whole = ParseWhole(text, INT32_MIN, INT32_MAX);
        if (!whole) return std::nullopt;
        value = static_cast<uint32_t>(*whole);
    }
    const bool rgb = value <= 0xFFFFFF;
    const bool system = value >= 0x80000000LL && value <= 0x80000018LL;
    if (!rgb && !system) return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::optional<uint64_t> ParseSeed(const std::string& text) {
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> ParseAngle(const std::string& text) {
    const std::optional<double> degrees = ParseDecimal(text);
    if (!degrees || !std::isfinite(*degrees)) return std::nullopt;
    return degrees;
}

CLI::Validator WholeRule(int32_t lo, int32_t hi) {
    const std::string range = std::to_string(lo) + " to " + std::to_string(hi);
    return CLI::Validator(
        [lo, hi, range](std::string& text) -> std::string {
            if (ParseWhole(text, lo, hi)) return {};
            return "'" + text + "' is not a whole number from " + range;
        },
        "", "whole");
}

CLI::Validator ColorRule() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (ParseColor(text)) return {};
            return "'" + text + "' is not a colour (0x00BBGGRR, or 0x80000000 + index 0 to 24)";
        },
        "", "colour");
}

CLI::Validator AngleRule() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (ParseAngle(text)) return {};
            return "'" + text + "' is not an angle in degrees";
        },
        "", "angle");
}

CLI::Validator SeedRule() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (ParseSeed(text)) return {};
            return "'" + text + "' is not a whole number from 0 to 18446744073709551615";
        },
        "", "seed");
}

std::string Hex(int32_t color) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, static_cast<uint32_t>(color));
    return text;
}

}  // namespace lvx::tool
