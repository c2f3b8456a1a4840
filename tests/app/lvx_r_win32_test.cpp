#include "app/win32/lvx_r_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "settings/settings.h"

namespace lvx::win32 {
namespace {

int Brightness(int32_t c) { return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF); }
int Distance(int32_t a, int32_t b) {
    return std::abs((a & 0xFF) - (b & 0xFF)) + std::abs(((a >> 8) & 0xFF) - ((b >> 8) & 0xFF)) +
           std::abs(((a >> 16) & 0xFF) - ((b >> 16) & 0xFF));
}

TEST(PreviewSize, HostSizeGoesThroughTwipsAndBack) {
    PreviewSize s = PreviewSizeFromHost(100, 50, 252, 162, 15, 15);
    EXPECT_EQ(s.widthTwips, 2280);
    EXPECT_EQ(s.heightTwips, 1680);
    EXPECT_EQ(s.widthPixels, 152);
    EXPECT_EQ(s.heightPixels, 112);

    // 120 and 110 dots per inch: 12 and a fraction of twips per pixel.
    s = PreviewSizeFromHost(0, 0, 300, 200, 12, 12);
    EXPECT_EQ(s.widthTwips, 3600);
    EXPECT_EQ(s.widthPixels, 300);
    EXPECT_EQ(s.heightPixels, 200);
    s = PreviewSizeFromHost(0, 0, 152, 112, 1440.0 / 110, 1440.0 / 110);
    EXPECT_EQ(s.widthTwips, 1990);
    EXPECT_EQ(s.widthPixels, 152);
    EXPECT_EQ(s.heightPixels, 112);
}

TEST(PreviewSize, WidthBeyondSixteenBitsOfTwipsLeavesItZero) {
    // 2184 pixels are 32760 twips; 2185 would be 32775.
    PreviewSize s = PreviewSizeFromHost(0, 0, 2184, 112, 15, 15);
    EXPECT_EQ(s.widthPixels, 2184);
    s = PreviewSizeFromHost(0, 0, 2185, 112, 15, 15);
    EXPECT_EQ(s.widthTwips, 0);
    EXPECT_EQ(s.widthPixels, 0);
    EXPECT_EQ(s.heightPixels, 112);
}

TEST(PreviewPicture, TwelveTilesOnAFourByThreeGrid) {
    std::set<int32_t> lefts, tops;
    for (const PreviewTile& t : PreviewTiles()) {
        lefts.insert(t.left);
        tops.insert(t.top);
        EXPECT_GE(t.left, 0);
        EXPECT_GE(t.top, 0);
        EXPECT_LE(t.left + t.size, kPreviewPictureWidth);
        EXPECT_LE(t.top + t.size, kPreviewPictureHeight);
    }
    EXPECT_EQ(lefts.size(), 4u);
    EXPECT_EQ(tops.size(), 3u);
    // Tiles do not touch: the black background shows between them.
    const auto& tiles = PreviewTiles();
    for (size_t i = 0; i < tiles.size(); ++i) {
        for (size_t j = i + 1; j < tiles.size(); ++j) {
            bool apart = tiles[i].left + tiles[i].size < tiles[j].left ||
                         tiles[j].left + tiles[j].size < tiles[i].left ||
                         tiles[i].top + tiles[i].size < tiles[j].top || tiles[j].top + tiles[j].size < tiles[i].top;
            EXPECT_TRUE(apart) << "tiles " << i << " and " << j;
        }
    }
}

TEST(PreviewPicture, BlackGroundAndTilesRunningFromDarkToBright) {
    std::vector<int32_t> pixels = Lvx_R_PicturePixels();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(kPreviewPictureWidth * kPreviewPictureHeight));
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y * kPreviewPictureWidth + x)]; };

    std::vector<bool> inTile(pixels.size(), false);
    std::vector<int32_t> bottoms;
    for (const PreviewTile& t : PreviewTiles()) {
        for (int y = t.top; y < t.top + t.size; ++y) {
            // A vertical gradient: each row of a tile is one colour.
            for (int x = t.left; x < t.left + t.size; ++x) {
                inTile[static_cast<size_t>(y * kPreviewPictureWidth + x)] = true;
                ASSERT_EQ(at(x, y), at(t.left, y)) << "tile at " << t.left << "," << t.top << " row " << y;
            }
            if (y > t.top) {
                EXPECT_GE(Brightness(at(t.left, y)), Brightness(at(t.left, y - 1)));
            }
        }
        // The first line of the gradient lies on the top row, in the dark colour.
        EXPECT_EQ(at(t.left, t.top), t.dark);
        int32_t bottom = at(t.left, t.top + t.size - 1);
        EXPECT_GT(Brightness(bottom), Brightness(t.dark) + 200);
        EXPECT_LT(Distance(bottom, t.bright), 64) << "bottom row close to the bright colour";
        bottoms.push_back(bottom);
    }
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (!inTile[i]) {
            ASSERT_EQ(pixels[i], 0) << "background pixel " << i;
        }
    }
    // Every tile has a hue of its own.
    for (size_t i = 0; i < bottoms.size(); ++i) {
        for (size_t j = i + 1; j < bottoms.size(); ++j) {
            EXPECT_GE(Distance(bottoms[i], bottoms[j]), 60) << "tiles " << i << " and " << j;
        }
    }
}

