#include "render/line_raster.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <utility>
#include <limits>
#include <vector>

#include "render/row_store.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#include <tmmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace lvx {
namespace {

using line_walk::CeilDiv;
using line_walk::FloorDiv;
using line_walk::Intersect;
using line_walk::Span;
using line_walk::Walk;

bool InRange(int64_t value) { return value >= -kMaxPixelCoordinate && value <= kMaxPixelCoordinate; }
bool InRange(LinePoint p) { return InRange(p.x) && InRange(p.y); }
bool InRange(const PixelSurface& s) {
    return s.width >= 0 && s.height >= 0 && s.width <= kMaxPixelCoordinate && s.height <= kMaxPixelCoordinate &&
           (s.topRow != nullptr || s.width == 0 || s.height == 0);
}

// The row's columns [from, to) are out[0 .. to - from). These write
// column start + j = source[j] for j in [0, count), and columns lo..hi
// (inclusive) = value, as far as they fall inside [from, to).
void CopyClipped(uint32_t* out, int64_t from, int64_t to, int64_t start, const uint32_t* source, int64_t count) {
    const int64_t lo = std::max(start, from);
    const int64_t hi = std::min(start + count, to);
    if (lo < hi) row_store::Copy(out + (lo - from), source + (lo - start), hi - lo);
}

void FillClipped(uint32_t* out, int64_t from, int64_t to, int64_t lo, int64_t hi, uint32_t value) {
    lo = std::max(lo, from);
    hi = std::min(hi + 1, to);
    if (lo < hi) row_store::Fill(out + (lo - from), hi - lo, value);
}

// The step between neighbouring lines when every line is the one before it
// moved by one pixel along x or y; nothing otherwise.
bool UniformStep(const std::vector<LinePoint>& p, int64_t count, LinePoint& step) {
    if (count < 2) return false;
    step = {p[2].x - p[0].x, p[2].y - p[0].y};
    if (std::abs(step.x) + std::abs(step.y) != 1) return false;
    for (size_t i = 2; i < static_cast<size_t>(2 * count); ++i) {
        if (p[i].x - p[i - 2].x != step.x || p[i].y - p[i - 2].y != step.y) return false;
    }
    return true;
}

}  // namespace

namespace {

bool g_wideGather = true;

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define LVX_WIDE_GATHER 1
// Group g's four pixels: table[base + least[g] .. + 3] shuffled by shuffle[g].
// Streamed (out 16-byte aligned) past the cache, as row_store writes long
// runs, or stored plainly.
__attribute__((target("ssse3"))) void GatherSsse3(const uint32_t* table, int64_t base, const int32_t* least,
                                                   const std::array<uint8_t, 16>* shuffle, int64_t groups,
                                                   uint32_t* out, bool stream) {
    for (int64_t g = 0; g < groups; ++g) {
        const __m128i colours = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table + (base + least[g])));
        const __m128i order = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle[g].data()));
        const __m128i pixels = _mm_shuffle_epi8(colours, order);
        if (stream) {
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + 4 * g), pixels);
        } else {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * g), pixels);
        }
    }
}

// Four groups, a whole 64-byte line, at a time into a 64-byte aligned out,
// streamed: all four read before either half is stored. The shuffles of
// neighbouring groups lie side by side. A line of sixteen consecutive
// entries (diagonal lines) is read as two runs, turned round where the
// entries fall with x.
__attribute__((target("avx2"))) void GatherAvx2(const uint32_t* table, int64_t base, const int32_t* least,
                                                 const std::array<uint8_t, 16>* shuffle, const int8_t* straight,
                                                 int64_t lines, uint32_t* out) {
    const __m256i reversed = _mm256_set_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int64_t l = 0; l < lines; ++l) {
        const int64_t g = 4 * l;
        __m256i first, second;
        if (straight[g] > 0) {
            const uint32_t* run = table + (base + least[g]);
            first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(run));
            second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(run + 8));
        } else if (straight[g] < 0) {
            const uint32_t* run = table + (base + least[g + 3]);
            first = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(run + 8)), reversed);
            second = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(run)), reversed);
        } else {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table + (base + least[g])));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table + (base + least[g + 1])));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table + (base + least[g + 2])));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table + (base + least[g + 3])));
            first = _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(a), b, 1),
                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(shuffle[g].data())));
            second = _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(c), d, 1),
                                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(shuffle[g + 2].data())));
        }
        _mm256_stream_si256(reinterpret_cast<__m256i*>(out + 16 * l), first);
        _mm256_stream_si256(reinterpret_cast<__m256i*>(out + 16 * l + 8), second);
    }
}
#elif defined(__wasm_simd128__)
#define LVX_WASM_GATHER 1
// The same four at a time with WebAssembly's byte swizzle, which takes the
// shuffle's bytes as pshufb does (every index here is below 16).
void GatherSimd128(const uint32_t* table, int64_t base, const int32_t* least, const std::array<uint8_t, 16>* shuffle,
                   int64_t groups, uint32_t* out) {
    for (int64_t g = 0; g < groups; ++g) {
        const v128_t colours = wasm_v128_load(table + (base + least[g]));
        const v128_t pixels = wasm_i8x16_swizzle(colours, wasm_v128_load(shuffle[g].data()));
        wasm_v128_store(out + 4 * g, pixels);
    }
}
#endif

}  // namespace

