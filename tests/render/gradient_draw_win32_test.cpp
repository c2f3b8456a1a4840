// Draw with the real GDI, into a window and into an off-screen surface, and
// the pixels read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "render/cls_gradient.h"
#include "render/win32/gradient_port_win32.h"
#include "settings/settings.h"

namespace lvx::win32 {
namespace {

// The real port, with the warning box recorded instead of shown and every
// pen it creates remembered. With pensOnly, bitmap memory is never written
// and every drawing takes the pens.
class ObservedPort : public Win32GradientPort {
public:
    std::vector<std::string> warnings;
    std::vector<HGDIOBJ> pens;
    bool pensOnly = false;
    // Called once Draw has planned its lines and starts to draw them.
    std::function<void()> whileDrawing;
    bool OpenPixels(GdiHandle dc, PixelSurface& pixels) override {
        if (whileDrawing) whileDrawing();
        return !pensOnly && Win32GradientPort::OpenPixels(dc, pixels);
    }
    GdiHandle CreateSolidPen(int32_t color) override {
        GdiHandle pen = Win32GradientPort::CreateSolidPen(color);
        pens.push_back(FromGdiHandle<HGDIOBJ>(pen));
        return pen;
    }
    void ShowWarning(std::string_view text, std::string_view title) override {
        warnings.push_back(std::string(title) + ": " + std::string(text));
    }
};

// A hidden window serves for the lock and the client size; only drawing into
// the window itself needs it shown.
HWND MakeWindow(int w, int h, int x = 0, bool visible = false) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LvxGradientTest";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        return RegisterClassW(&wc);
    }();
    EXPECT_NE(atom, 0);
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"LvxGradientTest", L"", WS_POPUP | (visible ? WS_VISIBLE : 0), x, 0, w, h,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(hwnd, nullptr);
    if (visible) UpdateWindow(hwnd);
    return hwnd;
}

// What LineTo paints: the start pixel and every pixel up to, not including,
// the end; along the major axis each step takes the minor coordinate rounded
// half towards minus infinity.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t RoundHalfDown(int64_t num, int64_t den) {  // den > 0
    return FloorDiv(2 * num + den - 1, 2 * den);
}
template <class Paint>
void Rasterise(LinePoint a, LinePoint b, Paint paint) {
    const int64_t dx = b.x - a.x, dy = b.y - a.y;
    if (std::llabs(dx) >= std::llabs(dy)) {
        const int64_t sx = dx > 0 ? 1 : -1;
        for (int64_t t = 0; t < std::llabs(dx); ++t) {
            const int64_t num = t * sx * dy, den = dx;
            paint(a.x + t * sx, a.y + RoundHalfDown(den < 0 ? -num : num, den < 0 ? -den : den));
        }
    } else {
        const int64_t sy = dy > 0 ? 1 : -1;
        for (int64_t t = 0; t < std::llabs(dy); ++t) {
            const int64_t num = t * sy * dx, den = dy;
            paint(a.x + RoundHalfDown(den < 0 ? -num : num, den < 0 ? -den : den), a.y + t * sy);
        }
    }
}

// The picture the lines of a plan leave on a w x h area, later lines on top.
std::vector<int32_t> Predict(const GradientLines& lines, int w, int h, int32_t background) {
    std::vector<int32_t> picture(static_cast<size_t>(w * h), background);
    for (int32_t k = 0; k < lines.LineCount(); ++k) {
        Rasterise(lines.points[2 * k], lines.points[2 * k + 1], [&](int64_t x, int64_t y) {
            if (x >= 0 && x < w && y >= 0 && y < h) picture[static_cast<size_t>(y * w + x)] = lines.colors[k];
        });
    }
    return picture;
}

bool LockIsFree() {
    HWND probe = MakeWindow(10, 10, 300);
    const bool free = LockWindowUpdate(probe) != 0;
    if (free) LockWindowUpdate(nullptr);
    DestroyWindow(probe);
    return free;
}

class GradientDrawWin32 : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LockIsFree()); }
    void TearDown() override {
        for (HWND w : windows_) DestroyWindow(w);
        EXPECT_TRUE(LockIsFree());
    }
    HWND Window(int w, int h, bool visible = false) {
        windows_.push_back(MakeWindow(w, h, 0, visible));
        return windows_.back();
    }
    std::vector<HWND> windows_;
};

TEST_F(GradientDrawWin32, AtAngleZeroEachColumnShowsItsTableEntry) {
    ObservedPort port;
    clsGradient g(port);
    g.Angle(0);
    std::vector<int32_t> table;
    clsGradient::BlendColors(g.Color1(), g.Color2(), 102, table);

    PictureSurface surface(Window(100, 100));
    EXPECT_EQ(g.Draw(surface), kTrue);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) ASSERT_EQ(surface.Pixel(x, y), table[x]) << x << "," << y;
    }
}

