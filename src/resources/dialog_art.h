// The settings dialog's pictures, its window icon and its hand cursor, drawn
// by code at any dots-per-inch setting, so that they stay crisp at 150 % and
// 200 % instead of being stretched. Sizes are the 96-dpi design sizes scaled
// by ScaleForDpi.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lvx::art {

// Straight (not premultiplied) 0xAARRGGBB pixels, top row first.
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    Image() = default;
    Image(int32_t w, int32_t h, uint32_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t& At(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

constexpr uint32_t Alpha(uint32_t p) { return p >> 24; }
constexpr uint32_t Red(uint32_t p) { return (p >> 16) & 0xFF; }
constexpr uint32_t Green(uint32_t p) { return (p >> 8) & 0xFF; }
constexpr uint32_t Blue(uint32_t p) { return p & 0xFF; }
constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

// The picture stores, at their design sizes times dpi / 96.
Image MetalStrip(int32_t dpi);            // Pic_Mbl, 542 x 24, opaque
Image HeadingBar(int32_t dpi);            // Img_HH, 95 x 22
Image ButtonPicture(bool held, int32_t dpi);  // Img_Off (released) and Img_On (held), 95 x 22
Image RadioMark(bool selected, int32_t dpi);  // Img_Opt_off and Img_Opt_on, 13 x 13
Image CheckMark(bool set, int32_t dpi);       // Img_Ra(0) and Img_Ra(1), 12 x 12

// The window icon, size x size pixels (32 at 96 dpi), in at most 256 colours.
Image WindowIcon(int32_t size);

// The pointing hand: 32 x 32 at 96 dpi with its hot spot on the tip of the
// index finger at (12, 1); every pixel is transparent, black or white, so it
// fits a 16-colour cursor.
struct Cursor {
    Image image;
    int32_t hotX = 0;
    int32_t hotY = 0;
};
Cursor HandCursor(int32_t dpi);

// An image's colours as a palette of at most 256 entries (0x00RRGGBB) and one
// index per pixel; transparent pixels get index 0 and a set mask bit.
struct Indexed {
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices;
    std::vector<bool> transparent;
};
// Empty when the image holds more than 256 opaque colours.
Indexed ToPalette(const Image& image);

}  // namespace lvx::art
