#include "saver/x11/hack_pacing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lvx::hack {
namespace {

TEST(HackPacing, TheMonitorHoldingMostOfTheWindowGivesTheRate) {
    const Monitor left{0, 0, 1920, 1080, 60};
    const Monitor tv{1920, 0, 1280, 720, 50};
    const Monitor fast{-2560, 0, 2560, 1440, 144};
    const Monitor unknown{0, 1080, 1920, 1080, 0};
    struct Case {
        const char* name;
        std::vector<Monitor> monitors;
        int32_t x, y, w, h;
        double hz;
    };
    const std::vector<Case> cases = {
        {"wholly on the TV", {left, tv}, 1920, 0, 1280, 720, 50},
        {"mostly on the TV", {left, tv}, 1800, 100, 400, 300, 50},
        {"mostly on the first", {left, tv}, 1700, 100, 400, 300, 60},
        {"one pixel more on the TV", {left, tv}, 1721, 0, 400, 300, 50},
        {"halves: the first listed", {left, tv}, 1720, 0, 400, 300, 60},
        {"the TV listed first", {tv, left}, 1720, 0, 400, 300, 50},
        {"left of the origin", {left, fast}, -300, 10, 400, 300, 144},
        {"on a mode without a rate", {left, unknown}, 0, 1000, 400, 300, 60},
        {"off every monitor", {left, tv}, 5000, 5000, 100, 100, 60},
        {"no monitors", {}, 0, 0, 100, 100, 60},
        {"an absurd rate", {Monitor{0, 0, 100, 100, 5000}}, 0, 0, 100, 100, 60},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(RefreshOfArea(c.monitors, c.x, c.y, c.w, c.h), c.hz) << c.name;
    }
}

// No -delay: one pass per refresh, at most 60 a second; -delay N: at least
// N us and never faster than the refresh; -delay 0: one pass per refresh.
TEST(HackPacing, PassesFollowTheRefreshTheDelayAndTheCap) {
    struct Case {
        double hz;
        long delay;
        int64_t period;
    };
    const std::vector<Case> cases = {
        {60, kDefaultDelayMicroseconds, 16667},  {50, kDefaultDelayMicroseconds, 20000},
        {144, kDefaultDelayMicroseconds, 16667}, {59.94, kDefaultDelayMicroseconds, 16683},
        {144, 0, 6944},                          {50, 0, 20000},
        {60, 50000, 50000},                      {144, 10000, 10000},
        {50, 10000, 20000},                      {0, 0, 16667},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PassPeriodMicroseconds(c.hz, c.delay), c.period) << c.hz << " Hz, -delay " << c.delay;
    }
    // The default is a cap of 60 passes a second, not more.
    EXPECT_LE(1e6 / static_cast<double>(kDefaultDelayMicroseconds), 60.0);
    EXPECT_GT(1e6 / static_cast<double>(kDefaultDelayMicroseconds), 59.99);
}

}  // namespace
}  // namespace lvx::hack
