// The saver drawn into memory: virtual time, the seed, input and resizing.
#include "saver/frame_saver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace lvx {
namespace {

Settings Chosen(int16_t interval, int16_t shape = 0) {
    Settings s;
    s.PictureSize = 30;
    s.ColorInterval = interval;
    s.Gradation = 2;
    s.Shape = shape;
    s.PictureCount = 12;
    return s;
}

// The one-second timer ticks between pass 60s and pass 60s + 1: colours
// change on the tick after ColorInterval + 1 seconds, seen from that pass on.
TEST(FrameSaver, VirtualTimeTable) {
    struct Row {
        int16_t interval;
        uint64_t passes;
        bool newColours;
    };
    const Row rows[] = {
        {0, 59, false}, {0, 60, false}, {0, 61, true},  {1, 120, false},
        {1, 121, true}, {3, 240, false}, {3, 241, true},
    };
    for (const Row& row : rows) {
        FrameSaver saver(Chosen(row.interval), 160, 120);
        saver.SetClock(77);
        saver.Start();
        const auto first = saver.Saver().PictureColor1;
        saver.RunTo(row.passes);
        EXPECT_EQ(saver.Passes(), row.passes);
        EXPECT_EQ(saver.Saver().PictureColor1 != first, row.newColours)
            << "interval " << row.interval << ", " << row.passes << " passes";
        // One degree a pass.
        EXPECT_EQ(saver.Saver().CurrentAngle, static_cast<float>(row.passes % 360));
    }
}

// The seed stands in for every clock reading: the same seed gives the same
// frame however the passes are split, another seed another frame.
TEST(FrameSaver, FramesRepeatFromTheSeed) {
    auto frame = [](uint64_t seed, const std::function<void(FrameSaver&)>& run) {
        Settings s = Chosen(0);
        s.SizeRandom = 1;
        s.BackColorRandom = 1;
        FrameSaver saver(s, 200, 150);
        saver.SetClock(seed);
        saver.Start();
        run(saver);
        return saver.Frame();
    };
    const auto whole = frame(123456789, [](FrameSaver& f) { f.RunTo(130); });
    const auto stepped = frame(123456789, [](FrameSaver& f) {
        f.RunTo(61);
        while (f.Passes() < 130) f.VirtualStep();
    });
    EXPECT_EQ(whole, stepped);
    EXPECT_NE(whole, frame(123456788, [](FrameSaver& f) { f.RunTo(130); }));
}

// What ends the saver: the saver's own rules, in frame pixels.
TEST(FrameSaver, InputTable) {
    struct Row {
        std::string what;
        int16_t shape;
        std::function<void(FrameSaver&)> act;
        bool ended;
    };
    // 160 x 120: cells of 40 x 40, picture 0 (30 px) at (5, 5).
    const Row rows[] = {
        {"a pass with the pointer never seen", 0, [](FrameSaver&) {}, false},
        {"a move along one axis", 0, [](FrameSaver& f) { f.StartPointerAt(100, 100), f.PointerAt(150, 100); }, false},
        {"a move along the other axis", 0, [](FrameSaver& f) { f.StartPointerAt(100, 100), f.PointerAt(100, 7); }, false},
        {"a move on both axes", 0, [](FrameSaver& f) { f.StartPointerAt(100, 100), f.PointerAt(101, 99); }, true},
        {"a key", 0, [](FrameSaver& f) { f.KeyDown(65); }, true},
        {"a press on a square", 0, [](FrameSaver& f) { f.Press(5, 5); }, true},
        {"a press between the squares", 0, [](FrameSaver& f) { f.Press(37, 20); }, false},
        {"a press at a circle's corner", 1, [](FrameSaver& f) { f.Press(6, 6); }, false},
        {"a press in a circle", 1, [](FrameSaver& f) { f.Press(20, 20); }, true},
        {"a press on the last circle", 1, [](FrameSaver& f) { f.Press(140, 100); }, true},
    };
    for (const Row& row : rows) {
        FrameSaver saver(Chosen(15, row.shape), 160, 120);
        saver.Start();
        ASSERT_TRUE(saver.PictureAt(0));
        EXPECT_EQ(saver.PictureAt(0)->left, 5) << row.what;
        row.act(saver);
        const bool going = saver.Pass();
        EXPECT_EQ(saver.Ended(), row.ended) << row.what;
        EXPECT_EQ(going, !row.ended) << row.what;
    }
}

// A new size lays the grid anew and repaints the whole frame at once.
TEST(FrameSaver, ResizeLaysTheGridAnew) {
    FrameSaver saver(Chosen(15), 160, 120);
    saver.Start();
    saver.RunTo(3);
    EXPECT_FALSE(saver.WholeFrameDrawn());
    saver.Resize(400, 300, 80);
    EXPECT_TRUE(saver.WholeFrameDrawn());
    EXPECT_EQ(saver.Frame().size(), 400u * 300u);
    ASSERT_TRUE(saver.PictureAt(11));
    EXPECT_EQ(saver.PictureAt(11)->size, 80);
    EXPECT_EQ(saver.PictureAt(11)->left, 310);  // cell 3 of 100 px, centred
    EXPECT_EQ(saver.PictureAt(11)->top, 210);
}

// A page puts the pictures' regions over the background: what it shows is
// the frame of a saver that draws whole frames, pass after pass, through
// colour changes with random sizes and backgrounds, and a resize. Pictures
// too large for the frame's memory together are drawn as a whole frame.
TEST(FrameSaver, RegionsOverTheBackgroundAreTheFrame) {
    struct Row {
        int16_t size, shape, random;
        int regions;  // laid out as regions at 160 x 120 (1), not (0), by chance (-1)
    } rows[] = {{30, 0, 0, 1}, {38, 1, 1, -1}, {45, 0, 0, 0}, {45, 1, 1, -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size * 10 + row.shape);
        Settings s = Chosen(0, row.shape);
        s.PictureSize = row.size;
        s.SizeRandom = s.BackColorRandom = row.random;
        FrameSaver whole(s, 160, 120), parts(s, 160, 120);
        parts.UseRegions(true);
        for (FrameSaver* saver : {&whole, &parts}) {
            saver->UseCanvasOrder(true);
            saver->SetClock(4242);
            saver->Start();
        }
        for (const uint64_t passes : {1, 2, 61, 62, 130}) {
            whole.RunTo(passes);
            parts.RunTo(passes);
            if (passes == 62) {
                whole.Resize(200, 150, row.size);
                parts.Resize(200, 150, row.size);
            }
            if (passes < 61 && row.regions >= 0) {
                EXPECT_EQ(!parts.Regions().empty(), row.regions == 1) << passes;
            }
            std::vector<uint32_t> shown = parts.Frame();
            if (!parts.Regions().empty()) {
                std::fill(shown.begin(), shown.end(), parts.BackgroundPixel());
                for (const FrameRegion& r : parts.Regions()) {
                    for (int32_t y = 0; y < r.surface.height; ++y) {
                        std::copy_n(r.surface.Row(y), r.surface.width,
                                    shown.begin() + (static_cast<ptrdiff_t>(r.y + y) * whole.Width() + r.x));
                    }
                }
            }
            ASSERT_EQ(shown, whole.Frame()) << passes;
        }
    }
}

}  // namespace
}  // namespace lvx
