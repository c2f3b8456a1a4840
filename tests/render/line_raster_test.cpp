// The memory path's lines where the comparison with the platform's pens
// cannot reach: ends at the edge of the coordinate range, degenerate lines,
// surfaces far larger than any test bitmap, and the row-by-row scan against
// drawing the same lines one at a time on many more sizes and angles.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "render/classic_colors.h"
#include "render/cls_gradient.h"
#include "render/line_raster.h"
#include "render/row_store.h"

namespace lvx {
namespace {

constexpr int32_t kFar = kMaxPixelCoordinate;

// Pixel memory of a given size, in either row order, with a frame of
// guard words around it that nothing may touch.
class Memory {
public:
    Memory(int32_t w, int32_t h, bool bottomUp = false, uint32_t fill = 0)
        : w_(w), h_(h), words_(static_cast<size_t>(w) * static_cast<size_t>(h) + 2 * kGuard, fill) {
        std::fill(words_.begin(), words_.begin() + kGuard, kGuardWord);
        std::fill(words_.end() - kGuard, words_.end(), kGuardWord);
        surface_.width = w;
        surface_.height = h;
        uint32_t* first = words_.data() + kGuard;
        surface_.topRow = bottomUp ? first + static_cast<size_t>(w) * static_cast<size_t>(h > 0 ? h - 1 : 0) : first;
        surface_.rowStep = bottomUp ? -w : w;
    }
    const PixelSurface& Surface() const { return surface_; }
    uint32_t At(int32_t x, int32_t y) const { return surface_.Row(y)[x]; }
    bool GuardsIntact() const {
        return std::all_of(words_.begin(), words_.begin() + kGuard, [](uint32_t v) { return v == kGuardWord; }) &&
               std::all_of(words_.end() - kGuard, words_.end(), [](uint32_t v) { return v == kGuardWord; });
    }
    // The pixels that hold something other than the fill, top row first.
    std::set<std::pair<int32_t, int32_t>> Set(uint32_t fill = 0) const {
        std::set<std::pair<int32_t, int32_t>> set;
        for (int32_t y = 0; y < h_; ++y) {
            for (int32_t x = 0; x < w_; ++x) {
                if (At(x, y) != fill) set.insert({x, y});
            }
        }
        return set;
    }
    // How many pixels hold something other than the fill.
    size_t Count(uint32_t fill = 0) const {
        size_t count = 0;
        for (int32_t y = 0; y < h_; ++y) {
            for (int32_t x = 0; x < w_; ++x) count += At(x, y) != fill;
        }
        return count;
    }
    bool operator==(const Memory& other) const { return words_ == other.words_; }

private:
    static constexpr size_t kGuard = 64;
    static constexpr uint32_t kGuardWord = 0xDEADBEEF;
    int32_t w_, h_;
    std::vector<uint32_t> words_;
    PixelSurface surface_;
};

using Pixels = std::set<std::pair<int32_t, int32_t>>;

TEST(RasteriseLine, SetsThePixelsOfTheRule) {
    struct Case {
        const char* what;
        int32_t w, h;
        LinePoint from, to;
        bool drawn;
        Pixels pixels;
    } cases[] = {
        {"a point", 4, 4, {1, 1}, {1, 1}, true, {}},
        {"one step: the start only", 4, 4, {1, 1}, {2, 1}, true, {{1, 1}}},
        {"halves go up the screen going right", 5, 3, {0, 0}, {4, 2}, true, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {"and going left", 5, 3, {4, 2}, {0, 0}, true, {{4, 2}, {3, 1}, {2, 1}, {1, 0}}},
        {"halves go left going down", 2, 3, {0, 0}, {1, 2}, true, {{0, 0}, {0, 1}}},
        {"and going up", 2, 3, {1, 2}, {0, 0}, true, {{1, 2}, {0, 1}}},
        {"a diagonal", 4, 4, {3, 0}, {0, 3}, true, {{3, 0}, {2, 1}, {1, 2}}},
        {"cut at both sides", 3, 3, {-5, 1}, {5, 1}, true, {{0, 1}, {1, 1}, {2, 1}}},
        {"ends at the range's limits", 4, 4, {-kFar, -kFar}, {kFar, kFar}, true, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {"a far row", 5, 3, {kFar, 2}, {-kFar, 2}, true, {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}},
        {"a far steep line, half-way on row 0", 3, 4, {1, -kFar}, {2, kFar}, true, {{1, 0}, {2, 1}, {2, 2}, {2, 3}}},
        {"passing by a corner", 4, 4, {-3, 2}, {2, -3}, true, {}},
        {"ending on the edge", 4, 4, {0, 3}, {0, 4}, true, {{0, 3}}},
        {"beyond the range", 4, 4, {kFar + 1, 0}, {0, 0}, false, {}},
        {"beyond the range in y", 4, 4, {0, 0}, {0, -kFar - 1}, false, {}},
    };
    for (const Case& c : cases) {
        for (bool bottomUp : {false, true}) {
            Memory memory(c.w, c.h, bottomUp);
            EXPECT_EQ(RasteriseLine(memory.Surface(), c.from, c.to, 0x00ABCDEF), c.drawn) << c.what;
            EXPECT_EQ(memory.Set(), c.pixels) << c.what << (bottomUp ? " (bottom-up)" : "");
            EXPECT_TRUE(memory.GuardsIntact()) << c.what;
        }
    }
}

GradientLines Plan(float angle, int32_t w, int32_t h, int32_t color1 = 0x00FFFFD0, int32_t color2 = 0x00400000) {
    HeadlessGradientPort port;
    clsGradient g(port);
    g.Angle(angle);
    g.Color1(color1);
    g.Color2(color2);
    return g.PlanLines(w, h);
}

void OneAtATime(const Memory& memory, const GradientLines& lines) {
    for (int32_t k = 0; k < lines.LineCount(); ++k) {
        RasteriseLine(memory.Surface(), lines.points[static_cast<size_t>(2 * k)],
                      lines.points[static_cast<size_t>(2 * k + 1)], PixelOf(lines.colors[static_cast<size_t>(k)]));
    }
}

// The scan that writes each row once must leave what drawing the lines one
// after the other leaves, on bitmaps of the plan's size and of others (the
// lines are cut at the bitmap's edges), in both row orders, with pixels the
// lines miss left as they were.
TEST(PaintLines, LeavesWhatDrawingLineByLineLeaves) {
    std::mt19937 random(2024);
    for (int round = 0; round < 1200; ++round) {
        // Staircase colours eight at a time (AVX2), four at a time, or, every
        // other round, one at a time.
        UseWideGather(round % 2 == 0);
        row_store::UseAvx2(round % 4 == 0);
        const int32_t w = 2 + static_cast<int32_t>(random() % 90), h = 2 + static_cast<int32_t>(random() % 90);
        const float angle = static_cast<float>(random() % 36000) / 100.0f;
        const GradientLines lines = Plan(angle, w, h, static_cast<int32_t>(random() & 0xFFFFFF),
                                         static_cast<int32_t>(random() & 0xFFFFFF));
        const int32_t bw = round % 3 == 0 ? w : 1 + static_cast<int32_t>(random() % 120);
        const int32_t bh = round % 3 == 0 ? h : 1 + static_cast<int32_t>(random() % 120);
        const bool bottomUp = round % 2 == 1;
        Memory scanned(bw, bh, bottomUp, 0x7F000001), drawn(bw, bh, bottomUp, 0x7F000001);
        ASSERT_TRUE(PaintLines(scanned.Surface(), lines));
        OneAtATime(drawn, lines);
        ASSERT_TRUE(scanned == drawn) << w << " x " << h << " at " << angle << " on " << bw << " x " << bh
                                      << (round % 4 == 0 ? ", eight at a time" : round % 2 == 0 ? ", four at a time" : ", one at a time");
        ASSERT_TRUE(scanned.GuardsIntact());
    }
    UseWideGather(true);
    row_store::UseAvx2(true);
}

// Any part of any row, painted alone into memory of just that width, holds
// what the whole picture holds there; one plan serves pictures in other
// colours; nothing is written outside the part asked for.
TEST(SweepPainter, PartsOfRowsAreThePictureCutOut) {
    std::mt19937 random(77);
    for (int round = 0; round < 600; ++round) {
        const int32_t w = 2 + static_cast<int32_t>(random() % 70), h = 2 + static_cast<int32_t>(random() % 70);
        const float angle = static_cast<float>(random() % 36000) / 100.0f;
        const GradientLines first = Plan(angle, w, h, 0x00102030, 0x00F0E0D0);
        SweepPainter sweep;
        ASSERT_TRUE(sweep.Prepare(first.points, first.LineCount(), w, h)) << w << " x " << h << " at " << angle;
        for (int picture = 0; picture < 2; ++picture) {
            const GradientLines lines = picture == 0 ? first
                                                     : Plan(angle, w, h, static_cast<int32_t>(random() & 0xFFFFFF),
                                                            static_cast<int32_t>(random() & 0xFFFFFF));
            Memory whole(w, h, false, 0x7F000001);
            ASSERT_TRUE(PaintLines(whole.Surface(), lines));
            SweepPainter::Colours colours;
            sweep.SetColours(lines.colors, colours);
            for (int32_t y = 0; y < h; ++y) {
                // A part that may reach past either end of the row: it is cut to the row.
                const int32_t from = static_cast<int32_t>(random() % (w + 4)) - 2;
                const int32_t to = from + static_cast<int32_t>(random() % (w + 4));
                const int32_t lo = std::max(from, 0), hi = std::min(to, w);
                Memory part(std::max(hi - lo, 0) + 1, 1, false, 0x7F000001);
                sweep.PaintRow(y, from, to, colours, part.Surface().topRow);
                for (int32_t x = lo; x < hi; ++x) {
                    ASSERT_EQ(part.At(x - lo, 0), whole.At(x, y))
                        << w << " x " << h << " at " << angle << ", row " << y << " [" << from << ", " << to << ")";
                }
                // The word after the part and the guards stay as they were.
                ASSERT_EQ(part.At(std::max(hi - lo, 0), 0), 0x7F000001u) << "row " << y << " [" << from << ", " << to << ")";
                ASSERT_TRUE(part.GuardsIntact());
            }
        }
    }
}

// Streamed stores take whole cache lines only, plain ones the rest: rows
// placed at every pixel of a 64-byte line, and parts of them starting at
// every pixel, come out as the whole picture has them, in every width of
// store, with nothing written past either end.
TEST(SweepPainter, RowsAtEveryPlaceInACacheLine) {
    for (float angle : {60.0f, 45.0f, 86.0f, 100.0f}) {
        const int32_t w = 150, h = 40;
        const GradientLines lines = Plan(angle, w, h, 0x00102030, 0x00F0E0D0);
        Memory whole(w, h);
        ASSERT_TRUE(PaintLines(whole.Surface(), lines));
        SweepPainter sweep;
        ASSERT_TRUE(sweep.Prepare(lines.points, lines.LineCount(), w, h));
        SweepPainter::Colours colours;
        sweep.SetColours(lines.colors, colours);
        for (int mode = 0; mode < 3; ++mode) {
            UseWideGather(mode < 2);
            row_store::UseAvx2(mode == 0);
            for (int32_t place = 0; place < 16; ++place) {
                for (int32_t y = 0; y < h; y += 3) {
                    std::vector<uint32_t> memory(static_cast<size_t>(w) + 64, 0x7F000001);
                    const auto line = reinterpret_cast<uintptr_t>(memory.data());
                    uint32_t* row = memory.data() + ((64 - (line & 63)) & 63) / 4 + 16 + place;
                    const int32_t from = (y / 3) % 16;
                    sweep.PaintRow(y, from, w, colours, row);
                    row_store::Finish();
                    for (int32_t x = from; x < w; ++x) {
                        ASSERT_EQ(row[x - from], whole.At(x, y)) << angle << " degrees, store width " << mode << ", place "
                                                                 << place << ", row " << y << ", column " << x;
                    }
                    ASSERT_EQ(row[-1], 0x7F000001u);
                    ASSERT_EQ(row[w - from], 0x7F000001u);
                }
            }
        }
    }
    UseWideGather(true);
    row_store::UseAvx2(true);
}

TEST(PaintLines, VeryWideAndVeryTallAreas) {
    for (auto [w, h] : {std::pair{30000, 3}, std::pair{3, 30000}, std::pair{2, 2}}) {
        for (float angle : {0.0f, 1.0f, 45.0f, 89.0f, 90.0f, 135.0f, 181.0f, 269.5f, 315.0f}) {
            const GradientLines lines = Plan(angle, w, h);
            Memory scanned(w, h), drawn(w, h);
            ASSERT_TRUE(PaintLines(scanned.Surface(), lines));
            OneAtATime(drawn, lines);
            ASSERT_TRUE(scanned == drawn) << w << " x " << h << " at " << angle;
            // The sweep leaves no pixel of its own area unpainted.
            EXPECT_EQ(scanned.Count(), static_cast<size_t>(w) * static_cast<size_t>(h)) << w << " x " << h;
        }
    }
}

// Sweeps no plan makes (stopping inside the bitmap), lines that are not one
// line moved along (drawn one at a time), and what the memory could get
// wrong, which is refused untouched.
TEST(PaintLines, HandMadeLinesAndRefusals) {
    struct Case {
        const char* what;
        GradientLines lines;
        bool painted;
    } cases[] = {
        {"no lines", {{}, {}}, true},
        {"a single line", {{{0, 0}, {9, 3}}, {0x0000FF}}, true},
        {"lines in all directions",
         {{{0, 0}, {9, 3}, {8, 0}, {0, 9}, {5, -2}, {5, 20}}, {0x0000FF, 0x00FF00, 0xFF0000}},
         true},
        {"one step of two pixels", {{{0, 0}, {0, 9}, {2, 0}, {2, 9}}, {1, 2}}, true},
        // Sweeps that stop inside the bitmap, each way, with lines of both kinds.
        {"short sweep right", {{{1, 0}, {3, 9}, {2, 0}, {4, 9}, {3, 0}, {5, 9}}, {1, 2, 3}}, true},
        {"short sweep left", {{{6, 1}, {8, 9}, {5, 1}, {7, 9}, {4, 1}, {6, 9}}, {1, 2, 3}}, true},
        {"short sweep down", {{{0, 2}, {9, 4}, {0, 3}, {9, 5}, {0, 4}, {9, 6}}, {1, 2, 3}}, true},
        {"short sweep up", {{{0, 7}, {9, 4}, {0, 6}, {9, 3}, {0, 5}, {9, 2}}, {1, 2, 3}}, true},
        {"flat lines swept right", {{{0, 2}, {9, 5}, {1, 2}, {10, 5}, {2, 2}, {11, 5}}, {1, 2, 3}}, true},
        {"flat lines swept left", {{{9, 2}, {0, 5}, {8, 2}, {-1, 5}, {7, 2}, {-2, 5}}, {1, 2, 3}}, true},
        {"steep lines swept down", {{{2, 0}, {4, 9}, {2, 1}, {4, 10}, {2, 2}, {4, 11}}, {1, 2, 3}}, true},
        {"steep lines swept up", {{{7, 9}, {5, 0}, {7, 8}, {5, -1}, {7, 7}, {5, -2}}, {1, 2, 3}}, true},
        {"a palette colour", {{{0, 0}, {0, 9}, {1, 0}, {1, 9}}, {0x01000003, 0x00FF00}}, false},
        {"a colour with the top bit",
         {{{0, 0}, {0, 9}, {1, 0}, {1, 9}}, {0x000000FF, static_cast<int32_t>(0x80000001)}},
         false},
        {"too few colours", {{{0, 0}, {0, 9}, {1, 0}, {1, 9}}, {0x0000FF}}, false},
        {"an end beyond the range", {{{0, 0}, {0, 9}, {1, 0}, {1, kFar + 1}}, {1, 2}}, false},
    };
    for (const Case& c : cases) {
        Memory painted(10, 10, false, 0x55555555), drawn(10, 10, false, 0x55555555);
        EXPECT_EQ(PaintLines(painted.Surface(), c.lines), c.painted) << c.what;
        if (c.painted) OneAtATime(drawn, c.lines);
        EXPECT_TRUE(painted == drawn) << c.what;
    }
}

TEST(PaintLines, ASurfaceBeyondTheRangeIsRefused) {
    const GradientLines lines = Plan(0, 4, 4);
    uint32_t word = 0;
    PixelSurface huge{&word, kFar + 1, 1, 0};
    EXPECT_FALSE(PaintLines(huge, lines));
    EXPECT_FALSE(RasteriseLine(huge, {0, 0}, {1, 0}, 1));
    EXPECT_EQ(word, 0u);
    PixelSurface empty{nullptr, 0, 0, 0};
    EXPECT_TRUE(PaintLines(empty, lines));
}

}  // namespace
}  // namespace lvx
