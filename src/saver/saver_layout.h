// The saver's rules that need no window: the 4 x 3 grid, where a picture
// sits in its cell, the bounds and draw of a random picture size, and the
// colour draws. Shared by the saver and the lvx tool.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace lvx {

class SaverRandom;

// The most pictures the saver shows; every per-picture table has this many.
inline constexpr int kPictureSlots = 12;

// Grid cells in pixels: picture i lies in column i mod 4 and row i div 4.
struct CellGrid {
    int16_t CellWidth = 0;
    int16_t CellHeight = 0;
    std::array<int16_t, kPictureSlots> CellX{};
    std::array<int16_t, kPictureSlots> CellY{};
};
// A quarter of the width and a third of the height, each rounded to the
// nearest pixel (halves to even: 1366 gives 342).
CellGrid MakeCellGrid(int16_t screenWidthPx, int16_t screenHeightPx);

// Left and top of a picture centred in its cell. The values are exact: an odd
// difference between cell and picture leaves a half pixel, and a picture
// larger than its cell gets a negative offset.
struct PicturePlace {
    double left = 0;
    double top = 0;
};
PicturePlace CenterInCell(const CellGrid& grid, int index, int16_t pictureSize);

// A picture size drawn from rnd: MinPictureSize..MaxPictureSize inclusive.
// Worked in double precision, where (max - min + 1) * rnd stays below
// max - min + 1 for every rnd below 1; in single precision an rnd just below
// 1 rounds up and gives max + 1.
int16_t RandomPictureSize(int16_t minSize, int16_t maxSize, float rnd);

// floor(rnd * scale + offset), in double precision so that the stated
// ranges hold for every rnd below 1 (0..208 for scale 209, not 209).
int32_t ChannelDraw(float rnd, int32_t scale, int32_t offset);

// A colour 0x00BBGGRR from channels; a channel above 255 counts as 255 and
// one below 0 as 0.
int32_t Rgb(int32_t r, int32_t g, int32_t b);

// Draws the two colours of one picture for the gradation: 0 towards white,
// 1 towards black, 2 random to random. Red, green, blue in that order, the
// first colour before the second. Any other gradation draws nothing and
// returns false, leaving the colours as they were.
bool DrawPictureColours(int16_t gradation, SaverRandom& random, int32_t& color1, int32_t& color2);

// A random background colour: red, green, blue, each floor(rnd * 256).
int32_t DrawBackColor(SaverRandom& random);

// A rectangle of the virtual screen in pixels, right and bottom excluded.
// Monitors left of or above the primary one have negative coordinates.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The monitors that need a cover of their own while the saver runs: every
// monitor the saver window (on the primary rectangle) does not already cover,
// each once, in the order given. Empty rectangles, the primary itself, a
// monitor lying inside it (a mirrored one) and repeats get none.
std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& primary);

}  // namespace lvx
