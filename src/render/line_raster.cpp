#include "render/line_raster.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>
#include <limits>
#include <vector>

namespace lvx {
namespace {

// Quotients rounded down and up; the divisor is positive.
int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return a % b < 0 ? q - 1 : q;
}
int64_t CeilDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return a % b > 0 ? q + 1 : q;
}

// A closed range of integers; empty when lo > hi.
struct Span {
    int64_t lo;
    int64_t hi;
    bool Empty() const { return lo > hi; }
};

Span Intersect(Span a, Span b) { return {std::max(a.lo, b.lo), std::min(a.hi, b.hi)}; }

bool InRange(int64_t value) { return value >= -kMaxPixelCoordinate && value <= kMaxPixelCoordinate; }
bool InRange(LinePoint p) { return InRange(p.x) && InRange(p.y); }
bool InRange(const PixelSurface& s) {
    return s.width >= 0 && s.height >= 0 && s.width <= kMaxPixelCoordinate && s.height <= kMaxPixelCoordinate &&
           (s.topRow != nullptr || s.width == 0 || s.height == 0);
}

// A line as LineTo walks it: steps t = 0 .. length - 1 along the major axis,
// the minor coordinate at step t being minor0 + t * rise / length rounded
// half towards minus infinity. With ends within kMaxPixelCoordinate every
// product below stays far inside 64 bits.
class Walk {
public:
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

    bool xMajor_;
    int64_t major0_, minor0_;
    int64_t dir_;
    int64_t length_;
    int64_t rise_;
};

// out[start + j] = source[j] for j in [0, count), as far as out's size reaches.
void CopyClipped(uint32_t* out, int64_t size, int64_t start, const uint32_t* source, int64_t count) {
    const int64_t from = std::max<int64_t>(start, 0);
    const int64_t to = std::min(start + count, size);
    if (from < to) std::copy(source + (from - start), source + (to - start), out + from);
}

void FillClipped(uint32_t* out, int64_t size, int64_t lo, int64_t hi, uint32_t value) {
    const int64_t from = std::max<int64_t>(lo, 0);
    const int64_t to = std::min(hi + 1, size);
    if (from < to) std::fill(out + from, out + to, value);
}

// Lines that are all one line moved one pixel at a time along the axis of
// the sweep (step +1 or -1), as Draw plans them. Every line has the same
// pixels as the first, moved, so where line 0 covers [lo, hi] across one row
// (or column), line k covers [lo, hi] + k * step there, and the last line
// over a pixel u of that row is the largest k with u - k * step in [lo, hi]:
//   step +1: u in [lo, lo + L - 1] gets colour u - lo, u in [lo + L, hi + L - 1] the last;
//   step -1: u in [hi - L + 1, hi] gets colour hi - u, u in [lo - L + 1, hi - L] the last.
// Each row is then written once instead of once per line crossing it.
class Sweep {
public:
    Sweep(const GradientLines& lines, int64_t count, LinePoint step)
        : first_(lines.points[0], lines.points[1]), count_(count), step_(step) {
        forward_.reserve(static_cast<size_t>(count));
        for (int64_t k = 0; k < count; ++k) forward_.push_back(PixelOf(lines.colors[static_cast<size_t>(k)]));
        backward_.assign(forward_.rbegin(), forward_.rend());
    }

    void Paint(const PixelSurface& s) const {
        if (step_.y == 0) {
            // Along x: line 0's run across each row.
            for (int32_t y = 0; y < s.height; ++y) {
                const Span run = first_.CrossSection(false, y);
                if (!run.Empty()) PaintRun(s.Row(y), s.width, run, step_.x);
            }
            return;
        }
        // Along y: line 0's runs down the columns. Neighbouring columns that
        // agree form a block that takes one colour per row; single-pixel
        // columns whose pixel moves one row per column form a diagonal block
        // that takes consecutive colours, copied from the table in one go.
        std::vector<Block> blocks;
        std::vector<int64_t> pixelRows;  // line 0's row in each column it crosses, when it has one per column
        int32_t firstColumn = -1;
        for (int32_t x = 0; x < s.width; ++x) {
            const Span run = first_.CrossSection(true, x);
            if (run.Empty()) continue;
            if (firstColumn < 0) firstColumn = x;
            if (first_.XMajor()) pixelRows.push_back(run.lo);
            if (!blocks.empty() && blocks.back().x1 == x - 1 && Extend(blocks.back(), run)) continue;
            blocks.push_back({x, x, run, 0});
        }
        // A staircase of short steps changes colour every pixel or two: there
        // a branch-free look-up per pixel beats a fill per block.
        if (first_.XMajor() && blocks.size() * 8 > pixelRows.size()) {
            PaintStaircase(s, firstColumn, pixelRows);
            return;
        }
        for (int32_t y = 0; y < s.height; ++y) {
            uint32_t* row = s.Row(y);
            for (const Block& b : blocks) {
                if (b.slope == 0) {
                    PaintBlock(row, y, b);
                } else {
                    PaintDiagonal(row, y, b);
                }
            }
        }
    }

private:
    // Columns x0 to x1 where line 0 covers rows run (slope 0), or covers the
    // single row run.lo + slope * (x - x0) (slope +1 or -1).
    struct Block {
        int32_t x0, x1;
        Span run;
        int32_t slope;
    };

