#include "saver/x11/put_plan.h"

#include <algorithm>

namespace lvx::x11 {

std::vector<PutRect> PlanPuts(int32_t width, int32_t height, const std::vector<PutRect>& pictures, bool wholeRows) {
    std::vector<PutRect> clipped;
    int64_t area = 0;
    for (const PutRect& p : pictures) {
        const int64_t x0 = std::max<int64_t>(p.x, 0), y0 = std::max<int64_t>(p.y, 0);
        const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(p.x) + p.width, width);
        const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(p.y) + p.height, height);
        if (x0 >= x1 || y0 >= y1) continue;
        clipped.push_back({static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
                           static_cast<int32_t>(y1 - y0)});
        area += (x1 - x0) * (y1 - y0);
    }
    if (!wholeRows || clipped.empty()) return clipped;
    std::vector<PutRect> byTop = clipped;
    std::sort(byTop.begin(), byTop.end(), [](const PutRect& a, const PutRect& b) { return a.y < b.y; });
    std::vector<PutRect> bands;
    int64_t rows = 0;
    for (const PutRect& p : byTop) {
        if (!bands.empty() && p.y <= bands.back().y + bands.back().height) {
            PutRect& last = bands.back();
            last.height = std::max(last.height, p.y + p.height - last.y);
        } else {
            bands.push_back({0, p.y, width, p.height});
        }
    }
    for (const PutRect& b : bands) rows += b.height;
    if (2 * rows * width > 3 * area) return clipped;
    return bands;
}

}  // namespace lvx::x11