void UseWideGather(bool on) { g_wideGather = on; }

bool SweepPainter::WideGather() {
#if defined(LVX_WIDE_GATHER)
    static const bool available = __builtin_cpu_supports("ssse3");
    return g_wideGather && available;
#elif defined(LVX_WASM_GATHER)
    return g_wideGather;
#else
    return false;
#endif
}

void SweepPainter::GatherGroups(const uint32_t* table, int64_t base, const int32_t* least, const std::array<uint8_t, 16>* shuffle,
                                const int8_t* straight, int64_t groups, uint32_t* out) {
#if defined(LVX_WIDE_GATHER)
    // As row_store writes long runs: only whole 64-byte lines are streamed,
    // the groups before the first and after the last stored plainly (a line
    // both streamed and stored plainly is written out twice, the second
    // time after being read).
    const auto lineStart = [](const uint32_t* p) { return (reinterpret_cast<uintptr_t>(p) & 63) == 0; };
    int64_t lead = 0;
    while (lead < groups && lead < 4 && !lineStart(out + 4 * lead)) ++lead;
    const int64_t lines = row_store::Streams() && lead < groups && lineStart(out + 4 * lead) ? (groups - lead) / 4 : 0;
    if (lines == 0) lead = groups;
    GatherSsse3(table, base, least, shuffle, lead, out, false);
    if (row_store::Avx2()) {
        GatherAvx2(table, base, least + lead, shuffle + lead, straight + lead, lines, out + 4 * lead);
    } else {
        GatherSsse3(table, base, least + lead, shuffle + lead, 4 * lines, out + 4 * lead, true);
    }
    const int64_t done = lead + 4 * lines;
    GatherSsse3(table, base, least + done, shuffle + done, groups - done, out + 4 * done, false);
#elif defined(LVX_WASM_GATHER)
    GatherSimd128(table, base, least, shuffle, groups, out);
#else
    (void)table, (void)base, (void)least, (void)shuffle, (void)straight, (void)groups, (void)out;
#endif
}

