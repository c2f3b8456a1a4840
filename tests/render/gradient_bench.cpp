// The line geometry and colour table alone, as Draw computes them before
// drawing anything, and the memory path's writing of the lines beside a
// plain fill of the same pixels.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "render/classic_colors.h"
#include "render/cls_gradient.h"
#include "render/line_raster.h"

namespace {

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
    std::vector<uint32_t> bits(static_cast<size_t>(size) * static_cast<size_t>(size));
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
    std::vector<uint32_t> bits(static_cast<size_t>(size) * static_cast<size_t>(size));
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
    std::vector<uint32_t> bits(size * size);
    uint32_t value = 0;
    for (auto _ : state) {
        std::fill(bits.begin(), bits.end(), ++value);
        benchmark::DoNotOptimize(bits.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(size * size));
}
BENCHMARK(BM_FillPixels)->Arg(400)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
