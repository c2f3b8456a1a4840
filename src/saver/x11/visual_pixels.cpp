#include "saver/x11/visual_pixels.h"

namespace lvx::x11 {
namespace {

// The table of one channel: 8-bit values scaled to the mask's run of bits.
bool Channel(uint64_t mask, std::array<uint32_t, 256>& table) {
    if (mask == 0 || mask > 0xFFFFFFFFu) return false;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const uint64_t run = mask >> shift;
    if ((run & (run + 1)) != 0) return false;  // not one run of bits
    for (uint64_t v = 0; v < 256; ++v) {
        table[v] = static_cast<uint32_t>(((v * run * 2 + 255) / 510) << shift);
    }
    return true;
}

}  // namespace

bool VisualPixels::Set(uint64_t redMask, uint64_t greenMask, uint64_t blueMask) {
    identity_ = false;
    const bool ok = (redMask & greenMask) == 0 && (redMask & blueMask) == 0 && (greenMask & blueMask) == 0 &&
                    Channel(redMask, red_) && Channel(greenMask, green_) && Channel(blueMask, blue_);
    identity_ = ok && redMask == 0xFF0000 && greenMask == 0xFF00 && blueMask == 0xFF;
    return ok;
}

void VisualPixels::Row(const uint32_t* from, uint32_t* to, int32_t count) const {
    for (int32_t i = 0; i < count; ++i) to[i] = (*this)(from[i]);
}

void VisualPixels::Row(const uint32_t* from, uint16_t* to, int32_t count) const {
    for (int32_t i = 0; i < count; ++i) to[i] = static_cast<uint16_t>((*this)(from[i]));
}

}  // namespace lvx::x11
