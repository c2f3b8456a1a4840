// The frame compositor against a frame worked out pixel by pixel: each
// picture drawn alone by clsGradient on a bitmap of its own, its outline
// from the circle's equation in whole numbers, the stack from picture 0
// down. The frame's memory has guard words around it and padding at the end
// of every row that nothing may touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "render/classic_colors.h"
#include "render/cls_gradient.h"
#include "render/line_raster.h"
#include "saver/frame_compose.h"
#include "saver/saver_layout.h"

namespace lvx {
namespace {

constexpr uint32_t kGuardWord = 0xDEADBEEF;
constexpr int32_t kPadding = 3;  // words after each row, part of the stride
constexpr size_t kGuard = 256;

// A frame in memory with a stride wider than the frame, in either row order.
class Frame {
public:
    Frame(int32_t w, int32_t h, bool bottomUp = false)
        : w_(w), h_(h), stride_(w + kPadding), words_(static_cast<size_t>(stride_) * h + 2 * kGuard, kGuardWord) {
        uint32_t* first = words_.data() + kGuard;
        surface_ = {bottomUp ? first + static_cast<size_t>(stride_) * (h - 1) : first, w, h,
                    bottomUp ? -stride_ : stride_};
        for (int32_t y = 0; y < h; ++y) std::fill_n(surface_.Row(y), w, 0x00123456u);
    }
    const PixelSurface& Surface() const { return surface_; }
    uint32_t At(int32_t x, int32_t y) const { return surface_.Row(y)[x]; }
    // Guards and row padding hold what they held.
    bool Untouched() const {
        for (size_t i = 0; i < kGuard; ++i) {
            if (words_[i] != kGuardWord || words_[words_.size() - 1 - i] != kGuardWord) return false;
        }
        for (int32_t y = 0; y < h_; ++y) {
            for (int32_t x = w_; x < stride_; ++x) {
                if (surface_.Row(y)[x] != kGuardWord) return false;
            }
        }
        return true;
    }

private:
    int32_t w_, h_, stride_;
    std::vector<uint32_t> words_;
    PixelSurface surface_;
};

// A gradient port whose only window and device context is one bitmap.
class BitmapPort : public GradientPort {
public:
    explicit BitmapPort(int32_t size) : size_(size), pixels_(static_cast<size_t>(size) * size, 0) {}
    int32_t SystemColor(int32_t index) override { return ClassicSystemColor(index); }
    void LockUpdates(GdiHandle) override {}
    bool ReadClientRect(GdiHandle, int32_t& r, int32_t& b) override {
        r = b = size_;
        return true;
    }
    GdiHandle CreateSolidPen(int32_t) override { return 1; }
    GdiHandle SelectIntoDc(GdiHandle, GdiHandle) override { return 1; }
    void MoveTo(GdiHandle, int32_t, int32_t) override {}
    void DrawLineTo(GdiHandle, int32_t, int32_t) override { ADD_FAILURE() << "the memory path was expected"; }
    void DeletePen(GdiHandle) override {}
    void ShowWarning(std::string_view, std::string_view) override { ADD_FAILURE() << "unexpected warning"; }
    bool OpenPixels(GdiHandle, PixelSurface& s) override {
        s = {pixels_.data(), size_, size_, size_};
        return true;
    }
    uint32_t At(int32_t x, int32_t y) const { return pixels_[static_cast<size_t>(y) * size_ + x]; }

private:
    int32_t size_;
    std::vector<uint32_t> pixels_;
};

// What the frame must show, worked out one pixel at a time.
std::vector<uint32_t> Expected(int32_t w, int32_t h, const FrameScene& scene) {
    std::vector<uint32_t> out(static_cast<size_t>(w) * h, PixelOf(scene.backColor));
    // From the bottom of the stack up, so that lower indices end on top.
    for (size_t i = scene.pictures.size(); i-- > 0;) {
        const FramePicture& p = scene.pictures[i];
        if (p.size <= 1) continue;
        BitmapPort port(p.size);
        clsGradient g(port);
        g.Angle(scene.angle);
        g.Color1(p.color1);
        g.Color2(p.color2);
        HandleTarget target(1, 1);
        EXPECT_EQ(g.Draw(target), -1);
        const int64_t s = p.size;
        for (int64_t y = 0; y < s; ++y) {
            for (int64_t x = 0; x < s; ++x) {
                const int64_t fx = p.left + x, fy = p.top + y;
                if (fx < 0 || fy < 0 || fx >= w || fy >= h) continue;
                // Pixel centres inside the inscribed circle: (2x + 1 - s)^2 + (2y + 1 - s)^2 <= s^2.
                const int64_t dx = 2 * x + 1 - s, dy = 2 * y + 1 - s;
                if (scene.shape == PictureShape::Circle && (dx * dx + dy * dy > s * s || dy * dy >= s * s)) continue;
                out[static_cast<size_t>(fy * w + fx)] = port.At(static_cast<int32_t>(x), static_cast<int32_t>(y));
            }
        }
    }
    return out;
}

// The first pixel that differs, as text; empty when none does.
std::string FirstDifference(const Frame& frame, const std::vector<uint32_t>& expected, int32_t w, int32_t h) {
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            if (frame.At(x, y) != expected[static_cast<size_t>(y) * w + x]) {
                char text[96];
                std::snprintf(text, sizeof text, "(%d, %d): %06X, expected %06X", x, y, frame.At(x, y),
                              expected[static_cast<size_t>(y) * w + x]);
                return text;
            }
        }
    }
    return {};
}

