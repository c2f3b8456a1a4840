// How lvx reads the values on its command line: one rule per kind of value,
// shared by every command, each with a checker that names what it refuses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class Validator;
}

namespace lvx::tool {

// The largest picture lvx draws or plans: a side common PNG readers accept
// (libpng refuses wider by default) and an area of 64 Mi pixels, more than
// an 8K screen.
inline constexpr int32_t kMaxSide = 1000000;
inline constexpr int64_t kMaxPixels = int64_t{1} << 26;
// A gradient has one colour per line, and no picture has more lines than
// its width and height together.
inline constexpr int32_t kMaxSteps = 2 * kMaxSide;

// A whole decimal number (optional sign, no fraction) within lo..hi.
std::optional<int32_t> ParseWhole(const std::string& text, int32_t lo, int32_t hi);

// A colour: 0x00BBGGRR, or 0x80000000 + a system-colour index from 0 to 24;
// written in decimal or as 0x followed by up to 8 hex digits.
std::optional<int32_t> ParseColor(const std::string& text);

// A seed: a whole decimal number from 0 to 18446744073709551615, digits only.
std::optional<uint64_t> ParseSeed(const std::string& text);

// An angle in degrees: a decimal number, sign and fraction allowed.
std::optional<double> ParseAngle(const std::string& text);

CLI::Validator WholeRule(int32_t lo, int32_t hi);
CLI::Validator ColorRule();
CLI::Validator AngleRule();
CLI::Validator SeedRule();

// "0x" and eight upper-case hex digits, as every command prints a colour.
std::string Hex(int32_t color);

// What the help says of each kind of value.
inline constexpr const char* kColorHelp =
    "colour: 0x00BBGGRR (hex or decimal), or 0x80000000 + system-colour index 0 to 24 "
    "(the classic Windows default of that colour)";
inline constexpr const char* kAngleHelp = "angle in degrees, sign and fraction allowed (e.g. -22.5)";

}  // namespace lvx::tool
