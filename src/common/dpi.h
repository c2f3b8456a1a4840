// Sizes are designed in pixels at 96 dots per inch; every other setting scales
// them here, and nowhere else.
#pragma once

#include <cstdint>

namespace lvx {

inline constexpr int32_t kDesignDpi = 96;

// value * dpi / 96, rounded to the nearest pixel (halves away from zero), as
// the platform's MulDiv does.
constexpr int32_t ScaleForDpi(int32_t value, int32_t dpi) {
    const int64_t product = static_cast<int64_t>(value) * dpi;
    const int64_t half = kDesignDpi / 2;
    return static_cast<int32_t>(product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi));
}

}  // namespace lvx
