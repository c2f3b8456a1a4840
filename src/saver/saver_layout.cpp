#include "saver/saver_layout.h"

#include <algorithm>
#include <cmath>

#include "common/number_rules.h"
#include "saver/saver_random.h"

namespace lvx {

CellGrid MakeCellGrid(int16_t screenWidthPx, int16_t screenHeightPx) {
    CellGrid grid;
    // A 16-bit screen size gives cells of at most 8192 x 10923 pixels: the
    // products below cannot leave 16 bits.
    grid.CellWidth = static_cast<int16_t>(RoundHalfEven(screenWidthPx / 4.0));
    grid.CellHeight = static_cast<int16_t>(RoundHalfEven(screenHeightPx / 3.0));
    for (int i = 0; i < kPictureSlots; ++i) {
        grid.CellX[static_cast<size_t>(i)] = static_cast<int16_t>((i % 4) * grid.CellWidth);
        grid.CellY[static_cast<size_t>(i)] = static_cast<int16_t>((i / 4) * grid.CellHeight);
    }
    return grid;
}

PicturePlace CenterInCell(const CellGrid& grid, int index, int16_t pictureSize) {
    const auto i = static_cast<size_t>(std::clamp(index, 0, kPictureSlots - 1));
    return {grid.CellX[i] + (grid.CellWidth - pictureSize) / 2.0, grid.CellY[i] + (grid.CellHeight - pictureSize) / 2.0};
}

int16_t RandomPictureSize(int16_t minSize, int16_t maxSize, float rnd) {
    const double span = static_cast<double>(maxSize) - minSize + 1;
    const double size = std::floor(span * static_cast<double>(rnd) + minSize);
    // Only reversed bounds or an rnd outside [0, 1) can leave the range.
    return static_cast<int16_t>(std::clamp(size, static_cast<double>(std::min(minSize, maxSize)),
                                           static_cast<double>(std::max(minSize, maxSize))));
}

int32_t ChannelDraw(float rnd, int32_t scale, int32_t offset) {
    return static_cast<int32_t>(std::floor(static_cast<double>(rnd) * scale + offset));
}

int32_t Rgb(int32_t r, int32_t g, int32_t b) {
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
    return r + g * 256 + b * 65536;
}

bool DrawPictureColours(int16_t gradation, SaverRandom& random, int32_t& color1, int32_t& color2) {
    // Each argument is drawn in order: red, then green, then blue.
    auto draw = [&random](int32_t scale, int32_t offset) { return ChannelDraw(random.Next(), scale, offset); };
    switch (gradation) {
        case 0: {
            const int32_t r = draw(209, 0), g = draw(209, 0), b = draw(209, 0);
            color1 = Rgb(r, g, b);
            color2 = Rgb(255, 255, 255);
            return true;
        }
        case 1: {
            const int32_t r = draw(209, 48), g = draw(209, 48), b = draw(209, 48);
            color1 = Rgb(r, g, b);
            color2 = 0;
            return true;
        }
        case 2: {
            const int32_t r1 = draw(256, 0), g1 = draw(256, 0), b1 = draw(256, 0);
            const int32_t r2 = draw(256, 0), g2 = draw(256, 0), b2 = draw(256, 0);
            color1 = Rgb(r1, g1, b1);
            color2 = Rgb(r2, g2, b2);
            return true;
        }
        default:
            return false;
    }
}

std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& primary) {
    std::vector<ScreenRect> covers;
    for (const ScreenRect& m : monitors) {
        if (m.right <= m.left || m.bottom <= m.top) continue;
        const bool insidePrimary =
            m.left >= primary.left && m.top >= primary.top && m.right <= primary.right && m.bottom <= primary.bottom;
        if (insidePrimary) continue;
        if (std::find(covers.begin(), covers.end(), m) != covers.end()) continue;
        covers.push_back(m);
    }
    return covers;
}

int32_t DrawBackColor(SaverRandom& random) {
    const int32_t r = ChannelDraw(random.Next(), 256, 0);
    const int32_t g = ChannelDraw(random.Next(), 256, 0);
    const int32_t b = ChannelDraw(random.Next(), 256, 0);
    return Rgb(r, g, b);
}

}  // namespace lvx
