#include "saver/saver_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "saver/saver_random.h"

namespace lvx {
namespace {

constexpr float kJustBelowOne = 1.0f - 1.0f / 16777216.0f;

TEST(MakeCellGrid, QuarterWidthAndThirdHeightRoundedHalfToEven) {
    struct Case {
        int16_t w, h, cellW, cellH;
    };
    for (Case c : {Case{1024, 768, 256, 256}, Case{1366, 768, 342, 256}, Case{1920, 1080, 480, 360},
                   Case{1024, 1024, 256, 341}, Case{1023, 770, 256, 257}, Case{1022, 5, 256, 2}, Case{0, 0, 0, 0}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        CellGrid g = MakeCellGrid(c.w, c.h);
        EXPECT_EQ(g.CellWidth, c.cellW);
        EXPECT_EQ(g.CellHeight, c.cellH);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(g.CellX[static_cast<size_t>(i)], (i % 4) * c.cellW) << i;
            EXPECT_EQ(g.CellY[static_cast<size_t>(i)], (i / 4) * c.cellH) << i;
        }
    }
}

TEST(CenterInCell, ExactOffsetsWithHalvesAndOverlaps) {
    struct Case {
        int16_t w, h, size;
        int index;
        double left, top;
    };
    for (Case c : {Case{1024, 768, 100, 0, 78, 78}, Case{1024, 768, 100, 11, 846, 590},
                   Case{1024, 768, 101, 5, 333.5, 333.5}, Case{1366, 768, 187, 0, 77.5, 34.5},
                   Case{1366, 768, 341, 6, 684.5, 213.5},
                   // Larger than a cell: a negative offset, cut off at the screen edge.
                   Case{1366, 768, 341, 0, 0.5, -42.5}, Case{640, 480, 160, 8, 0, 320}}) {
        CellGrid g = MakeCellGrid(c.w, c.h);
        PicturePlace p = CenterInCell(g, c.index, c.size);
        EXPECT_EQ(p.left, c.left) << c.w << " " << c.size << " #" << c.index;
        EXPECT_EQ(p.top, c.top) << c.w << " " << c.size << " #" << c.index;
    }
}

TEST(RandomPictureSize, StaysWithinTheBoundsForEveryRnd) {
    // Bounds from the screen width: an eighth and a quarter. In single
    // precision rnd just below 1 gives max + 1 at every one of these widths.
    for (int16_t width : {640, 800, 1024, 1280, 1366, 1920, 2560, 3840}) {
        const auto minSize = static_cast<int16_t>(width / 8);
        const auto maxSize = static_cast<int16_t>(width / 4);
        SCOPED_TRACE(width);
        EXPECT_EQ(RandomPictureSize(minSize, maxSize, 0.0f), minSize);
        EXPECT_EQ(RandomPictureSize(minSize, maxSize, kJustBelowOne), maxSize);
        EXPECT_EQ(RandomPictureSize(minSize, maxSize, 0.5f), minSize + (maxSize - minSize + 1) / 2);
    }
    // Every size is reachable and none lies outside.
    SaverRandom random;
    random.Seed(7);
    std::set<int> seen;
    for (int i = 0; i < 20000; ++i) seen.insert(RandomPictureSize(128, 256, random.Next()));
    EXPECT_EQ(seen.size(), 129u);
    EXPECT_EQ(*seen.begin(), 128);
    EXPECT_EQ(*seen.rbegin(), 256);
}

TEST(ChannelDraw, RangesOfTheThreeGradations) {
    struct Case {
        float rnd;
        int32_t scale, offset, expected;
    };
    for (Case c : {Case{0.0f, 209, 0, 0}, Case{kJustBelowOne, 209, 0, 208}, Case{0.5f, 209, 0, 104},
                   Case{0.0f, 209, 48, 48}, Case{kJustBelowOne, 209, 48, 256}, Case{0.0f, 256, 0, 0},
                   Case{kJustBelowOne, 256, 0, 255}, Case{0.999f, 256, 0, 255}}) {
        EXPECT_EQ(ChannelDraw(c.rnd, c.scale, c.offset), c.expected) << c.rnd << " x " << c.scale << " + " << c.offset;
    }
}

TEST(Rgb, ChannelsAboveTheByteCountAsFull) {
    EXPECT_EQ(Rgb(256, 48, 100), 0x6430FF);
    EXPECT_EQ(Rgb(1, 2, 3), 0x030201);
    EXPECT_EQ(Rgb(255, 255, 256), 0xFFFFFF);
    EXPECT_EQ(Rgb(-1, 0, 0), 0);
}

// The draws a seed gives, for checking the order in which colours use them.
std::vector<float> Draws(uint64_t seed, int n) {
    SaverRandom r;
    r.Seed(seed);
    std::vector<float> out;
    for (int i = 0; i < n; ++i) out.push_back(r.Next());
    return out;
}

TEST(DrawPictureColours, EachGradationDrawsRedGreenBlueInOrder) {
    const std::vector<float> d = Draws(11, 7);
    auto ch = [&](int k, int32_t scale, int32_t offset) { return ChannelDraw(d[static_cast<size_t>(k)], scale, offset); };
    struct Case {
        int16_t gradation;
        int32_t color1, color2;
        int used;
    };
    for (Case c : {Case{0, Rgb(ch(0, 209, 0), ch(1, 209, 0), ch(2, 209, 0)), 0xFFFFFF, 3},
                   Case{1, Rgb(ch(0, 209, 48), ch(1, 209, 48), ch(2, 209, 48)), 0, 3},
                   Case{2, Rgb(ch(0, 256, 0), ch(1, 256, 0), ch(2, 256, 0)),
                        Rgb(ch(3, 256, 0), ch(4, 256, 0), ch(5, 256, 0)), 6},
                   // Out of range: nothing drawn, nothing changed.
                   Case{3, 0x123456, 0x654321, 0}, Case{-1, 0x123456, 0x654321, 0},
                   Case{256, 0x123456, 0x654321, 0}}) {
        SCOPED_TRACE(c.gradation);
        SaverRandom r;
        r.Seed(11);
        int32_t c1 = 0x123456, c2 = 0x654321;
        EXPECT_EQ(DrawPictureColours(c.gradation, r, c1, c2), c.used > 0);
        EXPECT_EQ(c1, c.color1);
        EXPECT_EQ(c2, c.color2);
        EXPECT_EQ(r.Next(), d[static_cast<size_t>(c.used)]) << "draws used";
    }
}

TEST(CoverRects, EveryMonitorButThePrimaryOnceWhateverItsPlace) {
    using R = ScreenRect;
    using Rs = std::vector<ScreenRect>;
    const R primary{0, 0, 1920, 1080};
    struct Case {
        const char* name;
        Rs monitors, covers;
    };
    for (const Case& c : {
             Case{"one monitor", {primary}, {}},
             Case{"none reported", {}, {}},
             Case{"right of the primary", {primary, {1920, 0, 3840, 1080}}, {{1920, 0, 3840, 1080}}},
             Case{"left, negative origin, listed first", {{-1280, 56, 0, 1080}, primary}, {{-1280, 56, 0, 1080}}},
             Case{"stacked above and below", {{0, -1200, 1920, 0}, primary, {320, 1080, 1600, 1800}},
                  {{0, -1200, 1920, 0}, {320, 1080, 1600, 1800}}},
             Case{"three of mixed sizes, one portrait",
                  {primary, {-1080, -420, 0, 1500}, {1920, 200, 3200, 1224}},
                  {{-1080, -420, 0, 1500}, {1920, 200, 3200, 1224}}},
             Case{"a mirror of the primary", {primary, primary}, {}},
             Case{"a smaller mirror inside the primary", {primary, {0, 0, 1024, 768}}, {}},
             Case{"reported twice", {primary, {1920, 0, 3000, 900}, {1920, 0, 3000, 900}}, {{1920, 0, 3000, 900}}},
             Case{"empty rectangles", {primary, {1920, 0, 1920, 900}, {5000, 10, 4000, 20}}, {}},
             Case{"overlapping the primary in part", {primary, {1800, 0, 3000, 1080}}, {{1800, 0, 3000, 1080}}},
         }) {
        EXPECT_EQ(CoverRects(c.monitors, primary), c.covers) << c.name;
    }
}

TEST(SaverRandom, UniformInUnitIntervalAndRepeatableBySeed) {
    SaverRandom a, b;
    a.Seed(42);
    b.Seed(42);
    double sum = 0;
    std::vector<int> buckets(10, 0);
    for (int i = 0; i < 100000; ++i) {
        float x = a.Next();
        ASSERT_EQ(x, b.Next());
        ASSERT_GE(x, 0.0f);
        ASSERT_LT(x, 1.0f);
        sum += x;
        ++buckets[static_cast<size_t>(x * 10)];
    }
    EXPECT_NEAR(sum / 100000, 0.5, 0.005);
    for (int n : buckets) EXPECT_NEAR(n, 10000, 400);
}

TEST(SaverRandom, ReseedsFromOneClockReadingStillDiffer) {
    // A coarse clock reads the same twice in a row; the sequences must not.
    SaverRandom r;
    std::set<std::vector<float>> starts;
    for (int i = 0; i < 50; ++i) {
        r.Reseed(123456789);
        starts.insert({r.Next(), r.Next(), r.Next()});
    }
    EXPECT_EQ(starts.size(), 50u);
    // And neighbouring readings give unrelated starts.
    SaverRandom p, q;
    p.Seed(1000);
    q.Seed(1001);
    EXPECT_GT(std::fabs(p.Next() - q.Next()) + std::fabs(p.Next() - q.Next()), 0.01f);
}

}  // namespace
}  // namespace lvx