    // Takes the next column into the block when it fits; false otherwise.
    static bool Extend(Block& b, Span run) {
        const bool single = run.lo == run.hi && b.run.lo == b.run.hi;
        if (b.slope == 0 && run.lo == b.run.lo && run.hi == b.run.hi) {
            ++b.x1;
            return true;
        }
        if (!single) return false;
        if (b.slope != 0 && run.lo == b.run.lo + b.slope * (b.x1 + 1 - b.x0)) {
            ++b.x1;
            return true;
        }
        if (b.slope == 0 && b.x0 == b.x1 && std::llabs(run.lo - b.run.lo) == 1) {
            b.slope = static_cast<int32_t>(run.lo - b.run.lo);
            ++b.x1;
            return true;
        }
        return false;
    }

    void PaintBlock(uint32_t* row, int64_t y, const Block& b) const {
        int64_t k;
        if (step_.y > 0) {
            if (y < b.run.lo || y > b.run.hi + count_ - 1) return;
            k = y - b.run.lo;
        } else {
            if (y > b.run.hi || y < b.run.lo - count_ + 1) return;
            k = b.run.hi - y;
        }
        std::fill(row + b.x0, row + b.x1 + 1, forward_[static_cast<size_t>(std::min(k, count_ - 1))]);
    }

    // Column x0 + j shows colour start + rising * j, where that is a colour:
    // a single pixel is covered by L lines at most, so no last-colour tail.
    void PaintDiagonal(uint32_t* row, int64_t y, const Block& b) const {
        const int64_t start = step_.y > 0 ? y - b.run.lo : b.run.lo - y;
        const int64_t rising = step_.y > 0 ? -b.slope : b.slope;
        const int64_t length = b.x1 - b.x0 + 1;
        if (rising > 0) {
            const int64_t from = std::max<int64_t>(0, -start), to = std::min(length - 1, count_ - 1 - start);
            if (from <= to) {
                const uint32_t* source = forward_.data() + (start + from);
                std::copy(source, source + (to - from + 1), row + b.x0 + from);
            }
        } else {
            const int64_t from = std::max<int64_t>(0, start - count_ + 1), to = std::min(length - 1, start);
            const int64_t offset = count_ - 1 - start;
            if (from <= to) {
                const uint32_t* source = backward_.data() + (offset + from);
                std::copy(source, source + (to - from + 1), row + b.x0 + from);
            }
        }
    }

    // Line 0 has one pixel in each of the columns from `first` on, in row
    // pixelRows[x - first], so line k has it in row pixelRows[x - first] + k * step,
    // and pixel (x, y) shows colour (y - that row) * step where that is a
    // line's. That row moves monotonically with x, so the columns a row
    // takes colours in are one range.
    void PaintStaircase(const PixelSurface& s, int32_t first, const std::vector<int64_t>& pixelRows) const {
        const bool rising = pixelRows.back() >= pixelRows.front();
        const auto columnsWithRowIn = [&](int64_t lo, int64_t hi) {
            // The columns whose line-0 row lies in [lo, hi], as [from, to).
            if (rising) {
                return std::pair{std::lower_bound(pixelRows.begin(), pixelRows.end(), lo) - pixelRows.begin(),
                                 std::upper_bound(pixelRows.begin(), pixelRows.end(), hi) - pixelRows.begin()};
            }
            const std::greater<> falling;
            return std::pair{std::lower_bound(pixelRows.begin(), pixelRows.end(), hi, falling) - pixelRows.begin(),
                             std::upper_bound(pixelRows.begin(), pixelRows.end(), lo, falling) - pixelRows.begin()};
        };
        const uint32_t* table = forward_.data();
        const int64_t* rows = pixelRows.data();
        for (int32_t y = 0; y < s.height; ++y) {
            uint32_t* out = s.Row(y) + first;
            if (step_.y > 0) {
                const auto [from, to] = columnsWithRowIn(y - count_ + 1, y);
                for (auto i = from; i < to; ++i) out[i] = table[y - rows[i]];
            } else {
                const auto [from, to] = columnsWithRowIn(y, y + count_ - 1);
                for (auto i = from; i < to; ++i) out[i] = table[rows[i] - y];
            }
        }
    }

