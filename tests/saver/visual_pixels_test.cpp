// The hack's pixels for TrueColor visuals of every depth X servers offer.
#include "saver/x11/visual_pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace lvx::x11 {
namespace {

TEST(VisualPixels, ScalesEachChannelIntoItsMask) {
    struct Case {
        const char* what;
        uint64_t red, green, blue;
        bool usable, identity;
        // 0x00RRGGBB in, the visual's pixel out.
        std::vector<std::pair<uint32_t, uint32_t>> pixels;
    } cases[] = {
        {"24-bit", 0xFF0000, 0xFF00, 0xFF, true, true, {{0x123456, 0x123456}, {0xFFFFFF, 0xFFFFFF}}},
        {"24-bit, blue first", 0xFF, 0xFF00, 0xFF0000, true, false, {{0x123456, 0x563412}, {0xFF0000, 0x0000FF}}},
        {"16-bit 5-6-5", 0xF800, 0x07E0, 0x001F, true, false,
         {{0xFFFFFF, 0xFFFF}, {0x000000, 0}, {0xFF0000, 0xF800}, {0x00FF00, 0x07E0}, {0x0000FF, 0x001F},
          // 0x80 is 16.06 of 31 and 32.13 of 63; 0x04 is 0.49 of 31, 0x05 0.61.
          {0x808080, (16u << 11) | (32u << 5) | 16u}, {0x040505, (0u << 11) | (1u << 5) | 1u}}},
        {"15-bit 5-5-5", 0x7C00, 0x03E0, 0x001F, true, false, {{0xFFFFFF, 0x7FFF}, {0x00FF00, 0x03E0}}},
        {"30-bit 10-10-10", 0x3FF00000, 0xFFC00, 0x3FF, true, false,
         {{0xFFFFFF, 0x3FFFFFFF}, {0x800000, 514u << 20}, {0x000001, 4u}, {0x00FF00, 0x3FFu << 10}}},
        {"no blue", 0xFF0000, 0xFF00, 0, false, false, {}},
        {"a mask in two runs", 0xF0F000, 0xF00, 0xFF, false, false, {}},
        {"overlapping masks", 0xFF0000, 0xFFFF00, 0xFF, false, false, {}},
        {"a mask beyond 32 bits", 0xFF00000000, 0xFF00, 0xFF, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VisualPixels v;
        EXPECT_EQ(v.Set(c.red, c.green, c.blue), c.usable);
        EXPECT_EQ(v.Identity(), c.identity);
        for (const auto& [rgb, pixel] : c.pixels) EXPECT_EQ(v(rgb), pixel) << std::hex << rgb;
    }
}

TEST(VisualPixels, RowsOfBothWidthsWriteExactlyTheirCount) {
    VisualPixels v;
    ASSERT_TRUE(v.Set(0xF800, 0x07E0, 0x001F));
    const std::vector<uint32_t> from{0xFFFFFF, 0x000000, 0xFF0000};
    std::vector<uint16_t> narrow(5, 0xABCD);
    v.Row(from.data(), narrow.data() + 1, 3);
    EXPECT_EQ(narrow, (std::vector<uint16_t>{0xABCD, 0xFFFF, 0x0000, 0xF800, 0xABCD}));
    std::vector<uint32_t> wide(5, 0xABCDEF);
    v.Row(from.data(), wide.data() + 1, 3);
    EXPECT_EQ(wide, (std::vector<uint32_t>{0xABCDEF, 0xFFFF, 0x0000, 0xF800, 0xABCDEF}));
}

}  // namespace
}  // namespace lvx::x11
