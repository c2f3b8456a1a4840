// The line geometry and colour table alone, as Draw computes them before
// drawing anything, and the memory path's writing of the lines beside a
// plain fill of the same pixels.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <new>
#include <vector>

#include "render/classic_colors.h"
#include "render/cls_gradient.h"
#include "render/line_raster.h"
#include "render/row_store.h"
#include "saver/frame_compose.h"
#include "saver/saver_layout.h"

namespace {

// Pixel memory on 64-byte lines, as the platforms give bitmaps and shared
// images (page-aligned); malloc's 16-byte alignment would put every row's
// ends inside cache lines that no real bitmap has them in.
template <class T>
struct LineAligned {
    using value_type = T;
    LineAligned() = default;
    template <class U>
    LineAligned(const LineAligned<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t{64})); }
    void deallocate(T* p, size_t) { ::operator delete(p, std::align_val_t{64}); }
    template <class U>
    bool operator==(const LineAligned<U>&) const { return true; }
};
using Pixels = std::vector<uint32_t, LineAligned<uint32_t>>;

void BM_PlanLines(benchmark::State& state) {
    lvx::HeadlessGradientPort port;
    lvx::clsGradient g(port);
    g.Angle(static_cast<float>(state.range(1)));
    const auto size = static_cast<int32_t>(state.range(0));
    int64_t lines = 0;
    for (auto _ : state) {
        lvx::GradientLines plan = g.PlanLines(size, size);
        lines += plan.LineCount();
        benchmark::DoNotOptimize(plan.points.data());
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlanLines)->ArgsProduct({{100, 400, 1000}, {0, 45, 315}})->Unit(benchmark::kMicrosecond);

void BM_BlendColors(benchmark::State& state) {
    std::vector<int32_t> table;
    for (auto _ : state) {
        lvx::clsGradient::BlendColors(0x00FFFFD0, 0x00400000, static_cast<int32_t>(state.range(0)), table);
        benchmark::DoNotOptimize(table.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BlendColors)->Arg(202)->Arg(1002)->Unit(benchmark::kMicrosecond);

// Writing planned lines into a size x size bitmap in memory.
void BM_PaintLines(benchmark::State& state) {
    const auto size = static_cast<int32_t>(state.range(0));
    lvx::HeadlessGradientPort port;
    lvx::clsGradient g(port);
    g.Angle(static_cast<float>(state.range(1)));
    const lvx::GradientLines plan = g.PlanLines(size, size);
    Pixels bits(static_cast<size_t>(size) * static_cast<size_t>(size));
    const lvx::PixelSurface surface{bits.data(), size, size, size};
    for (auto _ : state) {
        lvx::PaintLines(surface, plan);
        benchmark::DoNotOptimize(bits.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * size * size);
}
BENCHMARK(BM_PaintLines)->ArgsProduct({{400}, {0, 45, 90, 135, 200, 315}})->Unit(benchmark::kMicrosecond);

// A whole turn of the saver: one picture at each whole angle, plans
// included, as the turning pictures need them.
void BM_PaintLinesFullTurn(benchmark::State& state) {
    const auto size = static_cast<int32_t>(state.range(0));
    lvx::HeadlessGradientPort port;
    lvx::clsGradient g(port);
    Pixels bits(static_cast<size_t>(size) * static_cast<size_t>(size));
    const lvx::PixelSurface surface{bits.data(), size, size, size};
    for (auto _ : state) {
        for (int angle = 0; angle < 360; ++angle) {
            g.Angle(static_cast<float>(angle));
            lvx::PaintLines(surface, g.PlanLines(size, size));
        }
        benchmark::DoNotOptimize(bits.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 360);
}
BENCHMARK(BM_PaintLinesFullTurn)->Arg(400)->Unit(benchmark::kMillisecond);

// The floor for the above: every pixel written once with one value.
void BM_FillPixels(benchmark::State& state) {
    const auto size = static_cast<size_t>(state.range(0));
    Pixels bits(size * size);
    uint32_t value = 0;
    for (auto _ : state) {
        std::fill(bits.begin(), bits.end(), ++value);
        benchmark::DoNotOptimize(bits.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(size * size));
}
BENCHMARK(BM_FillPixels)->Arg(400)->Unit(benchmark::kMicrosecond);

// One pass of the saver in memory: twelve 400 x 400 pictures at one angle,
// each drawn by Draw into a bitmap of its own as the Windows program draws
// them (BM_MemoryPass), and the same pictures composed into a 1920 x 1080
// frame as the hack and the web page paint them (BM_ComposePass), beside a
// plain fill of the same twelve pictures' pixels (BM_FillPass).
constexpr int kPassPictures = 12;
constexpr int32_t kPassSize = 400;
constexpr int32_t kPassColours[kPassPictures][2] = {
    {0x00FFFFD0, 0x00400000}, {0x00102030, 0x00FFFFFF}, {0x0080FF00, 0x00000000}, {0x00123456, 0x00654321},
    {0x000000FF, 0x00FF0000}, {0x00FFFFFF, 0x00000000}, {0x00336699, 0x00996633}, {0x00010203, 0x00FEFDFC},
    {0x0040C020, 0x00FFFFFF}, {0x00A0A0A0, 0x00000000}, {0x00FF00FF, 0x0000FF00}, {0x00204060, 0x00E0C0A0}};

// The twelve pictures' bitmaps, the same memory for the pass and for the
// fill it is measured against: where in memory (and in the caches) they lie
// moves a fill's time by more than any change to the pass.
std::vector<Pixels>& PassBitmaps() {
    static std::vector<Pixels> bitmaps(kPassPictures, Pixels(static_cast<size_t>(kPassSize) * kPassSize));
    return bitmaps;
}

// Bitmaps in memory, one per device context 1..12.
class MemoryPort : public lvx::HeadlessGradientPort {
public:
    bool ReadClientRect(lvx::GdiHandle, int32_t& r, int32_t& b) override {
        r = b = kPassSize;
        return true;
    }
    bool OpenPixels(lvx::GdiHandle dc, lvx::PixelSurface& s) override {
        s = {PassBitmaps()[static_cast<size_t>(dc - 1)].data(), kPassSize, kPassSize, kPassSize};
        return true;
    }
};

void BM_MemoryPass(benchmark::State& state) {
    MemoryPort port;
    lvx::clsGradient g(port);
    std::vector<lvx::HandleTarget> targets;
    for (lvx::GdiHandle i = 1; i <= kPassPictures; ++i) targets.emplace_back(i, i);
    const auto angle = static_cast<float>(state.range(0));
    for (auto _ : state) {
        for (int i = 0; i < kPassPictures; ++i) {
            g.Angle(angle);
            g.Color1(kPassColours[i][0]);
            g.Color2(kPassColours[i][1]);
            benchmark::DoNotOptimize(g.Draw(targets[static_cast<size_t>(i)]));
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPassPictures * kPassSize * kPassSize);
}
BENCHMARK(BM_MemoryPass)->Arg(0)->Arg(45)->Arg(90)->Arg(135)->Arg(200)->Arg(315)->Unit(benchmark::kMicrosecond);

void BM_ComposePass(benchmark::State& state) {
    constexpr int32_t kW = 1920, kH = 1080;
    Pixels frame(static_cast<size_t>(kW) * kH);
    const lvx::PixelSurface surface{frame.data(), kW, kH, kW};
    const lvx::CellGrid grid = lvx::MakeCellGrid(kW, kH);
    lvx::FrameScene scene;
    scene.angle = static_cast<float>(state.range(0));
    scene.shape = state.range(1) != 0 ? lvx::PictureShape::Circle : lvx::PictureShape::Square;
    for (int i = 0; i < kPassPictures; ++i) {
        const lvx::PicturePlace place = lvx::CenterInCell(grid, i, kPassSize);
        scene.pictures.push_back({static_cast<int32_t>(place.left), static_cast<int32_t>(place.top), kPassSize,
                                  kPassColours[i][0], kPassColours[i][1]});
    }
    lvx::FrameComposer composer;
    composer.Compose(surface, scene, true);
    for (auto _ : state) {
        composer.Compose(surface, scene, false);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPassPictures * kPassSize * kPassSize);
}
BENCHMARK(BM_ComposePass)->ArgsProduct({{0, 45, 90, 135, 200, 315}, {0, 1}})->Unit(benchmark::kMicrosecond);

void BM_FillPass(benchmark::State& state) {
    std::vector<Pixels>& bitmaps = PassBitmaps();
    uint32_t value = 0;
    for (auto _ : state) {
        ++value;
        for (auto& b : bitmaps) std::fill(b.begin(), b.end(), value);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPassPictures * kPassSize * kPassSize);
}
BENCHMARK(BM_FillPass)->Unit(benchmark::kMicrosecond);

// The same fill with the stores the pass makes: whole cache lines streamed
// past the cache. Back to back the plain fill's pixels stay in the cache
// (7.7 MB), which a streamed store leaves; at the saver's pace they do not.
void BM_StreamedFillPass(benchmark::State& state) {
    std::vector<Pixels>& bitmaps = PassBitmaps();
    uint32_t value = 0;
    for (auto _ : state) {
        ++value;
        for (auto& b : bitmaps) lvx::row_store::Fill(b.data(), static_cast<int64_t>(b.size()), value);
        lvx::row_store::Finish();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPassPictures * kPassSize * kPassSize);
}
BENCHMARK(BM_StreamedFillPass)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