// Lines that are all one line moved one pixel at a time along the axis of
// the sweep (step +1 or -1), as Draw plans them. Every line has the same
// pixels as the first, moved, so where line 0 covers [lo, hi] across one row
// (or column), line k covers [lo, hi] + k * step there, and the last line
// over a pixel u of that row is the largest k with u - k * step in [lo, hi]:
//   step +1: u in [lo, lo + L - 1] gets colour u - lo, u in [lo + L, hi + L - 1] the last;
//   step -1: u in [hi - L + 1, hi] gets colour hi - u, u in [lo - L + 1, hi - L] the last.
// Each row is then written once instead of once per line crossing it. What
// depends on the lines alone (line 0's runs, the column blocks) is worked
// out here once; the colours come with each row.
bool SweepPainter::Prepare(const std::vector<LinePoint>& points, int64_t count, int32_t width, int32_t height) {
    ready_ = false;
    rowRuns_.clear();
    blocks_.clear();
    pixelRows_.clear();
    staircase_ = false;
    if (width < 0 || height < 0 || width > kMaxPixelCoordinate || height > kMaxPixelCoordinate) return false;
    if (count < 2 || points.size() < static_cast<size_t>(2 * count)) return false;
    for (size_t i = 0; i < static_cast<size_t>(2 * count); ++i) {
        if (!InRange(points[i])) return false;
    }
    if (!UniformStep(points, count, step_)) return false;
    first_ = Walk(points[0], points[1]);
    count_ = count;
    width_ = width;
    height_ = height;
    if (step_.y == 0) {
        // Along x: line 0's run across each row.
        rowRuns_.reserve(static_cast<size_t>(height));
        for (int32_t y = 0; y < height; ++y) rowRuns_.push_back(first_.CrossSection(false, y));
        ready_ = true;
        return true;
    }
    // Along y: line 0's runs down the columns. Neighbouring columns that
    // agree form a block that takes one colour per row; single-pixel
    // columns whose pixel moves one row per column form a diagonal block
    // that takes consecutive colours, copied from the table in one go.
    firstColumn_ = -1;
    for (int32_t x = 0; x < width; ++x) {
        const Span run = first_.CrossSection(true, x);
        if (run.Empty()) continue;
        if (firstColumn_ < 0) firstColumn_ = x;
        if (first_.XMajor()) pixelRows_.push_back(run.lo);
        if (!blocks_.empty() && blocks_.back().x1 == x - 1 && Extend(blocks_.back(), run)) continue;
        blocks_.push_back({x, x, run, 0});
    }
    // Line 0 with one pixel per column (x-major) is a staircase: its row
    // moves by at most one from column to column, so any four neighbouring
    // columns take four neighbouring colours, shuffled into place, and each
    // row goes out as one run. That serves steps of a few pixels, of dozens
    // and diagonals alike (a fill or copy per block costs a call per block
    // and row, and where two blocks meet inside a cache line its plain
    // stores wait for the line to be read); only level steps long enough to
    // be streamed as whole cache lines (lines within a degree or so of
    // level) are filled per block.
    const bool longLevelSteps =
        blocks_.size() * 64 <= pixelRows_.size() &&
        std::all_of(blocks_.begin(), blocks_.end(), [](const Block& b) { return b.slope == 0; });
    staircase_ = first_.XMajor() && !pixelRows_.empty() && !longLevelSteps;
    if (staircase_) {
        rising_ = pixelRows_.back() >= pixelRows_.front();
        // Each column's row from the first column's, in 32 bits: the rows of
        // one sweep lie within its width of each other.
        offsets_.resize(pixelRows_.size());
        for (size_t i = 0; i < pixelRows_.size(); ++i) {
            offsets_[i] = static_cast<int32_t>(pixelRows_[0] - pixelRows_[i]);
        }
        // Four columns at a time: their offsets lie within 3 of the group's
        // least, so their colours are four neighbouring table entries read
        // at once and shuffled into place.
        groupStart_ = (4 - firstColumn_ % 4) % 4;
        const size_t groups = pixelRows_.size() > static_cast<size_t>(groupStart_)
                                  ? (pixelRows_.size() - static_cast<size_t>(groupStart_)) / 4
                                  : 0;
        // The columns each row takes colours in, found once for all the
        // pictures that share these lines (an area of more rows than a
        // screen has looks them up row by row instead).
        rowColumns_.clear();
        if (height <= kListedRows) {
            rowColumns_.resize(static_cast<size_t>(height));
            for (int32_t y = 0; y < height; ++y) {
                const auto [first, last] = RowColumns(y);
                rowColumns_[static_cast<size_t>(y)] = {static_cast<int32_t>(first), static_cast<int32_t>(last)};
            }
        }
        groupLeast_.resize(groups);
        groupShuffle_.resize(groups);
        for (size_t g = 0; g < groups; ++g) {
            const int32_t* o = offsets_.data() + groupStart_ + 4 * g;
            const int32_t least = std::min(std::min(o[0], o[1]), std::min(o[2], o[3]));
            groupLeast_[g] = least;
            for (int k = 0; k < 4; ++k) {
                for (int b = 0; b < 4; ++b) groupShuffle_[g][4 * k + b] = static_cast<uint8_t>(4 * (o[k] - least) + b);
            }
        }
        groupStraight_.assign(groups, 0);
        for (size_t g = 0; g + 4 <= groups; ++g) {
            const int32_t* o = offsets_.data() + groupStart_ + 4 * g;
            const auto consecutive = [o](int32_t by) {
                for (int k = 1; k < 16; ++k) {
                    if (o[k] != o[0] + by * k) return false;
                }
                return true;
            };
            groupStraight_[g] = consecutive(1) ? 1 : consecutive(-1) ? -1 : 0;
        }
    }
    ready_ = true;
    return true;
}

