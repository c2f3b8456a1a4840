// The line geometry and colour table alone, as Draw computes them before
// drawing anything.
#include <benchmark/benchmark.h>

#include "render/classic_colors.h"
#include "render/cls_gradient.h"

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
BENCHMARK(BM_PlanLines)->ArgsProduct({{100, 400, 1000}, {0, 45, 315}});

void BM_BlendColors(benchmark::State& state) {
    std::vector<int32_t> table;
    for (auto _ : state) {
        lvx::clsGradient::BlendColors(0x00FFFFD0, 0x00400000, static_cast<int32_t>(state.range(0)), table);
        benchmark::DoNotOptimize(table.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BlendColors)->Arg(202)->Arg(1002);

}  // namespace

BENCHMARK_MAIN();