// Pumps this thread's messages for a while; true when WM_QUIT came.
bool Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return true;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    return false;
}

int32_t Number(HWND window) { return static_cast<int32_t>(reinterpret_cast<intptr_t>(window)); }

// A host window as the display settings have one: a child of a dialog-like
// frame. (Destroying a shown top-level window makes Wine wait two seconds
// for a window manager that Xvfb does not have.)
HWND MakeHost(int x, int y, int w, int h, bool shown = true) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    cls.lpszClassName = L"LvxPreviewTestHost";
    RegisterClassExW(&cls);
    DWORD visible = shown ? WS_VISIBLE : 0;
    HWND frame = CreateWindowExW(WS_EX_TOOLWINDOW, cls.lpszClassName, L"frame", WS_POPUP | visible, x, y, w, h,
                                 nullptr, nullptr, cls.hInstance, nullptr);
    return CreateWindowExW(0, cls.lpszClassName, L"host", WS_CHILD | WS_VISIBLE, 0, 0, w, h, frame, nullptr,
                           cls.hInstance, nullptr);
}

HWND FindPreview(HWND host) { return FindWindowExW(host, nullptr, L"Lvx_R", nullptr); }

TEST(PreviewWindow, NoWindowForAHostThatIsNoWindow) {
    HWND gone = MakeHost(0, 0, 10, 10, false);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    for (int32_t number : {0, -1, 12345678, Number(gone)}) {
        EXPECT_FALSE(Lvx_R_Open(number)) << number;
    }
    EXPECT_EQ(FindWindowW(L"Lvx_R", nullptr), nullptr);
    EXPECT_FALSE(Pump(50)) << "nothing asks the message loop to end";
}

TEST(PreviewWindow, EmbedsIntoTheHostAndEndsWithIt) {
    HWND host = MakeHost(520, 300, 300, 200);
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(Lvx_R_Open(Number(host)));
    HWND preview = FindPreview(host);
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(IsChild(host, preview));
    EXPECT_TRUE(IsWindowVisible(preview));
    EXPECT_TRUE(GetWindowLongW(preview, GWL_STYLE) & WS_CHILD);
    wchar_t caption[64] = {};
    GetWindowTextW(preview, caption, 64);
    EXPECT_STREQ(caption, L"Preview Window");
    RECT r{};
    GetWindowRect(preview, &r);
    EXPECT_EQ(r.left, 520);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);

    // What reached the screen: the picture scaled to fill the host, its
    // tiles where the scaled grid puts them, black and never grey around.
    EXPECT_FALSE(Pump(300));
    HDC screen = GetDC(nullptr);
    const std::array<PreviewTile, 12> tiles = PreviewTilesFor(300, 200);
    EXPECT_EQ(tiles[0].size, 50);
    EXPECT_EQ(tiles[11].left + tiles[11].size, 287);
    for (const PreviewTile& t : {tiles[0], tiles[11]}) {
        EXPECT_EQ(GetPixel(screen, 520 + t.left + 3, 300 + t.top), static_cast<COLORREF>(t.dark));
        EXPECT_EQ(GetPixel(screen, 520 + t.left - 1, 300 + t.top), 0u);
    }
    EXPECT_EQ(GetPixel(screen, 520, 300), 0u);
    EXPECT_EQ(GetPixel(screen, 520 + kPreviewPictureWidth, 300), 0u);
    EXPECT_EQ(GetPixel(screen, 819, 499), 0u);
    ReleaseDC(nullptr, screen);

    // The host destroys it; its unload handler runs and the loop may end.
    ApiResult = 12345;
    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(preview));
    EXPECT_EQ(ApiResult, 1) << "the unload handler posted its WM_CLOSE";
    EXPECT_TRUE(Pump(1000));
}

TEST(PreviewWindow, ClosingThePreviewEndsTheLoop) {
    HWND host = MakeHost(520, 300, 152, 112);
    ASSERT_TRUE(Lvx_R_Open(Number(host)));
    HWND preview = FindPreview(host);
    ASSERT_NE(preview, nullptr);
    PostMessageW(preview, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Pump(1000));
    EXPECT_FALSE(IsWindow(preview));
    EXPECT_TRUE(IsWindow(host));
    DestroyWindow(host);
}

}  // namespace
}  // namespace lvx::win32
