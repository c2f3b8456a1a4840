// How the platform's LineTo walks a one-pixel line, in whole numbers: the
// arithmetic under line_raster's writers, shared with its sweep painter.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "render/cls_gradient.h"

namespace lvx::line_walk {

// Quotients rounded down and up; the divisor is positive.
inline int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return a % b < 0 ? q - 1 : q;
}
inline int64_t CeilDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return a % b > 0 ? q + 1 : q;
}

// A closed range of integers; empty when lo > hi.
struct Span {
    int64_t lo;
    int64_t hi;
    bool Empty() const { return lo > hi; }
};

inline Span Intersect(Span a, Span b) { return {std::max(a.lo, b.lo), std::min(a.hi, b.hi)}; }

// A line as LineTo walks it: steps t = 0 .. length - 1 along the major axis,
// the minor coordinate at step t being minor0 + t * rise / length rounded
// half towards minus infinity. With ends within kMaxPixelCoordinate every
// product below stays far inside 64 bits.
class Walk {
public:
    Walk() = default;
    Walk(LinePoint from, LinePoint to) {
        const int64_t dx = static_cast<int64_t>(to.x) - from.x;
        const int64_t dy = static_cast<int64_t>(to.y) - from.y;
        xMajor_ = std::llabs(dx) >= std::llabs(dy);
        major0_ = xMajor_ ? from.x : from.y;
        minor0_ = xMajor_ ? from.y : from.x;
        const int64_t run = xMajor_ ? dx : dy;
        dir_ = run < 0 ? -1 : 1;
        length_ = std::llabs(run);
        rise_ = xMajor_ ? dy : dx;
    }

    bool XMajor() const { return xMajor_; }
    int64_t MajorAt(int64_t t) const { return major0_ + dir_ * t; }
    int64_t MinorAt(int64_t t) const { return minor0_ + CeilDiv(2 * t * rise_ - length_, 2 * length_); }

    // The steps of the line whose major coordinate lies in [lo, hi].
    Span StepsWithMajorIn(int64_t lo, int64_t hi) const {
        const Span t = dir_ > 0 ? Span{lo - major0_, hi - major0_} : Span{major0_ - hi, major0_ - lo};
        return Intersect(t, Steps());
    }

    // The steps of the line whose minor coordinate lies in [lo, hi]: the
    // minor coordinate is monotonic, so they are one range, found by
    // inverting the rounding rather than by walking.
    Span StepsWithMinorIn(int64_t lo, int64_t hi) const {
        const int64_t a = lo - minor0_;
        const int64_t b = hi - minor0_;
        Span t{1, 0};
        if (rise_ > 0) {
            t = {FloorDiv((2 * a - 1) * length_, 2 * rise_) + 1, FloorDiv((2 * b + 1) * length_, 2 * rise_)};
        } else if (rise_ < 0) {
            const int64_t fall = -rise_;
            t = {CeilDiv(-(2 * b + 1) * length_, 2 * fall), CeilDiv((1 - 2 * a) * length_, 2 * fall) - 1};
        } else if (a <= 0 && b >= 0) {
            t = Steps();
        }
        return Intersect(t, Steps());
    }

    // The other coordinate of the line's pixels whose x (atX) or y is c.
    Span CrossSection(bool atX, int64_t c) const {
        if (atX == xMajor_) {
            const Span t = StepsWithMajorIn(c, c);
            if (t.Empty()) return t;
            const int64_t m = MinorAt(t.lo);
            return {m, m};
        }
        const Span t = StepsWithMinorIn(c, c);
        if (t.Empty()) return t;
        const int64_t a = MajorAt(t.lo), b = MajorAt(t.hi);
        return {std::min(a, b), std::max(a, b)};
    }

private:
    Span Steps() const { return {0, length_ - 1}; }

    bool xMajor_ = true;
    int64_t major0_ = 0, minor0_ = 0;
    int64_t dir_ = 1;
    int64_t length_ = 0;
    int64_t rise_ = 0;
};

}  // namespace lvx::line_walk