FramePicture At(int32_t left, int32_t top, int32_t size, int32_t c1 = 0x0000FF, int32_t c2 = 0xFF8000) {
    return {left, top, size, c1, c2};
}

TEST(FrameComposer, PaintsEveryPictureClippedAndStacked) {
    struct Case {
        const char* what;
        int32_t w, h;
        float angle;
        std::vector<FramePicture> pictures;
    } cases[] = {
        {"crossing the left edge", 40, 30, 0, {At(-7, 5, 20)}},
        {"crossing the right edge", 40, 30, 45, {At(29, 4, 20)}},
        {"crossing the top edge", 40, 30, 90, {At(10, -9, 21)}},
        {"crossing the bottom edge", 40, 30, 135, {At(3, 19, 21)}},
        {"crossing two edges at each corner", 40, 30, 200,
         {At(-6, -5, 16, 0x10E0E0), At(31, -4, 17, 0xFFFFFF), At(-5, 22, 15, 0x00FF00), At(30, 21, 16, 0x000000)}},
        {"larger than the frame on every side", 20, 14, 315, {At(-9, -11, 37)}},
        {"exactly the frame", 24, 24, 270, {At(0, 0, 24)}},
        {"wholly outside, touching the edges", 20, 20, 10,
         {At(-12, 0, 12), At(20, 0, 12), At(0, -12, 12), At(0, 20, 12), At(5, 5, 8)}},
        {"overlapping: lower index on top", 50, 40, 30,
         {At(10, 8, 20, 0x0000FF, 0x00FFFF), At(18, 14, 20, 0x00FF00, 0xFF00FF), At(4, 16, 22, 0xFF0000, 0x202020)}},
        {"overlapping: later index under, across an edge", 30, 30, 359.5f,
         {At(-5, -5, 20, 0x804020), At(5, 5, 30, 0x102030, 0xF0F0F0)}},
        {"sizes of 0 and 1 paint nothing", 10, 10, 0, {At(2, 2, 1), At(4, 4, 0), At(5, 5, -3)}},
        {"an odd size with half-pixel corners", 31, 29, 77, {At(3, 2, 25)}},
    };
    for (const Case& c : cases) {
        for (const PictureShape shape : {PictureShape::Square, PictureShape::Circle}) {
            for (const bool bottomUp : {false, true}) {
                SCOPED_TRACE(std::string(c.what) + (shape == PictureShape::Circle ? ", circles" : ", squares") +
                             (bottomUp ? ", bottom-up" : ""));
                const FrameScene scene{0x00302010, c.angle, shape, c.pictures};
                Frame frame(c.w, c.h, bottomUp);
                FrameComposer composer;
                composer.Compose(frame.Surface(), scene, true);
                EXPECT_TRUE(frame.Untouched());
                EXPECT_EQ(FirstDifference(frame, Expected(c.w, c.h, scene), c.w, c.h), "");
            }
        }
    }
}

// Pictures of many sizes at many places and angles, the same size twice
// (one plan for both), against the frame worked out pixel by pixel.
TEST(FrameComposer, RandomScenesAgainstThePixelByPixelFrame) {
    std::mt19937 random(4711);
    for (int round = 0; round < 150; ++round) {
        const int32_t w = 8 + static_cast<int32_t>(random() % 50), h = 8 + static_cast<int32_t>(random() % 50);
        FrameScene scene{static_cast<int32_t>(random() & 0xFFFFFF), static_cast<float>(random() % 72000) / 100.0f - 180,
                         round % 2 == 0 ? PictureShape::Square : PictureShape::Circle, {}};
        const int32_t shared = 2 + static_cast<int32_t>(random() % 40);
        const int count = 1 + static_cast<int>(random() % 5);
        for (int i = 0; i < count; ++i) {
            const int32_t size = i % 2 == 0 ? shared : 2 + static_cast<int32_t>(random() % 40);
            scene.pictures.push_back(At(static_cast<int32_t>(random() % (w + size)) - size / 2 - 4,
                                        static_cast<int32_t>(random() % (h + size)) - size / 2 - 4, size,
                                        static_cast<int32_t>(random() & 0xFFFFFF),
                                        static_cast<int32_t>(random() & 0xFFFFFF)));
        }
        Frame frame(w, h, round % 3 == 0);
        FrameComposer composer;
        composer.Compose(frame.Surface(), scene, true);
        ASSERT_TRUE(frame.Untouched()) << "round " << round;
        ASSERT_EQ(FirstDifference(frame, Expected(w, h, scene), w, h), "") << "round " << round;
    }
}

