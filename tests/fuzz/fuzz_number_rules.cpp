// Any text through the number rules: no crash, no undefined behaviour, and
// the results agree with each other.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/number_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto number = lvx::ParseDecimal(text);
    auto d = lvx::RuleD(text);
    auto n = lvx::RuleN(text);
    double leading = lvx::LeadingNumber(text);
    if (!std::isfinite(leading)) std::abort();
    if (!number) {
        if (d || n) std::abort();
        return 0;
    }
    if (leading != *number) std::abort();  // a whole number is also a leading one
    if (d && !(*d <= *number && *number < *d + 1.0)) std::abort();
    if (n && std::fabs(*n - *number) > 0.5) std::abort();
    if (n && lvx::RuleN(lvx::NumberText(*n)) != n) std::abort();
    return 0;
}
