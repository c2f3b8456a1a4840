// One-pixel lines written straight into 32-bit pixel memory, pixel for pixel
// as the platform's LineTo draws them with a solid pen one pixel wide.
//
// The rule, measured against LineTo: a line walks its major axis (x when
// |dx| >= |dy|, else y) one pixel a step from the start up to, not including,
// the end; at step t the minor coordinate is start + t * dminor / dmajor
// rounded to the nearest integer, an exact half going towards minus infinity.
// Pixels outside the surface are left out, nothing else changes: a line
// clipped by the surface keeps the pixels it would have had anyway.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "render/cls_gradient.h"
#include "render/line_walk.h"

namespace lvx {

// Ends and surface sizes up to this far from 0 are drawn exactly (GDI on the
// NT family takes no coordinate beyond it either); beyond it nothing is
// written and the caller is told.
inline constexpr int32_t kMaxPixelCoordinate = 1 << 27;

// A colour 0x00BBGGRR as the pixel value 0x00RRGGBB.
constexpr uint32_t PixelOf(int32_t color) {
    const auto c = static_cast<uint32_t>(color);
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Sets the pixels that LineTo sets from `from` up to, not including, `to`,
// clipped to the surface. False, with nothing written, when an end or the
// surface lies beyond kMaxPixelCoordinate.
bool RasteriseLine(const PixelSurface& surface, LinePoint from, LinePoint to, uint32_t pixel);

// The picture that drawing the lines of a plan one after the other leaves
// (line k in colors[k], later lines on top), written row by row. False, with
// nothing written, when the memory writes could differ from the platform's
// pens: a colour that is not plain RGB (a palette reference, say) or a
// coordinate beyond kMaxPixelCoordinate.
bool PaintLines(const PixelSurface& surface, const GradientLines& lines);

class SweepPainter;
// PaintLines with the sweep already readied: `swept` is what
// sweep.Prepare(lines.points, lines.LineCount(), surface.width,
// surface.height) gave, so that pictures sharing their lines prepare once.
bool PaintLines(const PixelSurface& surface, const GradientLines& lines, const SweepPainter& sweep, bool swept);

// Staircase rows (the lines' pixels step between rows every column or two)
// take four colours at once with a byte shuffle where the processor has one
// (SSSE3, asked at run time; eight at once with AVX2 when row_store uses
// it; WebAssembly's SIMD in the page); off, or elsewhere, one at a time. All
// give the same pixels; tests and benchmarks switch.
void UseWideGather(bool on);

// The lines of a sweep (every line the one before it moved one pixel along
// x or y, as Draw plans them) readied once for a width x height area and
// then painted row by row, in any colours and any part of a row: the
// pictures of one pass share their lines and differ only in colours, and a
// picture crossing the edge of a frame or clipped to a circle is painted
// only where it shows. The rows come out exactly as PaintLines leaves them.
class SweepPainter {
public:
    // Pixel values of line k (0x00RRGGBB) and the same table reversed.
    struct Colours {
        std::vector<uint32_t> forward;
        std::vector<uint32_t> backward;
    };

    // False when the first `count` lines of points are no such sweep, or an
    // end or the area lies beyond kMaxPixelCoordinate: PaintLines then draws
    // the lines one by one. Nothing of an earlier plan is kept.
    bool Prepare(const std::vector<LinePoint>& points, int64_t count, int32_t width, int32_t height);
    // Line k's colour is colors[k] (0x00BBGGRR, plain RGB; at least `count` of them).
    void SetColours(const std::vector<int32_t>& colors, Colours& c) const;
    // Writes what drawing the lines one after the other leaves in row y,
    // columns [from, to) (clipped to the area), into out[0 .. to - from);
    // columns no line crosses are left as they are.
    void PaintRow(int32_t y, int32_t from, int32_t to, const Colours& c, uint32_t* out) const;

private:
    using Span = line_walk::Span;
    // Columns x0 to x1 where line 0 covers rows run (slope 0), or covers the
    // single row run.lo + slope * (x - x0) (slope +1 or -1).
    struct Block {
        int32_t x0, x1;
        Span run;
        int32_t slope;
    };
    // Takes the next column into the block when it fits; false otherwise.
    static bool Extend(Block& b, Span run);
    void PaintRun(uint32_t* out, int64_t from, int64_t to, Span run, const Colours& c) const;
    void PaintBlock(uint32_t* out, int64_t from, int64_t to, int64_t y, const Block& b, const Colours& c) const;
    void PaintDiagonal(uint32_t* out, int64_t from, int64_t to, int64_t y, const Block& b, const Colours& c) const;
    void PaintStaircase(uint32_t* out, int64_t from, int64_t to, int64_t y, const Colours& c) const;
    // staircase: the indices of the columns row y takes colours in, as [first, last).
    std::pair<int64_t, int64_t> RowColumns(int64_t y) const;
    static bool WideGather();
    static void GatherGroups(const uint32_t* table, int64_t base, const int32_t* least, const std::array<uint8_t, 16>* shuffle,
                             const int8_t* straight, int64_t groups, uint32_t* out);

    bool ready_ = false;
    line_walk::Walk first_;
    int64_t count_ = 0;
    LinePoint step_;
    int32_t width_ = 0, height_ = 0;
    std::vector<Span> rowRuns_;       // along x: line 0's run across each row
    std::vector<Block> blocks_;       // along y: column blocks
    std::vector<int64_t> pixelRows_;  // line 0's row in each column it crosses, when it has one per column
    int32_t firstColumn_ = -1;
    bool staircase_ = false;
    bool rising_ = false;
    std::vector<int32_t> offsets_;       // staircase: row(first column) - row(column)
    // staircase: per row, the column indices [first, last) it takes colours
    // in, for areas of up to kListedRows rows
    static constexpr int32_t kListedRows = 1 << 16;
    std::vector<std::pair<int32_t, int32_t>> rowColumns_;
    // staircase: groups of four columns start at this column index, the first
    // whose x is a multiple of four, so that their pixels can be stored
    // whole into 16-byte aligned rows
    int64_t groupStart_ = 0;
    std::vector<int32_t> groupLeast_;    // staircase: per four columns, their least offset
    std::vector<std::array<uint8_t, 16>> groupShuffle_;  // and the bytes of their four colours from there
    // staircase: per group, whether the sixteen columns from it take
    // consecutive table entries, rising (1) or falling (-1) with x, or not (0)
    std::vector<int8_t> groupStraight_;
};

}  // namespace lvx
