// Colours are 0x00BBGGRR; a negative value 0x80000000 + index (0 to 24) names
// the platform's system colour of that index. The dialog's swatch, the
// gradient object and the saver's background share this one rule.
#pragma once

#include <cstdint>
#include <optional>

namespace lvx {

inline std::optional<int32_t> SystemColourIndex(int32_t colour) {
    if (colour < 0 && (colour & 0x7FFFFFFF) <= 24) return colour & 0x7FFFFFFF;
    return std::nullopt;
}

}  // namespace lvx
