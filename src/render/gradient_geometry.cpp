#include "render/gradient_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "common/number_rules.h"

namespace lvx::gradient {
namespace {

// 3.14159265358979 / 180: a shade below pi / 180; the drawn angles depend on it.
constexpr double kRadiansPerDegree = 0.017453292519943278;

// Points the line list can hold: enough for an area millions of pixels wide.
constexpr int64_t kMaxPoints = int64_t{1} << 24;

int32_t Nearest(double value) {
    auto r = NearestInt32(value);
    if (!r) throw std::overflow_error("gradient coordinate out of range");
    return *r;
}

int32_t Step(int32_t value, int32_t step) {
    int64_t next = static_cast<int64_t>(value) + step;
    if (next < std::numeric_limits<int32_t>::min() || next > std::numeric_limits<int32_t>::max()) {
        throw std::overflow_error("gradient coordinate out of range");
    }
    return static_cast<int32_t>(next);
}

}  // namespace

double SafeDivide(double dividend, double divisor) {
    if (divisor == 0) return 0;
    return dividend / divisor;
}

float ReduceDegrees(double degrees) {
    return static_cast<float>(degrees - std::floor(std::floor(degrees / 360.0) * 360.0));
}

void RotatePoint(const GuidePoint& centre, GuidePoint& point, float degrees) {
    const float a = static_cast<float>(static_cast<double>(degrees) * kRadiansPerDegree);
    const float dx = static_cast<float>(static_cast<double>(point.x) - centre.x);
    const float dy = static_cast<float>(static_cast<double>(point.y) - centre.y);
    const double cosA = std::cos(static_cast<double>(a));
    const double sinA = std::sin(static_cast<double>(a));
    point.x = static_cast<float>(static_cast<double>(centre.x) + dx * cosA + dy * sinA);
    point.y = static_cast<float>(static_cast<double>(centre.y) - dx * sinA + dy * cosA);
}

std::vector<LinePoint> SweepLines(float angle, int32_t w, int32_t h) {
    // A horizontal guide segment through the centre, 2R long so that it
    // spans the area in any direction.
    const GuidePoint c{static_cast<float>(std::floor(w / 2.0)), static_cast<float>(std::floor(h / 2.0))};
    const double m = w > h ? w : h;
    const float r = static_cast<float>((std::sqrt(m * m + m * m) + 2.0) / 2.0);
    GuidePoint p0{static_cast<float>(static_cast<double>(c.x) - r), c.y};
    GuidePoint p1{static_cast<float>(static_cast<double>(c.x) + r), c.y};

    // Turned across the direction of the gradient; every line is a copy of it.
    const float turn = ReduceDegrees(static_cast<double>(angle) + 90.0);
    RotatePoint(c, p0, turn);
    RotatePoint(c, p1, turn);

    // A steep segment is swept along x, a shallow one along y.
    const float extentY = static_cast<float>(std::fabs(static_cast<double>(p0.y) - p1.y));
    const float extentX = static_cast<float>(std::fabs(static_cast<double>(p0.x) - p1.x));
    const bool steep = extentY >= extentX;

    // The first line lies on the Color1 side, touching the area's edge from
    // outside; the sweep steps towards the other side. The ranges are taken
    // from the stored angle, not the turn.
    const double maxX = std::max(p0.x, p1.x), minX = std::min(p0.x, p1.x);
    const double maxY = std::max(p0.y, p1.y), minY = std::min(p0.y, p1.y);
    float offX = 0, offY = 0;
    int16_t stepX = 0, stepY = 0;
    const bool quarter1 = angle >= 0 && angle <= 90;
    const bool quarter2 = angle > 90 && angle <= 180;
    const bool quarter3 = angle > 180 && angle <= 270;
    if (steep) {
        if (quarter2 || quarter3) {
            offX = static_cast<float>(w - minX);
            stepX = -1;
        } else {
            offX = static_cast<float>(-maxX);
            stepX = 1;
        }
    } else {
        if (quarter1 || quarter2) {
            offY = static_cast<float>(h - minY);
            stepY = -1;
        } else {
            offY = static_cast<float>(-maxY);
            stepY = 1;
        }
    }

    const LinePoint first0{Nearest(static_cast<double>(offX) + p0.x), Nearest(static_cast<double>(offY) + p0.y)};
    const LinePoint first1{Nearest(static_cast<double>(offX) + p1.x), Nearest(static_cast<double>(offY) + p1.y)};

    // Every line is one pixel further on; after at most span + 2 of them both
    // ends lie past the far edge. The list is sized once from that bound, and
    // an area that would need more than the list can hold fails up front
    // instead of exhausting memory point by point.
    const int64_t span = stepX > 0   ? static_cast<int64_t>(w) - std::min(first0.x, first1.x)
                         : stepX < 0 ? static_cast<int64_t>(std::max(first0.x, first1.x))
                         : stepY > 0 ? static_cast<int64_t>(h) - std::min(first0.y, first1.y)
                                     : static_cast<int64_t>(std::max(first0.y, first1.y));
    const int64_t bound = 2 * (span + 3);
    if (bound > kMaxPoints) throw std::length_error("gradient needs more lines than the list can hold");

    std::vector<LinePoint> points;
    points.reserve(static_cast<size_t>(bound));
    points.push_back(first0);
    points.push_back(first1);

    // Each point is the one two places back moved one pixel; the sweep ends
    // once the two newest points both lie past the far edge.
    for (bool finished = false; !finished;) {
        if (static_cast<int64_t>(points.size()) >= bound) throw std::length_error("gradient sweep overran");
        const LinePoint& back2 = points[points.size() - 2];
        points.push_back({Step(back2.x, stepX), Step(back2.y, stepY)});
        const LinePoint& newest = points[points.size() - 1];
        const LinePoint& before = points[points.size() - 2];
        if (stepX > 0) {
            finished = newest.x > w && before.x > w;
        } else if (stepX < 0) {
            finished = newest.x < 0 && before.x < 0;
        } else if (stepY > 0) {
            finished = newest.y > h && before.y > h;
        } else {
            finished = newest.y < 0 && before.y < 0;
        }
    }
    return points;
}

int32_t ColourStepsFor(int32_t pointCount) {
    return static_cast<int32_t>(RoundHalfEven(pointCount / 2.0));
}

}  // namespace lvx::gradient