    void PaintRun(uint32_t* row, int64_t size, Span run, int32_t step) const {
        if (step > 0) {
            CopyClipped(row, size, run.lo, forward_.data(), count_);
            FillClipped(row, size, run.lo + count_, run.hi + count_ - 1, forward_.back());
        } else {
            CopyClipped(row, size, run.hi - count_ + 1, backward_.data(), count_);
            FillClipped(row, size, run.lo - count_ + 1, run.hi - count_, forward_.back());
        }
    }

    Walk first_;
    int64_t count_;
    LinePoint step_;
    std::vector<uint32_t> forward_;   // colour k as a pixel
    std::vector<uint32_t> backward_;  // the same, last colour first
};

// The step between neighbouring lines when every line is the one before it
// moved by one pixel along x or y; nothing otherwise.
bool UniformStep(const GradientLines& lines, int64_t count, LinePoint& step) {
    if (count < 2) return false;
    const std::vector<LinePoint>& p = lines.points;
    step = {p[2].x - p[0].x, p[2].y - p[0].y};
    if (std::abs(step.x) + std::abs(step.y) != 1) return false;
    for (size_t i = 2; i < static_cast<size_t>(2 * count); ++i) {
        if (p[i].x - p[i - 2].x != step.x || p[i].y - p[i - 2].y != step.y) return false;
    }
    return true;
}

}  // namespace

bool RasteriseLine(const PixelSurface& surface, LinePoint from, LinePoint to, uint32_t pixel) {
    if (!InRange(surface) || !InRange(from) || !InRange(to)) return false;
    const Walk walk(from, to);
    const int64_t majorSize = walk.XMajor() ? surface.width : surface.height;
    const int64_t minorSize = walk.XMajor() ? surface.height : surface.width;
    const Span steps = Intersect(walk.StepsWithMajorIn(0, majorSize - 1), walk.StepsWithMinorIn(0, minorSize - 1));
    for (int64_t t = steps.lo; t <= steps.hi; ++t) {
        const int64_t major = walk.MajorAt(t);
        const int64_t minor = walk.MinorAt(t);
        const int64_t x = walk.XMajor() ? major : minor;
        const int64_t y = walk.XMajor() ? minor : major;
        surface.Row(static_cast<int32_t>(y))[x] = pixel;
    }
    return true;
}

bool PaintLines(const PixelSurface& surface, const GradientLines& lines) {
    const int64_t count = lines.LineCount();
    if (!InRange(surface) || lines.colors.size() < static_cast<size_t>(count)) return false;
    for (int64_t k = 0; k < count; ++k) {
        // A high byte makes a palette reference or something stranger of a
        // colour; the pens know what to make of it.
        if ((static_cast<uint32_t>(lines.colors[static_cast<size_t>(k)]) & 0xFF000000u) != 0) return false;
    }
    for (size_t i = 0; i < static_cast<size_t>(2 * count); ++i) {
        if (!InRange(lines.points[i])) return false;
    }
    if (count == 0 || surface.width == 0 || surface.height == 0) return true;

    LinePoint step;
    if (UniformStep(lines, count, step)) {
        Sweep(lines, count, step).Paint(surface);
        return true;
    }
    for (int64_t k = 0; k < count; ++k) {
        RasteriseLine(surface, lines.points[static_cast<size_t>(2 * k)], lines.points[static_cast<size_t>(2 * k + 1)],
                      PixelOf(lines.colors[static_cast<size_t>(k)]));
    }
    return true;
}

}  // namespace lvx