TEST_F(GradientDrawWin32, AtNinetyTheBottomRowShowsTheSecondEntry) {
    ObservedPort port;
    clsGradient g(port);
    g.Angle(90);
    g.Color1(0x000000);
    g.Color2(0xFFFFFF);
    std::vector<int32_t> table;
    clsGradient::BlendColors(0x000000, 0xFFFFFF, 102, table);

    PictureSurface surface(Window(100, 100));
    EXPECT_EQ(g.Draw(surface), kTrue);
    for (int y = 0; y < 100; ++y) {
        // Line 0 lies on y = 100, just below the area.
        for (int x = 0; x < 100; ++x) ASSERT_EQ(surface.Pixel(x, y), table[100 - y]) << x << "," << y;
    }
    EXPECT_EQ(surface.Pixel(50, 99), table[1]);
}

TEST_F(GradientDrawWin32, AtThreeFifteenEveryPixelIsWhereTheLinesPutIt) {
    for (auto [w, h] : {std::pair{100, 100}, std::pair{57, 31}, std::pair{2, 2}}) {
        for (bool pensOnly : {false, true}) {
            ObservedPort port;
            port.pensOnly = pensOnly;
            clsGradient g(port);  // 315 on creation
            PictureSurface surface(Window(w, h));
            EXPECT_EQ(g.Draw(surface), kTrue);
            const std::vector<int32_t> expected = Predict(g.PlanLines(w, h), w, h, 0);
            int wrong = 0;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) wrong += surface.Pixel(x, y) != expected[static_cast<size_t>(y * w + x)];
            }
            EXPECT_EQ(wrong, 0) << w << " x " << h << (pensOnly ? " with pens" : " in memory");
        }
    }
}

// A window's DC holds no bitmap memory, so the pens draw. Windows discards
// drawing into the window that Draw locks, so the pixels are read from a
// shown window whose DC Draw is given while the lock falls on a hidden one
// of the same size (as the preview does with its helper window). Drawing
// into the locked window's own DC still succeeds and frees the lock; what
// reaches the screen then is the platform's affair.
TEST_F(GradientDrawWin32, DrawsIntoAWindowsDeviceContextWithPens) {
    std::vector<int32_t> table;
    clsGradient::BlendColors(0x0000FF, 0xFF0000, 102, table);
    HWND locked = Window(100, 100);
    HWND shown = Window(100, 100, true);
    HDC dc = GetDC(shown);
    for (HWND lockedWindow : {locked, shown}) {
        ObservedPort port;
        clsGradient g(port);
        g.Angle(0);
        g.Color1(0x0000FF);
        g.Color2(0xFF0000);
        WindowTarget target(lockedWindow, dc);
        EXPECT_EQ(g.Draw(target), kTrue);
        EXPECT_EQ(port.pens.size(), 102u);
        EXPECT_TRUE(LockIsFree());
        if (lockedWindow == shown) break;
        for (int x : {0, 1, 37, 98, 99}) {
            for (int y : {0, 50, 99}) EXPECT_EQ(static_cast<int32_t>(GetPixel(dc, x, y)), table[x]) << x << "," << y;
        }
    }
    ReleaseDC(shown, dc);
}

TEST_F(GradientDrawWin32, APresentedPictureReachesTheWindow) {
    ObservedPort port;
    clsGradient g(port);
    HWND hwnd = Window(64, 48, true);
    PictureSurface surface(hwnd);
    EXPECT_EQ(g.Draw(surface), kTrue);
    surface.Present();
    HDC dc = GetDC(hwnd);
    int wrong = 0;
    for (int y = 0; y < 48; y += 3) {
        for (int x = 0; x < 64; x += 3) wrong += static_cast<int32_t>(GetPixel(dc, x, y)) != surface.Pixel(x, y);
    }
    ReleaseDC(hwnd, dc);
    EXPECT_EQ(wrong, 0);
    // At 315 the pale Color1 lies top-left, the dark Color2 bottom-right.
    EXPECT_GT(surface.Pixel(0, 0) & 0xFF, 0xC0);
    EXPECT_LT(surface.Pixel(63, 47) & 0xFF, 0x20);
}

TEST_F(GradientDrawWin32, LeavesNoGdiObjectAndTheFormerPenSelected) {
    ObservedPort port;
    port.pensOnly = true;
    clsGradient g(port);
    PictureSurface surface(Window(120, 80));
    HGDIOBJ formerPen = GetCurrentObject(surface.Dc(), OBJ_PEN);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (float angle : {0.0f, 45.0f, 135.0f, 315.0f}) {
        g.Angle(angle);
        EXPECT_EQ(g.Draw(surface), kTrue);
    }
    // Wine 8 counts no GDI objects (GetGuiResources gives 0); there the
    // pens are checked one by one below.
    if (before > 0) {
        EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
    }
    EXPECT_EQ(GetCurrentObject(surface.Dc(), OBJ_PEN), formerPen);
    ASSERT_GT(port.pens.size(), 400u);
    int alive = 0;
    for (HGDIOBJ pen : port.pens) alive += GetObjectType(pen) != 0;
    EXPECT_EQ(alive, 0);
}

