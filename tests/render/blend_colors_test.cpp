#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "render/classic_colors.h"
#include "render/cls_gradient.h"

namespace lvx {
namespace {

using Table = std::vector<int32_t>;

struct BlendCase {
    int32_t color1, color2, steps;
    Table expected;
};

// The case as its test name shows it: "0x000000 to 0xFFFFFF in 5 steps".
void PrintTo(const BlendCase& c, std::ostream* os) {
    const auto hex = [](int32_t v) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(v));
        return std::string(text);
    };
    *os << hex(c.color1) << " to " << hex(c.color2) << " in " << c.steps << " steps";
}

class BlendColorsTable : public testing::TestWithParam<BlendCase> {};

TEST_P(BlendColorsTable, GivesTheTableAndItsLength) {
    const BlendCase& c = GetParam();
    Table table;
    EXPECT_EQ(clsGradient::BlendColors(c.color1, c.color2, c.steps, table),
              static_cast<int32_t>(c.expected.size()));
    EXPECT_EQ(table, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedFigures, BlendColorsTable,
    testing::Values(
        BlendCase{0x000000, 0xFFFFFF, 5, {0x000000, 0x333333, 0x666666, 0x999999, 0xFFFFFF}},
        BlendCase{0x000000, 0x0000FF, 3, {0x000000, 0x000055, 0x0000FF}},
        // green 127.5 rounds to the even 128
        BlendCase{0xFFFFD0, 0x400000, 4, {0xFFFFD0, 0xCFBF9C, 0xA08068, 0x400000}},
        BlendCase{0x0000FF, 0x000000, 4, {0x0000FF, 0x0000BF, 0x000080, 0x000000}},
        // red 2.5 rounds to the even 2
        BlendCase{0x000000, 0x000005, 4, {0x000000, 0x000001, 0x000002, 0x000005}},
        BlendCase{0x123456, 0x654321, 2, {0x123456, 0x654321}},
        BlendCase{0x123456, 0x654321, 1, {0x123456, 0x654321}},
        BlendCase{0x123456, 0x654321, 0, {0x123456, 0x654321}},
        BlendCase{0x123456, 0x654321, -7, {0x123456, 0x654321}},
        BlendCase{0x2A7F10, 0x2A7F10, 6, Table(6, 0x2A7F10)},
        // Bits 24-31 stay on the ends only; the inner entries blend the channels.
        BlendCase{static_cast<int32_t>(0xFF000000), 0x7F0000FF, 4,
                  {static_cast<int32_t>(0xFF000000), 0x00000040, 0x00000080, 0x7F0000FF}}));

TEST(BlendColors, StepIsRoundedToFloatBeforeItIsMultiplied) {
    // Steps 7/6, 13/6 and 1/6 as floats put entry 3 a hair off the halves
    // 3.5, 6.5 and 0.5: red 3, green 7, blue 1 (in double: 4, 6 and 0).
    Table table;
    ASSERT_EQ(clsGradient::BlendColors(0, 0x010D07, 6, table), 6);
    EXPECT_EQ(table, (Table{0, 0x000201, 0x000402, 0x010703, 0x010905, 0x010D07}));
}

TEST(BlendColors, ReplacesWhateverTheTableHeld) {
    Table table(50, 7);
    EXPECT_EQ(clsGradient::BlendColors(0, 0xFF, 3, table), 3);
    EXPECT_EQ(table, (Table{0, 0x55, 0xFF}));
}

// Answers system colours from a map that the test can change.
class ColorOnlyPort : public HeadlessGradientPort {
public:
    std::map<int32_t, int32_t> colors;
    std::vector<int32_t> asked;
    int32_t SystemColor(int32_t index) override {
        asked.push_back(index);
        return colors.count(index) ? colors[index] : 0x00ABCDEF;
    }
};

TEST(ClsGradientProperties, CreationValues) {
    ColorOnlyPort port;
    clsGradient g(port);
    EXPECT_EQ(g.Color1(), 0x00FFFFD0);
    EXPECT_EQ(g.Color2(), 0x00400000);
    EXPECT_EQ(g.Angle(), 315.0f);
    EXPECT_TRUE(port.asked.empty());
}

TEST(ClsGradientProperties, SystemColourReferencesAreResolvedOnceWhenSet) {
    ColorOnlyPort port;
    port.colors = {{0, 0x000001}, {5, 0x00FFFFFE}, {24, 0x00E1FFFF}};
    clsGradient g(port);
    g.Color1(static_cast<int32_t>(0x80000005));
    g.Color2(static_cast<int32_t>(0x80000018));
    EXPECT_EQ(g.Color1(), 0x00FFFFFE);
    EXPECT_EQ(g.Color2(), 0x00E1FFFF);
    port.colors[5] = 0x00111111;  // a later change of the scheme does not reach the object
    EXPECT_EQ(g.Color1(), 0x00FFFFFE);
    g.Color1(static_cast<int32_t>(0x80000000));
    EXPECT_EQ(g.Color1(), 0x000001);
    EXPECT_EQ(port.asked, (std::vector<int32_t>{5, 24, 0}));
}

TEST(ClsGradientProperties, OtherValuesAreStoredUnchanged) {
    ColorOnlyPort port;
    clsGradient g(port);
    for (uint32_t value : {0x80000019u, 0xFFFFFFFFu, 0x81000005u, 0x01000005u, 0x00000005u, 0x00FFFFFFu}) {
        g.Color1(static_cast<int32_t>(value));
        g.Color2(static_cast<int32_t>(value));
        EXPECT_EQ(static_cast<uint32_t>(g.Color1()), value);
        EXPECT_EQ(static_cast<uint32_t>(g.Color2()), value);
    }
    EXPECT_TRUE(port.asked.empty());
}

TEST(ClsGradientProperties, AngleIsReducedIntoOneTurn) {
    ColorOnlyPort port;
    clsGradient g(port);
    const std::pair<float, float> cases[] = {
        {450.0f, 90.0f}, {-30.0f, 330.0f}, {360.0f, 0.0f}, {720.0f, 0.0f}, {720.5f, 0.5f},
        {359.5f, 359.5f}, {0.0f, 0.0f}, {-720.25f, 359.75f}, {1e6f, 280.0f},
        // 359.99999 cannot be held by a float and rounds up to 360.
        {-0.00001f, 360.0f},
    };
    for (auto [set, expected] : cases) {
        g.Angle(set);
        EXPECT_EQ(g.Angle(), expected) << "set " << set;
    }
}

// The table's fast rounding, one entry at a time and two at once, against
// the plain rule (halves to even, worked with floor) on every entry of many
// tables, halves included.
class BlendColorsWide : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { clsGradient::UseWideBlend(GetParam()); }
    void TearDown() override { clsGradient::UseWideBlend(true); }
};
INSTANTIATE_TEST_SUITE_P(OneAndTwoAtATime, BlendColorsWide, testing::Values(true, false));

