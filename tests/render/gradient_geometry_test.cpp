#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>

#include "render/classic_colors.h"
#include "render/cls_gradient.h"
#include "render/gradient_geometry.h"

namespace lvx {
namespace {

GradientLines Plan(float angle, int32_t w, int32_t h) {
    HeadlessGradientPort port;
    clsGradient g(port);
    g.Angle(angle);
    return g.PlanLines(w, h);
}

LinePoint Start(const GradientLines& l, int32_t k) { return l.points[static_cast<size_t>(2 * k)]; }
LinePoint End(const GradientLines& l, int32_t k) { return l.points[static_cast<size_t>(2 * k + 1)]; }

struct Figure {
    float angle;
    int32_t w, h;
    size_t points, colors;
    int32_t result;
    LinePoint first0, first1, last0, last1;
};

void PrintTo(const Figure& f, std::ostream* os) { *os << f.w << " x " << f.h << " at " << f.angle; }

class WorkedLines : public testing::TestWithParam<Figure> {};

TEST_P(WorkedLines, FirstAndLastLinesCountsAndColours) {
    const Figure& f = GetParam();
    GradientLines l = Plan(f.angle, f.w, f.h);
    EXPECT_EQ(l.points.size(), f.points);
    EXPECT_EQ(l.colors.size(), f.colors);
    EXPECT_EQ(l.DrawResult(), f.result);
    EXPECT_EQ(Start(l, 0), f.first0);
    EXPECT_EQ(End(l, 0), f.first1);
    const int32_t last = l.LineCount() - 1;
    EXPECT_EQ(Start(l, last), f.last0);
    EXPECT_EQ(End(l, last), f.last1);
    // The table runs from Color1 on line 0 to Color2 on its last entry.
    EXPECT_EQ(l.colors.front(), 0x00FFFFD0);
    EXPECT_EQ(l.colors.back(), 0x00400000);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, WorkedLines,
    testing::Values(
        Figure{0, 100, 100, 204, 102, 204, {0, 122}, {0, -22}, {101, 122}, {101, -22}},
        Figure{90, 100, 100, 204, 102, 204, {122, 100}, {-22, 100}, {122, -1}, {-22, -1}},
        Figure{315, 100, 100, 405, 202, 404, {-101, 101}, {0, -1}, {100, 101}, {201, -1}},
        Figure{0, 2, 2, 8, 4, 8, {0, 3}, {0, -1}, {3, 3}, {3, -1}},
        Figure{0, 1000, 1000, 2004, 1002, 2004, {0, 1208}, {0, -208}, {1001, 1208}, {1001, -208}},
        // Odd sizes: the centre is floor(W / 2), floor(H / 2).
        Figure{0, 101, 100, 206, 103, 206, {0, 122}, {0, -22}, {102, 122}, {102, -22}},
        Figure{90, 3, 7, 18, 9, 18, {7, 7}, {-5, 7}, {7, -1}, {-5, -1}},
        Figure{180, 57, 31, 118, 59, 118, {57, -26}, {57, 56}, {-1, -26}, {-1, 56}},
        Figure{270, 151, 113, 230, 115, 230, {-33, 0}, {183, 0}, {-33, 114}, {183, 114}},
        Figure{315, 57, 31, 233, 116, 232, {-58, 44}, {0, -14}, {57, 44}, {115, -14}}));

TEST(GradientLines, AtAngleZeroEveryLineIsVerticalAndOnePixelOn) {
    GradientLines l = Plan(0, 100, 100);
    ASSERT_EQ(l.LineCount(), 102);
    for (int32_t k = 0; k < l.LineCount(); ++k) {
        EXPECT_EQ(Start(l, k), (LinePoint{k, 122}));
        EXPECT_EQ(End(l, k), (LinePoint{k, -22}));
    }
    std::vector<int32_t> expected;
    clsGradient::BlendColors(0x00FFFFD0, 0x00400000, 102, expected);
    EXPECT_EQ(l.colors, expected);
}

TEST(GradientLines, AnUnpairedLastPointIsLeftUndrawn) {
    // 315 on 100 x 100 ends on the start point of a 203rd line.
    GradientLines l = Plan(315, 100, 100);
    ASSERT_EQ(l.points.size(), 405u);
    EXPECT_EQ(l.points.back(), (LinePoint{101, 101}));
    EXPECT_EQ(l.LineCount(), 202);
    EXPECT_EQ(gradient::ColourStepsFor(405), 202);
    EXPECT_EQ(gradient::ColourStepsFor(407), 204);
    EXPECT_EQ(gradient::ColourStepsFor(204), 102);
}

TEST(GradientLines, AnglesOnARangeEndBelongToTheRangeBelow) {
    // 90 sweeps up from the bottom edge, 180 leftwards from the right edge,
    // 270 down from the top edge; 0 rightwards from the left edge.
    struct Case {
        float angle;
        LinePoint first0, second0;
    } cases[] = {
        {0, {0, 122}, {1, 122}},
        {90, {122, 100}, {122, 99}},
        {180, {100, -22}, {99, -22}},
        {270, {-22, 0}, {-22, 1}},
    };
    for (const Case& c : cases) {
        GradientLines l = Plan(c.angle, 100, 100);
        EXPECT_EQ(Start(l, 0), c.first0) << c.angle;
        EXPECT_EQ(Start(l, 1), c.second0) << c.angle;
    }
}

// +1 when the sweep runs along x, 0 along y.
bool SweptAlongX(const GradientLines& l) { return Start(l, 1).x != Start(l, 0).x; }

TEST(GradientLines, DiagonalsMayComeOutInEitherClassWithTheSameColourOrder) {
    // At 45 the two extents of the guide segment differ in their last bits:
    // 2 x 2 is swept along x, 3 x 3 along y. 315 on 100 x 100 has equal extents.
    EXPECT_TRUE(SweptAlongX(Plan(45, 2, 2)));
    EXPECT_FALSE(SweptAlongX(Plan(45, 3, 3)));
    EXPECT_TRUE(SweptAlongX(Plan(315, 100, 100)));
    EXPECT_FALSE(SweptAlongX(Plan(135, 2, 2)));
    EXPECT_TRUE(SweptAlongX(Plan(135, 36, 36)));
    // Either way Color1 lies towards bottom-left at 45 and bottom-right at 135:
    // line 0 starts at the near edge (x 0 or y H at 45; x W or y H at 135).
    for (int32_t s : {2, 3}) {
        GradientLines l = Plan(45, s, s);
        if (SweptAlongX(l)) {
            EXPECT_EQ(std::max(Start(l, 0).x, End(l, 0).x), 0);
        } else {
            EXPECT_EQ(std::min(Start(l, 0).y, End(l, 0).y), s);
        }
    }
    for (int32_t s : {2, 36}) {
        GradientLines l = Plan(135, s, s);
        if (SweptAlongX(l)) {
            EXPECT_EQ(std::min(Start(l, 0).x, End(l, 0).x), s);
        } else {
            EXPECT_EQ(std::min(Start(l, 0).y, End(l, 0).y), s);
        }
    }
}

TEST(GradientLines, CoordinatesBeyond32BitsAreAnOverflow) {
    EXPECT_THROW(Plan(0, 2000000000, 2000000000), std::overflow_error);
    EXPECT_THROW(Plan(std::nanf(""), 10, 10), std::overflow_error);
}

TEST(GradientLines, AnAreaNeedingMoreThanTheListHoldsFailsBeforeSweeping) {
    // 2^24 points: 10 million lines across are too many, in either direction.
    EXPECT_THROW(Plan(315, 2000000000, 2000000000), std::length_error);
    EXPECT_THROW(Plan(0, 10000000, 2), std::length_error);
    EXPECT_THROW(Plan(90, 2, 10000000), std::length_error);
    EXPECT_EQ(Plan(0, 8000000, 2).LineCount(), 8000002);
}

TEST(RotatePoint, TurnsCounterClockwiseOnTheScreen) {
    GuidePoint c{50, 50};
    GuidePoint p{51, 50};
    gradient::RotatePoint(c, p, 90);
    EXPECT_NEAR(p.x, 50, 1e-6);
    EXPECT_EQ(p.y, 49);
    p = {51, 50};
    gradient::RotatePoint(c, p, 180);
    EXPECT_EQ(p.x, 49);
    EXPECT_NEAR(p.y, 50, 1e-6);
    // The angle goes to radians through a float, so 90 leaves a trace in x.
    p = {150, 50};
    gradient::RotatePoint(c, p, 90);
    EXPECT_EQ(p.x, 49.9999962f);
    EXPECT_EQ(p.y, -50);
}

TEST(SafeDivide, ZeroDivisorGivesZero) {
    EXPECT_EQ(gradient::SafeDivide(5, 0), 0);
    EXPECT_EQ(gradient::SafeDivide(-5, 0), 0);
    EXPECT_EQ(gradient::SafeDivide(5, 2), 2.5);
}

// Over many sizes and angles: every line is the one before moved one pixel
// along the sweep axis, towards the direction of the gradient; the sweep
// starts at the near edge and stops at the first moment its two newest
// points both lie past the far edge; there is a colour for every line.
TEST(GradientLines, SweepPropertiesOverSizesAndAngles) {
    std::mt19937 random(47);
    std::uniform_int_distribution<int32_t> size(2, 160);
    std::uniform_real_distribution<float> fraction(0, 1);
    for (int round = 0; round < 1500; ++round) {
        const int32_t w = round < 20 ? 2 + round : size(random);
        const int32_t h = round < 20 ? 2 : size(random);
        float set = static_cast<float>(round % 360) + (round % 3 == 0 ? 0.0f : fraction(random));
        HeadlessGradientPort port;
        clsGradient g(port);
        g.Angle(set - 720.0f * (round % 2));
        const float angle = g.Angle();
        GradientLines l = g.PlanLines(w, h);
        SCOPED_TRACE(testing::Message() << w << " x " << h << " at " << angle);

        const size_t n = l.points.size();
        ASSERT_GE(n, 4u);
        const int32_t sx = l.points[2].x - l.points[0].x;
        const int32_t sy = l.points[2].y - l.points[0].y;
        ASSERT_EQ(std::abs(sx) + std::abs(sy), 1);
        for (size_t i = 2; i < n; ++i) {
            ASSERT_EQ(l.points[i].x - l.points[i - 2].x, sx) << i;
            ASSERT_EQ(l.points[i].y - l.points[i - 2].y, sy) << i;
        }
        // The sweep moves towards (cos Angle, -sin Angle): Color1 on the near side.
        const double rad = angle * 3.14159265358979 / 180;
        EXPECT_GT(sx * std::cos(rad) - sy * std::sin(rad), 0.7);

        const LinePoint a = l.points[0], b = l.points[1];
        const int32_t nearEdge = sx > 0 ? std::max(a.x, b.x) - 0
                                 : sx < 0 ? std::min(a.x, b.x) - w
                                 : sy > 0 ? std::max(a.y, b.y) - 0
                                          : std::min(a.y, b.y) - h;
        EXPECT_EQ(nearEdge, 0);

        auto past = [&](const LinePoint& p) {
            return sx > 0 ? p.x > w : sx < 0 ? p.x < 0 : sy > 0 ? p.y > h : p.y < 0;
        };
        for (size_t i = 2; i + 1 < n; ++i) ASSERT_FALSE(past(l.points[i]) && past(l.points[i - 1])) << i;
        EXPECT_TRUE(past(l.points[n - 1]) && past(l.points[n - 2]));

        EXPECT_GE(l.colors.size(), n / 2);
        EXPECT_EQ(static_cast<int32_t>(l.colors.size()), gradient::ColourStepsFor(static_cast<int32_t>(n)));
    }
}

}  // namespace
}  // namespace lvx