// The frame cut into regions, one per picture as the X11 hack keeps them
// plus random ones, overlapping: each region holds the frame's pixels there,
// painted whole and then painted again at another angle without clearing.
TEST(FrameComposer, RegionsHoldTheFramesPixels) {
    std::mt19937 random(1913);
    for (int round = 0; round < 60; ++round) {
        const int32_t w = 10 + static_cast<int32_t>(random() % 50), h = 10 + static_cast<int32_t>(random() % 50);
        FrameScene scene{static_cast<int32_t>(random() & 0xFFFFFF), static_cast<float>(random() % 360),
                         round % 2 == 0 ? PictureShape::Square : PictureShape::Circle, {}};
        const int32_t size = 2 + static_cast<int32_t>(random() % 30);
        for (int i = 0; i < 1 + static_cast<int>(random() % 5); ++i) {
            scene.pictures.push_back(At(static_cast<int32_t>(random() % (w + size)) - size,
                                        static_cast<int32_t>(random() % (h + size)) - size, size,
                                        static_cast<int32_t>(random() & 0xFFFFFF),
                                        static_cast<int32_t>(random() & 0xFFFFFF)));
        }
        struct Rect {
            int32_t x0, y0, x1, y1;
        };
        std::vector<Rect> rects;
        for (const FramePicture& p : scene.pictures) {
            rects.push_back({std::max(p.left, 0), std::max(p.top, 0), std::min(p.left + size, w), std::min(p.top + size, h)});
        }
        for (int i = 0; i < 2; ++i) {
            const auto x0 = static_cast<int32_t>(random() % w), y0 = static_cast<int32_t>(random() % h);
            rects.push_back({x0, y0, x0 + 1 + static_cast<int32_t>(random() % (w - x0)),
                             y0 + 1 + static_cast<int32_t>(random() % (h - y0))});
        }
        std::vector<Frame> memory;
        std::vector<FrameRegion> regions;
        for (const Rect& r : rects) {
            if (r.x0 >= r.x1 || r.y0 >= r.y1) continue;
            memory.emplace_back(r.x1 - r.x0, r.y1 - r.y0, round % 3 == 0);
        }
        size_t next = 0;
        for (const Rect& r : rects) {
            if (r.x0 < r.x1 && r.y0 < r.y1) regions.push_back({memory[next++].Surface(), r.x0, r.y0});
        }
        FrameComposer composer;
        for (const bool clear : {true, false}) {
            if (!clear) scene.angle += 97;
            composer.ComposeRegions(regions, scene, clear);
            const std::vector<uint32_t> expected = Expected(w, h, scene);
            for (size_t k = 0; k < regions.size(); ++k) {
                const FrameRegion& r = regions[k];
                ASSERT_TRUE(memory[k].Untouched()) << "round " << round << ", region " << k;
                for (int32_t v = 0; v < r.surface.height; ++v) {
                    for (int32_t u = 0; u < r.surface.width; ++u) {
                        ASSERT_EQ(memory[k].At(u, v), expected[static_cast<size_t>(r.y + v) * w + (r.x + u)])
                            << "round " << round << ", region " << k << " at (" << u << ", " << v << ")";
                    }
                }
            }
        }
    }
}

// The saver's own layout where pictures are taller than their cells: along
// x = 240 each row's picture hides the top of the one below it.
TEST(FrameComposer, StacksTheSaversPicturesAsTheWindowsProgramDoes) {
    constexpr int32_t kW = 1920, kH = 1080, kSize = 400;
    const CellGrid grid = MakeCellGrid(kW, kH);
    for (const PictureShape shape : {PictureShape::Square, PictureShape::Circle}) {
        SCOPED_TRACE(shape == PictureShape::Circle ? "circles" : "squares");
        FrameScene scene{0, 0, shape, {}};
        for (int i = 0; i < kPictureSlots; ++i) {
            const PicturePlace place = CenterInCell(grid, i, kSize);
            // Row r is coloured r * 0x40 in blue throughout: a one-colour gradient.
            const int32_t colour = (i / 4 + 1) * 0x400000;
            scene.pictures.push_back(At(static_cast<int32_t>(place.left), static_cast<int32_t>(place.top), kSize,
                                        colour, colour));
        }
        Frame frame(kW, kH);
        FrameComposer composer;
        composer.Compose(frame.Surface(), scene, true);
        ASSERT_TRUE(frame.Untouched());
        std::vector<int32_t> changes;
        for (int32_t y = 1; y < kH; ++y) {
            if (frame.At(240, y) != frame.At(240, y - 1)) changes.push_back(y);
        }
        EXPECT_EQ(changes, (std::vector<int32_t>{380, 740}));
        EXPECT_EQ(frame.At(240, 379), PixelOf(0x400000));
        EXPECT_EQ(frame.At(240, 380), PixelOf(0x800000));
        EXPECT_EQ(frame.At(240, 740), PixelOf(0xC00000));
    }
}