void SweepPainter::PaintRow(int32_t y, int32_t from, int32_t to, const Colours& c, uint32_t* out) const {
    from = std::max(from, 0);
    to = std::min(to, width_);
    if (!ready_ || y < 0 || y >= height_ || from >= to) return;
    if (step_.y == 0) {
        const Span run = rowRuns_[static_cast<size_t>(y)];
        if (!run.Empty()) PaintRun(out, from, to, run, c);
        return;
    }
    if (staircase_) {
        PaintStaircase(out, from, to, y, c);
        return;
    }
    for (const Block& b : blocks_) {
        if (b.x0 >= to) break;
        if (b.x1 < from) continue;
        if (b.slope == 0) {
            PaintBlock(out, from, to, y, b, c);
        } else {
            PaintDiagonal(out, from, to, y, b, c);
        }
    }
}

bool SweepPainter::Extend(Block& b, Span run) {
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

void SweepPainter::PaintBlock(uint32_t* out, int64_t from, int64_t to, int64_t y, const Block& b,
                              const Colours& c) const {
    int64_t k;
    if (step_.y > 0) {
        if (y < b.run.lo || y > b.run.hi + count_ - 1) return;
        k = y - b.run.lo;
    } else {
        if (y > b.run.hi || y < b.run.lo - count_ + 1) return;
        k = b.run.hi - y;
    }
    FillClipped(out, from, to, b.x0, b.x1, c.forward[static_cast<size_t>(std::min(k, count_ - 1))]);
}

// Column x0 + j shows colour start + rising * j, where that is a colour:
// a single pixel is covered by L lines at most, so no last-colour tail.
void SweepPainter::PaintDiagonal(uint32_t* out, int64_t from, int64_t to, int64_t y, const Block& b,
                                 const Colours& c) const {
    const int64_t start = step_.y > 0 ? y - b.run.lo : b.run.lo - y;
    const int64_t rising = step_.y > 0 ? -b.slope : b.slope;
    const int64_t length = b.x1 - b.x0 + 1;
    if (rising > 0) {
        const int64_t first = std::max<int64_t>(0, -start), last = std::min(length - 1, count_ - 1 - start);
        if (first <= last) CopyClipped(out, from, to, b.x0 + first, c.forward.data() + (start + first), last - first + 1);
    } else {
        const int64_t first = std::max<int64_t>(0, start - count_ + 1), last = std::min(length - 1, start);
        const int64_t offset = count_ - 1 - start;
        if (first <= last) {
            CopyClipped(out, from, to, b.x0 + first, c.backward.data() + (offset + first), last - first + 1);
        }
    }
}

// The columns whose line-0 row lies within the lines' reach of row y: one
// range, as that row moves monotonically with x.
std::pair<int64_t, int64_t> SweepPainter::RowColumns(int64_t y) const {
    const int64_t lo = step_.y > 0 ? y - count_ + 1 : y, hi = step_.y > 0 ? y : y + count_ - 1;
    const auto& rows = pixelRows_;
    if (rising_) {
        return {std::lower_bound(rows.begin(), rows.end(), lo) - rows.begin(),
                std::upper_bound(rows.begin(), rows.end(), hi) - rows.begin()};
    }
    const std::greater<> falling;
    return {std::lower_bound(rows.begin(), rows.end(), hi, falling) - rows.begin(),
            std::upper_bound(rows.begin(), rows.end(), lo, falling) - rows.begin()};
}

// Line 0 has one pixel in each of the columns from `first` on, in row
// pixelRows[x - first], so line k has it in row pixelRows[x - first] + k * step,
// and pixel (x, y) shows colour (y - that row) * step where that is a
// line's.
void SweepPainter::PaintStaircase(uint32_t* out, int64_t from, int64_t to, int64_t y, const Colours& c) const {
    auto [i0, i1] = rowColumns_.empty() ? RowColumns(y)
                                        : std::pair<int64_t, int64_t>(rowColumns_[static_cast<size_t>(y)]);
    // Column firstColumn_ + i, clipped to [from, to).
    i0 = std::max<int64_t>(i0, from - firstColumn_);
    i1 = std::min<int64_t>(i1, to - firstColumn_);
    if (i0 >= i1) return;
    // Colour y - row(i) going down, row(i) - y going up; with row(i) =
    // row(0) - offset(i), both read one table at base + offset(i) (going up,
    // the reversed one: colour j is backward[count - 1 - j]).
    const uint32_t* table = step_.y > 0 ? c.forward.data() : c.backward.data();
    const int64_t base = step_.y > 0 ? y - pixelRows_[0] : count_ - 1 - pixelRows_[0] + y;
    const int32_t* offsets = offsets_.data();
    // Straight into the row: column firstColumn_ + i is gathered[i - i0].
    uint32_t* gathered = out + (firstColumn_ + i0 - from);
    auto i = i0;
    if (WideGather()) {
        for (; i < i1 && (i < groupStart_ || (i - groupStart_) % 4 != 0); ++i) gathered[i - i0] = table[base + offsets[i]];
        const int64_t groups = (i1 - i) / 4;
        if (groups > 0) {
            const int64_t first = (i - groupStart_) / 4;
            GatherGroups(table, base, groupLeast_.data() + first, groupShuffle_.data() + first,
                         groupStraight_.data() + first, groups, gathered + (i - i0));
            i += 4 * groups;
        }
    }
    for (; i < i1; ++i) gathered[i - i0] = table[base + offsets[i]];
}

void SweepPainter::PaintRun(uint32_t* out, int64_t from, int64_t to, Span run, const Colours& c) const {
    if (step_.x > 0) {
        CopyClipped(out, from, to, run.lo, c.forward.data(), count_);
        FillClipped(out, from, to, run.lo + count_, run.hi + count_ - 1, c.forward[static_cast<size_t>(count_ - 1)]);
    } else {
        CopyClipped(out, from, to, run.hi - count_ + 1, c.backward.data(), count_);
        FillClipped(out, from, to, run.lo - count_ + 1, run.hi - count_, c.forward[static_cast<size_t>(count_ - 1)]);
    }
}

void SweepPainter::SetColours(const std::vector<int32_t>& colors, Colours& c) const {
    c.forward.resize(static_cast<size_t>(count_));
    for (int64_t k = 0; k < count_; ++k) c.forward[static_cast<size_t>(k)] = PixelOf(colors[static_cast<size_t>(k)]);
    c.backward.assign(c.forward.rbegin(), c.forward.rend());
    // Room for the wide gather's four-pixel reads past the last colour.
    c.forward.resize(c.forward.size() + 3, c.forward.back());
    c.backward.resize(c.backward.size() + 3, c.backward.back());
}

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
    SweepPainter sweep;
    const bool swept = sweep.Prepare(lines.points, lines.LineCount(), surface.width, surface.height);
    return PaintLines(surface, lines, sweep, swept);
}

