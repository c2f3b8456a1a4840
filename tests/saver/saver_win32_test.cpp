// The saver's Windows shell on the real platform: frame pacing and the
// pictures' geometry, which waits for the pass that draws them.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "saver/win32/frame_pacer_win32.h"
#include "saver/win32/lvx_s_win32.h"

namespace lvx::win32 {
namespace {

double Seconds(LARGE_INTEGER from) {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now;
}

void DropMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(FramePacer, OneFramePerRefreshWithoutEvents) {
    DropMessages();
    FramePacer pacer;
    // Wine reports no refresh rate and no composition: 60 Hz by timer.
    EXPECT_EQ(pacer.RefreshRate(), 60);
    EXPECT_FALSE(pacer.UsesCompositor());
    const LARGE_INTEGER start = Now();
    int frames = 0;
    for (int i = 0; i < 30; ++i) frames += pacer.WaitFrame(true) ? 1 : 0;
    const double took = Seconds(start);
    EXPECT_EQ(frames, 30);
    // 30 frames at 60 Hz: half a second; never a spin, and generous above
    // for a busy machine.
    EXPECT_GT(took, 0.40);
    EXPECT_LT(took, 2.5);
}

TEST(FramePacer, PendingEventsWakeItBeforeTheFrame) {
    DropMessages();
    FramePacer pacer;
    pacer.WaitFrame(true);
    struct Case {
        const char* name;
        bool frameWanted;
        DWORD postAfterMs;
    };
    for (Case c : {Case{"already pending, frame wanted", true, 0}, Case{"already pending, display off", false, 0},
                   Case{"arriving while the display is off", false, 120}}) {
        const DWORD self = GetCurrentThreadId();
        std::thread poster;
        if (c.postAfterMs == 0) {
            PostThreadMessageW(self, WM_APP, 0, 0);
        } else {
            poster = std::thread([self, c] {
                Sleep(c.postAfterMs);
                PostThreadMessageW(self, WM_APP, 0, 0);
            });
        }
        const LARGE_INTEGER start = Now();
        EXPECT_FALSE(pacer.WaitFrame(c.frameWanted)) << c.name;
        const double took = Seconds(start);
        if (poster.joinable()) poster.join();
        DropMessages();
        // Without a frame wanted nothing but the event ends the wait.
        EXPECT_GE(took, c.postAfterMs / 1000.0 - 0.01) << c.name;
        EXPECT_LT(took, c.postAfterMs / 1000.0 + 0.5) << c.name;
    }
}

RECT PictureRect(HWND form, int index) {
    HWND picture = GetDlgItem(form, index);
    RECT r{};
    GetWindowRect(picture, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(SaverPictures, NewGeometryWaitsForThePassThatDrawsThePicture) {
    Win32SaverPort port;
    ASSERT_TRUE(port.Created());
    port.SizeWindow(400, 300);
    port.SizePicture(0, 60);
    port.MovePicture(0, 10.5, 20.5);
    port.CreatePicture(1);
    // The copy takes picture 0's size and place, which 0 itself now has.
    RECT r0 = PictureRect(port.Window(), 0);
    RECT r1 = PictureRect(port.Window(), 1);
    EXPECT_EQ(r0.left, 10);  // halves to the even neighbour
    EXPECT_EQ(r0.top, 20);
    EXPECT_EQ(r0.right - r0.left, 60);
    EXPECT_EQ(r1.left, 10);
    EXPECT_EQ(r1.right - r1.left, 60);

    // Changed between passes: the window stays until the pass draws it.
    port.SizePicture(1, 90);
    port.MovePicture(1, 200, 100);
    EXPECT_EQ(port.SetPictureEllipse(1, 90), 1);
    r1 = PictureRect(port.Window(), 1);
    EXPECT_EQ(r1.left, 10);
    EXPECT_EQ(r1.right - r1.left, 60);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(GetDlgItem(port.Window(), 1), region), ERROR);

    GradientTarget& target = port.PictureTarget(1);
    r1 = PictureRect(port.Window(), 1);
    EXPECT_EQ(r1.left, 200);
    EXPECT_EQ(r1.top, 100);
    EXPECT_EQ(r1.right - r1.left, 90);
    EXPECT_EQ(static_cast<PictureSurface&>(target).Width(), 90);
    EXPECT_EQ(GetWindowRgn(GetDlgItem(port.Window(), 1), region), COMPLEXREGION);
    RECT box{};
    GetRgnBox(region, &box);
    EXPECT_GE(box.right, 88) << "the outline of the new size, not the old one";
    EXPECT_LE(box.right, 90);
    DeleteObject(region);

    // A pass that changes every picture's size moves them all at once: the
    // first picture it draws brings the new geometry of the others too.
    port.SizePicture(0, 40);
    port.SizePicture(1, 40);
    port.MovePicture(1, 300, 200);
    port.PictureTarget(0);
    r0 = PictureRect(port.Window(), 0);
    r1 = PictureRect(port.Window(), 1);
    EXPECT_EQ(r0.right - r0.left, 40);
    EXPECT_EQ(r1.right - r1.left, 40);
    EXPECT_EQ(r1.left, 300);
}

// The background the saver paints: a stored system colour shows as that
// colour, as the dialog's swatch shows it; anything else by its low bits.
TEST(SaverPictures, BackgroundColourResolvesSystemColours) {
    Win32SaverPort port;
    ASSERT_TRUE(port.Created());
    port.SizeWindow(20, 20);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 20);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    struct Row {
        int32_t stored;
        COLORREF painted;
    };
    const Row rows[] = {{static_cast<int32_t>(0x8000000Fu), GetSysColor(COLOR_BTNFACE)},
                        {static_cast<int32_t>(0x80000005u), GetSysColor(COLOR_WINDOW)},
                        {static_cast<int32_t>(0x80000019u), RGB(0x19, 0, 0)},  // no system colour 25
                        {0x00123456, 0x00123456}};
    for (const Row& r : rows) {
        port.SetBackColor(r.stored);
        SendMessageW(port.Window(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        EXPECT_EQ(GetPixel(dc, 5, 5), r.painted) << std::hex << r.stored;
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace
}  // namespace lvx::win32
