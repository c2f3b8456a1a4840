// What the hack sends to the X server after a pass: every picture pixel
// inside the frame, nothing outside it, in full-width bands when cheap.
#include "saver/x11/put_plan.h"

#include <gtest/gtest.h>

#include <vector>

namespace lvx::x11 {
namespace {

TEST(PlanPuts, CoversThePicturesInsideTheFrame) {
    // 400-px pictures centred in the 480 x 360 cells of a 1920 x 1080 frame.
    std::vector<PutRect> grid;
    for (int i = 0; i < 12; ++i) grid.push_back({(i % 4) * 480 + 40, (i / 4) * 360 - 20, 400, 400});
    struct Case {
        const char* what;
        int32_t width, height;
        std::vector<PutRect> pictures;
        bool wholeRows;
        std::vector<PutRect> puts;
    } cases[] = {
        {"the default grid: one band, the whole frame", 1920, 1080, grid, true, {{0, 0, 1920, 1080}}},
        {"the default grid by pictures",
         1920,
         1080,
         {grid[0], grid[11]},
         false,
         {{40, 0, 400, 380}, {1480, 700, 400, 380}}},
        {"crossing every edge, clipped", 100, 80, {{-10, -5, 30, 30}, {90, 70, 30, 30}}, false,
         {{0, 0, 20, 25}, {90, 70, 10, 10}}},
        {"wholly outside, or empty: nothing", 100, 80,
         {{-30, 0, 30, 30}, {100, 0, 30, 30}, {0, -30, 30, 30}, {0, 80, 30, 30}, {5, 5, 0, 0}}, true, {}},
        {"touching rows merge, apart rows stay apart", 100, 100,
         {{0, 50, 90, 20}, {0, 0, 90, 20}, {10, 20, 80, 10}}, true, {{0, 0, 100, 30}, {0, 50, 100, 20}}},
        {"bands at exactly 3/2 of the pictures", 90, 100, {{0, 0, 60, 10}}, true, {{0, 0, 90, 10}}},
        {"bands beyond 3/2: the pictures alone", 91, 100, {{0, 0, 60, 10}}, true, {{0, 0, 60, 10}}},
        {"small pictures in a wide frame", 1920, 1080, {{40, 20, 100, 100}, {520, 20, 100, 100}}, true,
         {{40, 20, 100, 100}, {520, 20, 100, 100}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<PutRect> puts = PlanPuts(c.width, c.height, c.pictures, c.wholeRows);
        ASSERT_EQ(puts.size(), c.puts.size());
        for (size_t i = 0; i < puts.size(); ++i) {
            EXPECT_EQ(puts[i], c.puts[i]) << i << ": " << puts[i].x << "," << puts[i].y << " " << puts[i].width
                                          << "x" << puts[i].height;
        }
    }
}

}  // namespace
}  // namespace lvx::x11
