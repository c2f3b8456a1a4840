// The integer-only decimal reader against the C++ library's own reader
// (std::from_chars, as the number rules used it before): the same bits for
// every text, the same refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "common/decimal_value.h"
#include "common/number_rules.h"

namespace lvx {
namespace {

// What the number rules accepted before: the whole text read, no range
// error, a finite result.
std::optional<double> Reference(std::string_view text) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string Show(std::optional<double> v) {
    if (!v) return "nothing";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%a", *v);
    return buf;
}

// Bits, not values: 0.0 and -0.0 differ, and so would a NaN.
bool Same(std::optional<double> a, std::optional<double> b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || std::bit_cast<uint64_t>(*a) == std::bit_cast<uint64_t>(*b);
}

// The exact decimal digits of a long double (glibc prints them exactly when
// given enough places), without the trailing zeros of the fraction.
std::string Exact(long double v, int places = 1200) {
    std::string text(places + 5000, '\0');
    const int n = std::snprintf(text.data(), text.size(), "%.*Lf", places, v);
    text.resize(static_cast<size_t>(n));
    if (text.find('.') != std::string::npos) {
        text.resize(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

// The same text with its last digit one lower (that digit not a 0).
std::string Lowered(std::string text) {
    --text.back();
    return text;
}

const long double kMaxHalfUp = 0x1.fffffffffffffp1023L + 0x1p970L;  // halfway from the largest double to 2^1024

TEST(DecimalValue, RoundsToNearestEvenAndRefusesWhatIsOutOfRange) {
    struct Row {
        const char* what;
        std::string text;
        std::optional<double> expected;
    };
    const std::string zeros900(900, '0');
    const Row rows[] = {
        {"zero", "0", 0.0},
        {"zeros everywhere", "000.000", 0.0},
        {"point only", ".", std::nullopt},
        {"empty", "", std::nullopt},
        {"two points", "1.2.3", std::nullopt},
        {"exponent", "1e5", std::nullopt},
        {"sign", "-1", std::nullopt},
        {"trailing point", "12.", 12.0},
        {"leading point", ".25", 0.25},
        {"leading and trailing zeros", "000123.4500", 123.45},
        {"a tenth", "0.1", 0x1.999999999999ap-4},
        {"tie below 2^53 + 2 goes down to even", "9007199254740993", 0x1p53},
        {"tie below 2^53 + 4 goes up to even", "9007199254740995", 0x1.0000000000002p53},
        {"just above a tie", "9007199254740993.0000000000000000000000001", 0x1.0000000000001p53},
        {"just below a tie", "9007199254740994.9999999999999999999999999", 0x1.0000000000001p53},
        {"a tie decided past the 900th digit", "9007199254740993." + zeros900 + "1", 0x1.0000000000001p53},
        {"a tie with 900 zeros after it", "9007199254740993." + zeros900, 0x1p53},
        {"halves of whole numbers", "2.5", 2.5},
        {"largest double", Exact(0x1.fffffffffffffp1023L), 0x1.fffffffffffffp1023},
        {"halfway to 2^1024 rounds to infinity", Exact(kMaxHalfUp), std::nullopt},
        {"halfway to 2^1024, with a fraction of zeros", Exact(kMaxHalfUp) + ".000", std::nullopt},
        {"one under halfway to 2^1024", Lowered(Exact(kMaxHalfUp)), 0x1.fffffffffffffp1023},
        {"a 310-digit number", "1" + std::string(309, '0'), std::nullopt},
        {"smallest double", Exact(0x1p-1074L), 0x1p-1074},
        {"half the smallest rounds to zero: refused", Exact(0x1p-1075L), std::nullopt},
        {"just over half the smallest", Exact(0x1p-1075L) + "1", 0x1p-1074},
        {"just over half the smallest, decided past the 800th digit",
         Exact(0x1p-1075L) + std::string(100, '0') + "1", 0x1p-1074},
        {"far below the smallest", "0." + std::string(400, '0') + "1", std::nullopt},
        {"largest below the normal ones", Exact(0x0.fffffffffffffp-1022L), 0x0.fffffffffffffp-1022},
        {"halfway up to the smallest normal", Exact(0x1.fffffffffffffp-1023L), 0x1p-1022},
        {"three halves of the smallest", Exact(0x3p-1075L), 0x1p-1073},
        {"five halves of the smallest", Exact(0x5p-1075L), 0x1p-1073},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(Show(DecimalValue(row.text)), Show(row.expected));
        // The library also reads exponents; the number rules never pass it one.
        if (row.text.find_first_not_of("0123456789.") == std::string::npos) {
            EXPECT_TRUE(Same(DecimalValue(row.text), Reference(row.text))) << Show(Reference(row.text));
        }
    }
}

// A small, fast generator (splitmix64): the test code is built without
// optimisation, where the library's engines and strings would take seconds.
struct Rng {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
};

// Decimal digits, 19 to a draw.
struct Digits {
    Rng& rng;
    uint64_t pool = 0;
    int left = 0;
    char Next() {
        if (left == 0) {
            pool = rng.Next();
            left = 19;
        }
        --left;
        const char c = static_cast<char>('0' + pool % 10);
        pool /= 10;
        return c;
    }
};

// A text of digits and points as the settings file or a typist might give
// it, written to out; returns its length (at most 810).
size_t RandomDigits(Rng& rng, char* out) {
    uint64_t shape = rng.Next();
    auto take = [&shape](uint64_t n) {
        const uint64_t v = shape % n;
        shape /= n;
        return v;
    };
    Digits digits{rng};
    auto length = [&] {
        const uint64_t r = take(64);
        return r < 40 ? r % 8 : r < 63 ? r % 22 : take(400);
    };
    size_t n = 0;
    for (uint64_t zeros = take(4) == 0 ? take(5) : 0; zeros > 0; --zeros) out[n++] = '0';
    for (uint64_t k = length(); k > 0; --k) out[n++] = digits.Next();
    if (take(4) != 0) {
        out[n++] = '.';
        for (uint64_t k = length(); k > 0; --k) out[n++] = digits.Next();
    }
    return n;
}

// A double, the point halfway to its neighbour, or a hair either side of that
// point, in exact digits: the texts on which rounding is decided.
std::string RandomNearTie(Rng& rng) {
    const uint64_t r = rng.Next();
    const bool wide = r % 16 == 0;
    const int exponent = wide ? static_cast<int>(r / 16 % 2100) - 1075 : static_cast<int>(r / 16 % 140) - 60;
    const double d = std::ldexp(static_cast<double>((rng.Next() >> 11) | (uint64_t{1} << 52)), exponent - 52);
    if (!std::isfinite(d) || d == 0) return "0";
    long double v = d;
    const long double next = std::nextafter(d, HUGE_VAL);
    switch (r / 65536 % 4) {
        case 0: break;
        case 1: v = (v + next) / 2; break;
        case 2: v = std::nextafter((v + next) / 2, 0.0L); break;
        default: v = std::nextafter((v + next) / 2, HUGE_VALL); break;
    }
    // The point halfway has its last bit at 2^(exponent - 53).
    return Exact(v, exponent < -1030 ? 1200 : std::max(1, 54 - exponent));
}

TEST(DecimalValue, AgreesWithTheLibraryReaderOnAMillionTexts) {
    Rng rng{20261208};
    char buffer[1024];
    int disagreements = 0;
    for (int i = 0; i < 1000000 && disagreements < 10; ++i) {
        std::string nearTie;
        std::string_view text;
        if (i % 64 == 0) {
            nearTie = RandomNearTie(rng);
            text = nearTie;
        } else {
            text = std::string_view(buffer, RandomDigits(rng, buffer));
        }
        const std::optional<double> ours = DecimalValue(text);
        const std::optional<double> library = Reference(text);
        if (!Same(ours, library)) {
            ++disagreements;
            ADD_FAILURE() << text << ": " << Show(ours) << ", the library " << Show(library);
        }
    }
}

// Every run of digits and points in the number fuzzer's inputs, read alone
// and with a minus sign through the number rules.
TEST(DecimalValue, AgreesWithTheLibraryReaderOnTheFuzzerInputs) {
    const std::filesystem::path dir = std::filesystem::path(LVX_SOURCE_DIR) / "tests/fuzz/seeds/number_rules";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ++files;
        for (size_t i = 0; i < bytes.size();) {
            size_t j = i;
            while (j < bytes.size() && ((bytes[j] >= '0' && bytes[j] <= '9') || bytes[j] == '.')) ++j;
            if (j == i) {
                ++i;
                continue;
            }
            const std::string run = bytes.substr(i, j - i);
            SCOPED_TRACE(entry.path().filename().string() + ": " + run);
            EXPECT_TRUE(Same(DecimalValue(run), Reference(run)));
            const std::optional<double> reference = Reference(run);
            EXPECT_TRUE(Same(ParseDecimal("-" + run), reference ? std::optional<double>(-*reference) : std::nullopt));
            i = j;
        }
    }
    EXPECT_GT(files, 50);
}

}  // namespace
}  // namespace lvx
