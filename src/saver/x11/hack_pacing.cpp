#include "saver/x11/hack_pacing.h"

#include <algorithm>
#include <cmath>

namespace lvx::hack {

double RefreshOfArea(const std::vector<Monitor>& monitors, int32_t x, int32_t y, int32_t width, int32_t height) {
    int64_t best = 0;
    double hz = 0;
    for (const Monitor& m : monitors) {
        const int64_t w = std::min<int64_t>(int64_t{x} + width, int64_t{m.x} + m.width) - std::max(x, m.x);
        const int64_t h = std::min<int64_t>(int64_t{y} + height, int64_t{m.y} + m.height) - std::max(y, m.y);
        if (w <= 0 || h <= 0 || w * h <= best) continue;
        best = w * h;
        hz = m.hz;
    }
    return hz >= 1 && hz <= 1000 ? hz : kFallbackRefreshHz;
}

int64_t PassPeriodMicroseconds(double refreshHz, long delayMicroseconds) {
    if (!(refreshHz >= 1 && refreshHz <= 1000)) refreshHz = kFallbackRefreshHz;
    const auto refresh = static_cast<int64_t>(std::llround(1e6 / refreshHz));
    return std::max<int64_t>(refresh, std::max(delayMicroseconds, 0L));
}

}  // namespace lvx::hack