TEST_F(GradientDrawWin32, HoldsTheWindowLockOnlyWhileDrawing) {
    for (bool pensOnly : {false, true}) {
        ObservedPort port;
        port.pensOnly = pensOnly;
        bool lockedWhileDrawing = false;
        port.whileDrawing = [&] { lockedWhileDrawing = !LockIsFree(); };
        clsGradient g(port);
        PictureSurface surface(Window(40, 40));
        EXPECT_EQ(g.Draw(surface), kTrue);
        EXPECT_TRUE(lockedWhileDrawing);
        EXPECT_TRUE(LockIsFree());
        EXPECT_EQ(port.pens.empty(), !pensOnly);
    }
}

TEST_F(GradientDrawWin32, AOnePixelWideAreaDrawsNothing) {
    for (auto [w, h] : {std::pair{1, 100}, std::pair{100, 1}}) {
        ObservedPort port;
        clsGradient g(port);
        PictureSurface surface(Window(w, h));
        PatBlt(surface.Dc(), 0, 0, w, h, WHITENESS);
        EXPECT_EQ(g.Draw(surface), kFalse);
        EXPECT_TRUE(port.pens.empty());
        EXPECT_TRUE(port.warnings.empty());
        EXPECT_EQ(surface.Pixel(0, 0), 0x00FFFFFF);
        EXPECT_TRUE(LockIsFree());
    }
}

TEST_F(GradientDrawWin32, ATargetThatIsNoWindowIsReportedAndDrawsNothing) {
    ObservedPort port;
    clsGradient g(port);
    HWND gone = MakeWindow(50, 50);
    DestroyWindow(gone);
    WindowTarget target(gone);
    EXPECT_EQ(g.Draw(target), kFalse);
    ASSERT_EQ(port.warnings.size(), 1u);
    EXPECT_EQ(port.warnings[0], "Lumvex_K47: 描画先のウィンドウハンドルを取得できません。");
    EXPECT_TRUE(port.pens.empty());
    EXPECT_TRUE(LockIsFree());
}

// A thread procedure has the platform's calling convention, which a lambda
// lacks on 32-bit Windows.
DWORD WINAPI DrawOnThread(void* arg) {
    auto* work = static_cast<std::pair<clsGradient*, WindowTarget*>*>(arg);
    return static_cast<DWORD>(static_cast<uint16_t>(work->first->Draw(*work->second)));
}

// The real warning box: Draw runs on a second thread while this one finds
// the box by its title, reads it and presses OK.
TEST(Win32GradientPort, ATargetErrorShowsTheWarningBox) {
    Win32GradientPort port;
    clsGradient g(port);
    WindowTarget gone(nullptr);
    std::pair<clsGradient*, WindowTarget*> work(&g, &gone);
    HANDLE thread = CreateThread(nullptr, 0, &DrawOnThread, &work, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    HWND box = nullptr;
    for (int i = 0; i < 200 && box == nullptr; ++i) {
        Sleep(25);
        box = FindWindowW(L"#32770", L"Lumvex_K47");
    }
    ASSERT_NE(box, nullptr) << "no warning box";
    wchar_t text[200] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 200);
    EXPECT_EQ(std::wstring(text), L"描画先のウィンドウハンドルを取得できません。");
    // The warning icon (its control is 0x14 on Windows, 1088 under Wine) and a single OK button.
    LRESULT icon = SendDlgItemMessageW(box, 0x14, STM_GETICON, 0, 0);
    if (icon == 0) icon = SendDlgItemMessageW(box, 1088, STM_GETICON, 0, 0);
    EXPECT_EQ(reinterpret_cast<HICON>(icon), LoadIconW(nullptr, IDI_WARNING));
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(static_cast<int16_t>(code), kFalse);
    EXPECT_TRUE(LockIsFree());
}

TEST(Win32GradientPort, SystemColourReferencesTakeTheCurrentScheme) {
    Win32GradientPort port;
    clsGradient g(port);
    g.Color1(static_cast<int32_t>(0x80000005));
    g.Color2(static_cast<int32_t>(0x80000012));
    EXPECT_EQ(g.Color1(), static_cast<int32_t>(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(g.Color2(), static_cast<int32_t>(GetSysColor(COLOR_BTNTEXT)));
    g.Color1(static_cast<int32_t>(0x80000019));
    EXPECT_EQ(static_cast<uint32_t>(g.Color1()), 0x80000019u);
}

}  // namespace
}  // namespace lvx::win32