bool PaintLines(const PixelSurface& surface, const GradientLines& lines, const SweepPainter& sweep, bool swept) {
    const int64_t count = lines.LineCount();
    if (!InRange(surface) || lines.colors.size() < static_cast<size_t>(count)) return false;
    for (int64_t k = 0; k < count; ++k) {
        // A high byte makes a palette reference or something stranger of a
        // colour; the pens know what to make of it.
        if ((static_cast<uint32_t>(lines.colors[static_cast<size_t>(k)]) & 0xFF000000u) != 0) return false;
    }
    // (A readied sweep has checked its points.)
    for (size_t i = 0; !swept && i < static_cast<size_t>(2 * count); ++i) {
        if (!InRange(lines.points[i])) return false;
    }
    if (count == 0 || surface.width == 0 || surface.height == 0) return true;

    if (swept) {
        SweepPainter::Colours colours;
        sweep.SetColours(lines.colors, colours);
        for (int32_t y = 0; y < surface.height; ++y) sweep.PaintRow(y, 0, surface.width, colours, surface.Row(y));
        row_store::Finish();
        return true;
    }
    for (int64_t k = 0; k < count; ++k) {
        RasteriseLine(surface, lines.points[static_cast<size_t>(2 * k)], lines.points[static_cast<size_t>(2 * k + 1)],
                      PixelOf(lines.colors[static_cast<size_t>(k)]));
    }
    return true;
}

}  // namespace lvx
