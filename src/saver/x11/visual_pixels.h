// Pixel values of a TrueColor visual of any depth (16-bit 5-6-5, 15-bit,
// 24-bit, 30-bit 10-10-10, channels in any order) from the compositor's
// 0x00RRGGBB pixels. Needs no X server: the masks come from the visual.
#pragma once

#include <array>
#include <cstdint>

namespace lvx::x11 {

class VisualPixels {
public:
    // Takes a visual's channel masks. False, and nothing usable, when a mask
    // is empty, is not one run of bits, or overlaps another: such a visual
    // cannot show the pictures' colours.
    bool Set(uint64_t redMask, uint64_t greenMask, uint64_t blueMask);
    // The visual's pixel value is 0x00RRGGBB itself: no conversion needed.
    bool Identity() const { return identity_; }
    // Each channel scaled to its mask's width, to the nearest step.
    uint32_t operator()(uint32_t rgb) const {
        return red_[(rgb >> 16) & 0xFF] | green_[(rgb >> 8) & 0xFF] | blue_[rgb & 0xFF];
    }
    // A run of pixels into 32- or 16-bit pixel memory in the machine's order.
    void Row(const uint32_t* from, uint32_t* to, int32_t count) const;
    void Row(const uint32_t* from, uint16_t* to, int32_t count) const;

private:
    std::array<uint32_t, 256> red_{}, green_{}, blue_{};
    bool identity_ = false;
};

}  // namespace lvx::x11
