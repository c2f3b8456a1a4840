#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "render/classic_colors.h"
#include "render/cls_gradient.h"
#include "render/line_raster.h"
#include "settings/settings.h"

namespace lvx {
namespace {

constexpr GdiHandle kWindow = 0x1000;
constexpr GdiHandle kDc = 0x2000;
constexpr GdiHandle kFormerPen = 0x3000;

// A device context with one current object, pens numbered from 0x5000; every
// call is logged, and a call can be made to fail by throwing.
class FakeGdi : public GradientPort {
public:
    int32_t right = 100, bottom = 100;
    bool rectOk = true;
    std::vector<std::string> log;
    std::vector<std::string> warnings;
    std::set<GdiHandle> livePens;
    std::vector<int32_t> penColors;
    GdiHandle current = kFormerPen;
    std::vector<GdiHandle> locks;
    std::function<void(const std::string&)> failOn;  // may throw for the named call
    int lineCount = 0;

    int32_t SystemColor(int32_t index) override { return ClassicSystemColor(index); }
    void LockUpdates(GdiHandle window) override {
        locks.push_back(window);
        Log("lock");
    }
    bool ReadClientRect(GdiHandle window, int32_t& r, int32_t& b) override {
        EXPECT_EQ(window, kWindow);
        Log("rect");
        r = right;
        b = bottom;
        return rectOk;
    }
    GdiHandle CreateSolidPen(int32_t color) override {
        Log("pen");
        GdiHandle pen = 0x5000 + penColors.size();
        penColors.push_back(color);
        livePens.insert(pen);
        return pen;
    }
    GdiHandle SelectIntoDc(GdiHandle dc, GdiHandle object) override {
        EXPECT_EQ(dc, kDc);
        Log("select");
        GdiHandle old = current;
        current = object;
        return old;
    }
    void MoveTo(GdiHandle dc, int32_t x, int32_t y) override {
        EXPECT_EQ(dc, kDc);
        Log("move");
        position = {x, y};
    }
    void DrawLineTo(GdiHandle dc, int32_t, int32_t) override {
        EXPECT_EQ(dc, kDc);
        EXPECT_NE(current, kFormerPen);
        Log("line");
        ++lineCount;
    }
    void DeletePen(GdiHandle pen) override {
        Log("delete");
        EXPECT_NE(current, pen) << "pen deleted while selected";
        EXPECT_EQ(livePens.erase(pen), 1u);
    }
    // With pixels set, the DC holds a bitmap of that many words (100 x 100).
    std::vector<uint32_t> pixels;
    bool OpenPixels(GdiHandle dc, PixelSurface& surface) override {
        EXPECT_EQ(dc, kDc);
        Log("pixels");
        if (pixels.empty()) return false;
        surface = {pixels.data(), 100, static_cast<int32_t>(pixels.size() / 100), 100};
        return true;
    }
    LinePoint position{};
    bool warningFails = false;
    void ShowWarning(std::string_view text, std::string_view title) override {
        warnings.push_back(std::string(title) + ": " + std::string(text));
        if (warningFails) throw std::runtime_error("no box");
    }

private:
    void Log(const std::string& call) {
        if (failOn) failOn(call);
        log.push_back(call);
    }
};

int Count(const std::vector<std::string>& log, const std::string& call) {
    return static_cast<int>(std::count(log.begin(), log.end(), call));
}

TEST(ClsGradientDraw, DrawsEveryLineWithItsOwnPenInsideTheLock) {
    FakeGdi gdi;
    clsGradient g(gdi);
    g.Angle(0);
    HandleTarget target(kWindow, kDc);
    EXPECT_EQ(g.Draw(target), kTrue);

    // lock, rect, the DC holds no bitmap memory, then six calls per line in
    // this order, then the unlock.
    ASSERT_EQ(gdi.log.size(), 3u + 6u * 102u + 1u);
    EXPECT_EQ(gdi.log[0], "lock");
    EXPECT_EQ(gdi.log[1], "rect");
    EXPECT_EQ(gdi.log[2], "pixels");
    const std::vector<std::string> perLine = {"move", "pen", "select", "line", "select", "delete"};
    for (size_t k = 0; k < 102; ++k) {
        ASSERT_EQ(std::vector<std::string>(gdi.log.begin() + 3 + 6 * k, gdi.log.begin() + 9 + 6 * k), perLine) << k;
    }
    EXPECT_EQ(gdi.log.back(), "lock");
    EXPECT_EQ(gdi.locks, (std::vector<GdiHandle>{kWindow, 0}));
    EXPECT_TRUE(gdi.livePens.empty());
    EXPECT_EQ(gdi.current, kFormerPen);
    std::vector<int32_t> table;
    clsGradient::BlendColors(0x00FFFFD0, 0x00400000, 102, table);
    EXPECT_EQ(gdi.penColors, table);
    EXPECT_TRUE(gdi.warnings.empty());
}

TEST(ClsGradientDraw, AnOddPointCountDrawsThePairedLinesOnly) {
    FakeGdi gdi;
    clsGradient g(gdi);  // 315 on creation: 405 points
    HandleTarget target(kWindow, kDc);
    EXPECT_EQ(g.Draw(target), kTrue);
    EXPECT_EQ(gdi.lineCount, 202);
    EXPECT_EQ(gdi.penColors.size(), 202u);
    EXPECT_EQ(gdi.penColors.back(), 0x00400000);
}

TEST(ClsGradientDraw, NarrowOrUnreadableAreasDrawNothing) {
    struct Case {
        int32_t w, h;
        bool ok;
    } cases[] = {{1, 100, true}, {100, 1, true}, {0, 0, true}, {-5, 50, true}, {100, 100, false}};
    for (const Case& c : cases) {
        FakeGdi gdi;
        gdi.right = c.w;
        gdi.bottom = c.h;
        gdi.rectOk = c.ok;
        clsGradient g(gdi);
        HandleTarget target(kWindow, 0);  // the DC is never asked for
        EXPECT_EQ(g.Draw(target), kFalse);
        EXPECT_EQ(gdi.log, (std::vector<std::string>{"lock", "rect", "lock"}));
        EXPECT_EQ(gdi.locks.back(), 0u);
        EXPECT_TRUE(gdi.warnings.empty());
    }
    FakeGdi gdi;
    gdi.right = gdi.bottom = 2;
    clsGradient g(gdi);
    g.Angle(0);
    HandleTarget target(kWindow, kDc);
    EXPECT_EQ(g.Draw(target), kTrue);
    EXPECT_EQ(gdi.lineCount, 4);
}

TEST(ClsGradientDraw, ATargetErrorIsShownAndTheLockLifted) {
    {
        FakeGdi gdi;
        clsGradient g(gdi);
        HandleTarget noWindow(0, kDc);
        EXPECT_EQ(g.Draw(noWindow), kFalse);
        ASSERT_EQ(gdi.warnings.size(), 1u);
        EXPECT_EQ(gdi.warnings[0], "Lumvex_K47: 描画先のウィンドウハンドルを取得できません。");
        EXPECT_EQ(gdi.locks, (std::vector<GdiHandle>{0}));
        EXPECT_EQ(gdi.lineCount, 0);
    }
    {
        FakeGdi gdi;
        clsGradient g(gdi);
        HandleTarget noDc(kWindow, 0);
        EXPECT_EQ(g.Draw(noDc), kFalse);
        ASSERT_EQ(gdi.warnings.size(), 1u);
        EXPECT_EQ(gdi.warnings[0], "Lumvex_K47: 描画先のデバイスコンテキストを取得できません。");
        EXPECT_EQ(gdi.locks, (std::vector<GdiHandle>{kWindow, 0}));
        EXPECT_EQ(gdi.lineCount, 0);
    }
    {
        // Even a box that cannot be shown leaves no lock behind.
        FakeGdi gdi;
        gdi.warningFails = true;
        clsGradient g(gdi);
        HandleTarget noDc(kWindow, 0);
        EXPECT_EQ(g.Draw(noDc), kFalse);
        EXPECT_EQ(gdi.warnings.size(), 1u);
        EXPECT_EQ(gdi.locks, (std::vector<GdiHandle>{kWindow, 0}));
    }
}

TEST(ClsGradientDraw, AFailureWhileDrawingGivesZeroWithPensFreedAndTheFormerPenBack) {
    for (const std::string& failing : {std::string("line"), std::string("move"), std::string("pen"),
                                       std::string("select")}) {
        FakeGdi gdi;
        int calls = 0;
        gdi.failOn = [&](const std::string& call) {
            if (call == failing && ++calls == 7) throw std::runtime_error("device lost");
        };
        clsGradient g(gdi);
        HandleTarget target(kWindow, kDc);
        EXPECT_EQ(g.Draw(target), kFalse) << failing;
        EXPECT_TRUE(gdi.livePens.empty()) << failing;
        EXPECT_EQ(gdi.current, kFormerPen) << failing;
        EXPECT_EQ(gdi.locks.back(), 0u) << failing;
        EXPECT_TRUE(gdi.warnings.empty()) << failing;  // DrawLines keeps its errors to itself
        EXPECT_LT(gdi.lineCount, 7) << failing;
    }
}

TEST(ClsGradientDraw, ABitmapInMemoryGetsTheLinesWithoutPens) {
    FakeGdi gdi;
    gdi.pixels.assign(100 * 100, 0);
    clsGradient g(gdi);
    g.Angle(0);
    HandleTarget target(kWindow, kDc);
    EXPECT_EQ(g.Draw(target), kTrue);
    // No pen, no line; the DC is left where the last line ends, as LineTo leaves it.
    EXPECT_EQ(gdi.log, (std::vector<std::string>{"lock", "rect", "pixels", "move", "lock"}));
    EXPECT_EQ(gdi.position, (LinePoint{101, -22}));
    EXPECT_EQ(gdi.locks, (std::vector<GdiHandle>{kWindow, 0}));
    std::vector<int32_t> table;
    clsGradient::BlendColors(0x00FFFFD0, 0x00400000, 102, table);
    int wrong = 0;
    for (size_t i = 0; i < gdi.pixels.size(); ++i) wrong += gdi.pixels[i] != PixelOf(table[i % 100]);
    EXPECT_EQ(wrong, 0);
}

TEST(ClsGradientDraw, WhatTheMemoryCannotTakeFallsBackOrFails) {
    {
        // A palette colour goes to the pens, which know what it means.
        FakeGdi gdi;
        gdi.pixels.assign(100 * 100, 0);
        clsGradient g(gdi);
        g.Color1(0x01000003);
        HandleTarget target(kWindow, kDc);
        EXPECT_EQ(g.Draw(target), kTrue);
        EXPECT_EQ(gdi.lineCount, 202);
        EXPECT_EQ(std::count(gdi.pixels.begin(), gdi.pixels.end(), 0u), 100 * 100);
    }
    {
        // A failure finding the memory is a failure of DrawLines: no box, false.
        FakeGdi gdi;
        gdi.failOn = [](const std::string& call) {
            if (call == "pixels") throw std::runtime_error("no bitmap");
        };
        clsGradient g(gdi);
        HandleTarget target(kWindow, kDc);
        EXPECT_EQ(g.Draw(target), kFalse);
        EXPECT_EQ(gdi.lineCount, 0);
        EXPECT_TRUE(gdi.warnings.empty());
        EXPECT_EQ(gdi.locks, (std::vector<GdiHandle>{kWindow, 0}));
    }
}

TEST(ClsGradientDraw, LinesKeptFromTheLastDrawNeverShowAfterAChange) {
    // One gradient draws the cases in turn, as a pass draws its pictures;
    // each must come out as a gradient that never drew before draws it.
    struct Case {
        const char* what;
        float angle;
        int32_t w, h;
        int32_t color1, color2;
        bool pixels;  // the bitmap's memory can be written
    } cases[] = {
        {"first", 45, 60, 60, 0x00FFFFD0, 0x00400000, true},
        {"same lines, other colours", 45, 60, 60, 0x000000FF, 0x00FF0000, true},
        {"another width", 45, 61, 60, 0x000000FF, 0x00FF0000, true},
        {"another height", 45, 61, 59, 0x000000FF, 0x00FF0000, true},
        {"a hair's turn", 45.001f, 61, 59, 0x000000FF, 0x00FF0000, true},
        {"through the pens", 135, 61, 59, 0x00123456, 0x00654321, false},
        {"back in memory at that angle", 135, 61, 59, 0x00123456, 0x00654321, true},
        {"steep", 100, 40, 70, 0x0000FF00, 0x00000000, true},
        {"flat", 0, 40, 70, 0x0000FF00, 0x00000000, true},
    };
    // The fake's bitmap is as large as the client area.
    class SizedGdi : public FakeGdi {
    public:
        bool OpenPixels(GdiHandle, PixelSurface& surface) override {
            if (pixels.empty()) return false;
            surface = {pixels.data(), right, bottom, right};
            return true;
        }
    };
    SizedGdi shared;
    clsGradient kept(shared);
    HandleTarget target(kWindow, kDc);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SizedGdi fresh;
        clsGradient once(fresh);
        for (auto* pair : {&shared, &fresh}) {
            pair->right = c.w;
            pair->bottom = c.h;
            pair->pixels.assign(c.pixels ? static_cast<size_t>(c.w * c.h) : 0, 0);
            pair->lineCount = 0;
        }
        for (clsGradient* g : {&kept, &once}) {
            g->Angle(c.angle);
            g->Color1(c.color1);
            g->Color2(c.color2);
            EXPECT_EQ(g->Draw(target), kTrue);
        }
        EXPECT_EQ(shared.lineCount, fresh.lineCount);
        EXPECT_EQ(shared.position, fresh.position);
        EXPECT_EQ(shared.penColors, fresh.penColors);
        EXPECT_TRUE(shared.pixels == fresh.pixels);
        shared.penColors.clear();
    }
}

TEST(ClsGradientDraw, AGeometryOverflowDrawsNothingAndGivesFalse) {
    FakeGdi gdi;
    gdi.right = gdi.bottom = 2000000000;
    clsGradient g(gdi);
    HandleTarget target(kWindow, kDc);
    EXPECT_EQ(g.Draw(target), kFalse);
    EXPECT_EQ(Count(gdi.log, "pen"), 0);
    EXPECT_TRUE(gdi.warnings.empty());
    EXPECT_EQ(gdi.locks.back(), 0u);
}

}  // namespace
}  // namespace lvx