TEST_P(BlendColorsWide, FastRoundingAgreesWithThePlainRule) {
    std::mt19937 random(99);
    struct Case {
        int32_t color1, color2, steps;
    };
    std::vector<Case> cases{{0x000000, 0x000005, 4}, {0x000000, 0x0000FF, 510}, {0xFFFFFF, 0x000000, 1024},
                            {0x000001, 0x000000, 4}, {0x0000FF, 0x000000, 2}, {0x808080, 0x7F7F7F, 3}};
    for (int i = 0; i < 400; ++i) {
        cases.push_back({static_cast<int32_t>(random() & 0xFFFFFF), static_cast<int32_t>(random() & 0xFFFFFF),
                         2 + static_cast<int32_t>(random() % 3000)});
    }
    for (const Case& c : cases) {
        Table table;
        clsGradient::BlendColors(c.color1, c.color2, c.steps, table);
        const auto channel = [&](int shift, int32_t i) {
            const int32_t a = (c.color1 >> shift) & 0xFF, b = (c.color2 >> shift) & 0xFF;
            const float step = static_cast<float>(static_cast<double>(b - a) / c.steps);
            const double v = static_cast<double>(i) * step + a;
            const double down = std::floor(v);
            const double r = v - down > 0.5 ? down + 1 : v - down < 0.5 ? down : std::fmod(down, 2.0) == 0 ? down : down + 1;
            return static_cast<int32_t>(r) << shift;
        };
        for (int32_t i = 1; i <= c.steps - 2; ++i) {
            ASSERT_EQ(table[static_cast<size_t>(i)], channel(0, i) + channel(8, i) + channel(16, i))
                << std::hex << c.color1 << " " << c.color2 << std::dec << " " << c.steps << " entry " << i;
        }
    }
}

}  // namespace
}  // namespace lvx