// Without clearing, a frame of the same layout painted again at another
// angle comes out as if it had been cleared first.
TEST(FrameComposer, RepaintsWithoutClearingAsWithClearing) {
    struct Case {
        PictureShape shape;
        float first, second;
    } cases[] = {{PictureShape::Square, 0, 91}, {PictureShape::Circle, 44, 300}};
    for (const Case& c : cases) {
        const std::vector<FramePicture> pictures{At(-4, 3, 18, 0xFF00FF), At(8, -6, 22, 0x00FFFF), At(20, 12, 19)};
        FrameScene scene{0x00405060, c.first, c.shape, pictures};
        Frame kept(32, 26), cleared(32, 26);
        FrameComposer composer;
        composer.Compose(kept.Surface(), scene, true);
        scene.angle = c.second;
        composer.Compose(kept.Surface(), scene, false);
        composer.Compose(cleared.Surface(), scene, true);
        EXPECT_TRUE(kept.Untouched());
        EXPECT_EQ(FirstDifference(kept, Expected(32, 26, scene), 32, 26), "");
    }
}

// A canvas's alpha byte: every pixel painted carries the bits, the colours
// below them are the pixels painted without; what is not painted keeps what
// it held.
TEST(FrameComposer, SetsTheHighBitsInEveryPixelPainted) {
    struct Case {
        PictureShape shape;
        bool clear;
        uint32_t high;
        float angle;
    } cases[] = {{PictureShape::Square, true, 0xFF000000u, 33},
                 {PictureShape::Circle, true, 0xFF000000u, 160},
                 {PictureShape::Circle, false, 0xFF000000u, 250},
                 {PictureShape::Square, false, 0x80000000u, 300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.shape == PictureShape::Circle ? "circles" : "squares") +
                     (c.clear ? ", cleared" : ", kept"));
        const std::vector<FramePicture> pictures{At(-4, 3, 18, 0xFF00FF), At(8, -6, 22, 0x00FFFF), At(20, 12, 19)};
        FrameScene plain{0x00405060, c.angle, c.shape, pictures};
        FrameScene high = plain;
        high.highBits = c.high;
        Frame without(32, 26), with(32, 26);
        FrameComposer composer;
        composer.Compose(without.Surface(), plain, c.clear);
        composer.Compose(with.Surface(), high, c.clear);
        EXPECT_TRUE(with.Untouched());
        int painted = 0;
        for (int32_t y = 0; y < 26; ++y) {
            for (int32_t x = 0; x < 32; ++x) {
                const uint32_t kept = 0x00123456u;
                const bool wasPainted = with.At(x, y) != kept;
                painted += wasPainted ? 1 : 0;
                ASSERT_EQ(with.At(x, y), wasPainted ? (without.At(x, y) | c.high) : kept) << x << "," << y;
            }
        }
        EXPECT_GT(painted, c.clear ? 32 * 26 - 1 : 200);
    }
}

TEST(PictureOutline, SpansOfSquaresAndCircles) {
    using Spans = std::vector<std::pair<int32_t, int32_t>>;
    struct Case {
        int32_t size;
        PictureShape shape;
        Spans spans;
    } cases[] = {
        {3, PictureShape::Square, {{0, 3}, {0, 3}, {0, 3}}},
        {0, PictureShape::Circle, {}},
        {2, PictureShape::Circle, {{0, 2}, {0, 2}}},
        {4, PictureShape::Circle, {{1, 3}, {0, 4}, {0, 4}, {1, 3}}},
        {5, PictureShape::Circle, {{1, 4}, {0, 5}, {0, 5}, {0, 5}, {1, 4}}},
        {8, PictureShape::Circle, {{2, 6}, {1, 7}, {0, 8}, {0, 8}, {0, 8}, {0, 8}, {1, 7}, {2, 6}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        EXPECT_EQ(PictureOutline(c.size, c.shape), c.spans);
    }
}

}  // namespace
}  // namespace lvx
