// The memory path against the platform's own pens: single lines against
// LineTo, and whole drawings of Draw through both paths, compared pixel for
// pixel in the bitmaps' memory.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "render/cls_gradient.h"
#include "render/line_raster.h"
#include "render/win32/gradient_port_win32.h"
#include "settings/settings.h"

namespace lvx::win32 {
namespace {

// A 32-bit DIB section selected into its own memory DC.
class Dib {
public:
    Dib(int w, int h, bool bottomUp = false, int bitCount = 32) : w_(w), h_(h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = bottomUp ? h : -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint32_t*>(bits);
        dc_ = CreateCompatibleDC(nullptr);
        former_ = SelectObject(dc_, bitmap_);
    }
    ~Dib() {
        SelectObject(dc_, former_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    HDC Dc() const { return dc_; }
    size_t Words() const { return static_cast<size_t>(w_) * static_cast<size_t>(h_); }
    // The same noise for the same seed, the high byte included, so that a
    // pixel one path leaves alone and the other writes shows.
    void Noise(uint32_t seed) {
        GdiFlush();
        std::mt19937 random(seed);
        for (size_t i = 0; i < Words(); ++i) bits_[i] = static_cast<uint32_t>(random());
    }
    // Where the two bitmaps' memory first differs ("" when equal), and how many words differ.
    std::string Difference(const Dib& other) const {
        GdiFlush();
        size_t count = 0, first = 0;
        for (size_t i = 0; i < Words(); ++i) {
            if (bits_[i] != other.bits_[i] && count++ == 0) first = i;
        }
        if (count == 0) return "";
        char text[160];
        std::snprintf(text, sizeof text, "%zu words differ, first at memory row %zu column %zu: %08X vs %08X", count,
                      first / static_cast<size_t>(w_), first % static_cast<size_t>(w_), bits_[first],
                      other.bits_[first]);
        return text;
    }

private:
    int w_, h_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ former_ = nullptr;
    HDC dc_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// Today's path: the real port with the memory kept closed.
class PensOnlyPort : public Win32GradientPort {
public:
    bool OpenPixels(GdiHandle, PixelSurface&) override { return false; }
};

// The real port, counting the pens it makes.
class CountingPort : public Win32GradientPort {
public:
    int pens = 0;
    GdiHandle CreateSolidPen(int32_t color) override {
        ++pens;
        return Win32GradientPort::CreateSolidPen(color);
    }
};

HWND MakeWindow(int w, int h) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LvxLineRasterTest";
        return RegisterClassW(&wc);
    }();
    EXPECT_NE(atom, 0);
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"LvxLineRasterTest", L"", WS_POPUP, 0, 0, w, h, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(hwnd, nullptr);
    return hwnd;
}

PixelSurface Open(Dib& dib) {
    Win32GradientPort port;
    PixelSurface pixels;
    EXPECT_TRUE(port.OpenPixels(ToGdiHandle(dib.Dc()), pixels));
    return pixels;
}

// Draws one line with a pen and with RasteriseLine into twin bitmaps and
// tells where they differ.
class LineTwins {
public:
    LineTwins(int w, int h) : pens_(w, h), memory_(w, h) {
        pens_.Noise(7);
        memory_.Noise(7);
        pixels_ = Open(memory_);
    }
    std::string Draw(LinePoint a, LinePoint b, int32_t color) {
        HPEN pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(color));
        HGDIOBJ former = SelectObject(pens_.Dc(), pen);
        MoveToEx(pens_.Dc(), a.x, a.y, nullptr);
        LineTo(pens_.Dc(), b.x, b.y);
        SelectObject(pens_.Dc(), former);
        DeleteObject(pen);
        if (!RasteriseLine(pixels_, a, b, PixelOf(color))) return "not drawn in memory";
        return pens_.Difference(memory_);
    }

private:
    Dib pens_, memory_;
    PixelSurface pixels_;
};

// The rule of the memory path, checked against LineTo: every short line in
// every direction (all the halfway cases of the rounding), then long lines
// through the bitmap whose ends lie far outside it.
TEST(LineRasterWin32, EveryLineHasThePixelsOfLineTo) {
    {
        LineTwins twins(64, 64);
        int color = 1;
        for (int dy = -30; dy <= 30; ++dy) {
            for (int dx = -30; dx <= 30; ++dx) {
                const std::string diff = twins.Draw({32, 32}, {32 + dx, 32 + dy}, (color++ * 0x10F0F) & 0xFFFFFF);
                ASSERT_EQ(diff, "") << "from (32,32) by (" << dx << "," << dy << ")";
            }
        }
    }
    std::mt19937 random(4711);
    const int w = 97, h = 61;
    LineTwins twins(w, h);
    for (int32_t reach : {100, 5000, 1000000, kMaxPixelCoordinate / 2}) {
        std::uniform_int_distribution<int32_t> inside(-3, std::max(w, h) + 3);
        std::uniform_int_distribution<int32_t> offset(-reach, reach);
        std::uniform_real_distribution<double> share(0, 1);
        for (int i = 0; i < 1500; ++i) {
            // A line through a point at or near the bitmap, reaching out both ways.
            const LinePoint through{inside(random), inside(random)};
            const double dx = offset(random), dy = i % 5 == 0 ? offset(random) / 1000.0 : offset(random);
            const double u = share(random);
            auto clampTo = [](double v) {
                return static_cast<int32_t>(std::clamp<double>(v, -kMaxPixelCoordinate, kMaxPixelCoordinate));
            };
            const LinePoint a{clampTo(through.x - u * dx), clampTo(through.y - u * dy)};
            const LinePoint b{clampTo(through.x + (1 - u) * dx), clampTo(through.y + (1 - u) * dy)};
            const LinePoint from = i % 2 ? a : b, to = i % 2 ? b : a;
            const std::string diff = twins.Draw(from, to, static_cast<int32_t>(random() & 0xFFFFFF));
            ASSERT_EQ(diff, "") << "(" << from.x << "," << from.y << ") to (" << to.x << "," << to.y << ")";
        }
    }
}

struct Size {
    int w, h;
};

// The heart of the memory path: Draw into twin bitmaps, once with the pens
// and once in memory, every whole angle and the awkward fractions, several
// sizes and colour pairs. Both must leave the same memory, word for word,
// and the device context at the same current position. Last, bitmaps that
// differ from their window: bottom-up rows, larger or smaller than the
// client area (the lines are planned for the window, cut at the bitmap).
TEST(GradientMemoryPathWin32, DrawLeavesThePixelsOfThePens) {
    std::vector<float> angles;
    for (int a = 0; a < 360; ++a) angles.push_back(static_cast<float>(a));
    for (float a : {0.5f, 44.99f, 45.0f, 45.01f, 89.999f, 134.5f, 359.99f}) angles.push_back(a);
    const int32_t pairs[][2] = {{0x00FFFFD0, 0x00400000}, {0x00000000, 0x00FFFFFF}, {0x000000FF, 0x00FF0000},
                                {0x00123456, 0x00FEDCBA}, {0x00808080, 0x00808080}};
    const struct {
        Size window, bitmap;
        bool bottomUp;
    } cases[] = {{{2, 2}, {2, 2}, false},        {{3, 7}, {3, 7}, false},         {{100, 100}, {100, 100}, false},
                 {{152, 112}, {152, 112}, false}, {{257, 401}, {257, 401}, false}, {{400, 400}, {400, 400}, false},
                 {{1000, 37}, {1000, 37}, false}, {{37, 53}, {37, 53}, true},       {{100, 100}, {130, 90}, true},
                 {{64, 80}, {40, 200}, false}};
    for (const auto& c : cases) {
        HWND window = MakeWindow(c.window.w, c.window.h);
        Dib pens(c.bitmap.w, c.bitmap.h, c.bottomUp), memory(c.bitmap.w, c.bitmap.h, c.bottomUp);
        PensOnlyPort pensPort;
        CountingPort memoryPort;
        clsGradient byPens(pensPort), inMemory(memoryPort);
        for (size_t i = 0; i < angles.size(); ++i) {
            const int32_t* pair = pairs[i % std::size(pairs)];
            for (clsGradient* g : {&byPens, &inMemory}) {
                g->Angle(angles[i]);
                g->Color1(pair[0]);
                g->Color2(pair[1]);
            }
            pens.Noise(static_cast<uint32_t>(i));
            memory.Noise(static_cast<uint32_t>(i));
            WindowTarget pensTarget(window, pens.Dc()), memoryTarget(window, memory.Dc());
            ASSERT_EQ(byPens.Draw(pensTarget), kTrue);
            ASSERT_EQ(inMemory.Draw(memoryTarget), kTrue);
            SCOPED_TRACE(testing::Message() << c.bitmap.w << " x " << c.bitmap.h << " for " << c.window.w << " x "
                                            << c.window.h << " at " << angles[i]);
            ASSERT_EQ(memoryPort.pens, 0);
            ASSERT_EQ(memory.Difference(pens), "");
            POINT atPens{}, inMem{};
            GetCurrentPositionEx(pens.Dc(), &atPens);
            GetCurrentPositionEx(memory.Dc(), &inMem);
            ASSERT_EQ(atPens.x, inMem.x);
            ASSERT_EQ(atPens.y, inMem.y);
        }
        DestroyWindow(window);
    }
}

// Only a plain 32-bit DIB section in a device context that draws 1:1 is
// written in memory; everything else keeps the pens, and its pixels.
TEST(GradientMemoryPathWin32, OtherDeviceContextsKeepThePens) {
    struct Case {
        const char* what;
        int bitCount;
        std::function<void(HDC)> setUp;
        bool inMemory;
    } cases[] = {
        {"plain 32-bit DIB", 32, [](HDC) {}, true},
        {"24-bit DIB", 24, [](HDC) {}, false},
        {"16-bit DIB", 16, [](HDC) {}, false},
        {"clip rectangle", 32, [](HDC dc) { IntersectClipRect(dc, 5, 5, 50, 50); }, false},
        {"moved viewport", 32, [](HDC dc) { SetViewportOrgEx(dc, 3, 0, nullptr); }, false},
        {"moved window origin", 32, [](HDC dc) { SetWindowOrgEx(dc, 0, -2, nullptr); }, false},
        {"other mapping", 32, [](HDC dc) { SetMapMode(dc, MM_LOMETRIC); }, false},
        {"xor pen", 32, [](HDC dc) { SetROP2(dc, R2_XORPEN); }, false},
        {"mirrored", 32, [](HDC dc) { SetLayout(dc, LAYOUT_RTL); }, false},
        {"advanced mode", 32, [](HDC dc) { SetGraphicsMode(dc, GM_ADVANCED); }, false},
    };
    HWND window = MakeWindow(60, 60);
    for (const Case& c : cases) {
        Dib dib(60, 60, false, c.bitCount);
        c.setUp(dib.Dc());
        CountingPort port;
        PixelSurface pixels;
        EXPECT_EQ(port.OpenPixels(ToGdiHandle(dib.Dc()), pixels), c.inMemory) << c.what;
        clsGradient g(port);
        WindowTarget target(window, dib.Dc());
        EXPECT_EQ(g.Draw(target), kTrue) << c.what;
        EXPECT_EQ(port.pens == 0, c.inMemory) << c.what;
    }
    // A bitmap of the screen's own kind, and a window's DC, have no memory to write.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP ddb = CreateCompatibleBitmap(screen, 60, 60);
    HGDIOBJ former = SelectObject(dc, ddb);
    CountingPort port;
    PixelSurface pixels;
    EXPECT_FALSE(port.OpenPixels(ToGdiHandle(dc), pixels));
    EXPECT_FALSE(port.OpenPixels(ToGdiHandle(screen), pixels));
    SelectObject(dc, former);
    DeleteObject(ddb);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DestroyWindow(window);
}

}  // namespace
}  // namespace lvx::win32
