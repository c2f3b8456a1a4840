#include "saver/win32/lvx_s_win32.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "app/win32/app_port_win32.h"
#include "common/number_rules.h"
#include "common/system_colour.h"
#include "common/win32/text_win32.h"
#include "saver/warn_once_port.h"
#include "sound/sound_02.h"
#include "sound/win32/sound_ports_win32.h"

namespace lvx::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"Lvx_S";
constexpr wchar_t kPictureClass[] = L"Lvx_S_PicDraw";
constexpr wchar_t kCoverClass[] = L"Lvx_S_Cover";

// GUID_CONSOLE_DISPLAY_STATE: data 0 off, 1 on, 2 dimmed.
constexpr GUID kConsoleDisplayState = {0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
using RegisterPowerSettingNotificationFn = HANDLE(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterPowerSettingNotificationFn = BOOL(WINAPI*)(HANDLE);

template <class F>
F User32Function(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

double TwipsPerPixelOf(int axis) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, axis) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

// The modifier state of a key or mouse event: 1 Shift, 2 Ctrl, 4 Alt.
int16_t ShiftState() {
    int16_t state = 0;
    if (GetKeyState(VK_SHIFT) < 0) state |= 1;
    if (GetKeyState(VK_CONTROL) < 0) state |= 2;
    if (GetKeyState(VK_MENU) < 0) state |= 4;
    return state;
}

bool IsKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }

// The button of a mouse-down message: 1 left, 2 right, 4 middle, 8 and 16 the
// extra buttons; 0 for any other message.
int16_t ButtonOf(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            return 1;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            return 2;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            return 4;
        case WM_XBUTTONDOWN:
        case WM_XBUTTONDBLCLK:
            return HIWORD(wParam) == XBUTTON2 ? 16 : 8;
        default:
            return 0;
    }
}

void RegisterClasses() {
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = DefWindowProcW;  // replaced at WM_NCCREATE through the user data
    form.hInstance = Instance();
    form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);  // fails harmlessly when already registered

    WNDCLASSEXW picture = form;
    picture.lpszClassName = kPictureClass;
    RegisterClassExW(&picture);

    WNDCLASSEXW cover = form;
    cover.lpszClassName = kCoverClass;
    RegisterClassExW(&cover);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        const RECT& r = info.rcMonitor;
        reinterpret_cast<std::vector<ScreenRect>*>(list)->push_back({r.left, r.top, r.right, r.bottom});
    }
    return TRUE;
}

template <class T>
T* FromUserData(HWND window) {
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

void Lvx_S_Run(Settings& settings, bool saverMode) {
    Win32AppPort app;
    Win32MciPort mci;
    Win32WavePort wave;
    Sound_02 sound(settings, mci, wave);
    Win32GradientPort gdi;
    WarnOnceGradientPort warnOnce(gdi);
    Win32SaverPort port;
    if (!port.Created()) return;
    Lvx_S saver(settings, saverMode, port, app, warnOnce, sound);
    port.Attach(&saver);
    saver.Form_Load();
    // The loop has ended without the program: after a refused password the
    // window stays, driven by its events, until a key or a click ends it.
    port.RunEvents();
}

Win32SaverPort::Win32SaverPort() {
    RegisterClasses();
    backBrush_ = CreateSolidBrush(RGB(0, 0, 0));
    form_ = CreateWindowExW(0, kFormClass, Utf8ToWide(kSaverCaption).c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0,
                            nullptr, nullptr, Instance(), nullptr);
    if (form_ == nullptr) return;
    SetWindowLongPtrW(form_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(form_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormProc));
    pictures_[0].window = MakePicture(0, 0, 0, 0, 0);
    EnableTimer(kTimer3, true);
    // Told when the display goes off or comes back; the first notification
    // gives the state now.
    if (auto registerFn = User32Function<RegisterPowerSettingNotificationFn>("RegisterPowerSettingNotification")) {
        powerNotification_ = registerFn(form_, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

Win32SaverPort::~Win32SaverPort() {
    if (heldErase_ != nullptr) DeleteObject(heldErase_);
    for (HWND cover : covers_) DestroyWindow(cover);
    for (Picture& p : pictures_) {
        if (p.newOutline != nullptr) DeleteObject(p.newOutline);
    }
    if (form_ != nullptr) DestroyWindow(form_);
    if (backBrush_ != nullptr) DeleteObject(backBrush_);
}

HWND Win32SaverPort::MakePicture(int index, int x, int y, int width, int height) {
    HWND window = CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width,
                                  height, form_, reinterpret_cast<HMENU>(static_cast<intptr_t>(index)), Instance(),
                                  nullptr);
    if (window == nullptr) return nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PictureProc));
    pictures_[static_cast<size_t>(index)].surface = std::make_unique<PictureSurface>(window);
    return window;
}

Win32SaverPort::Picture* Win32SaverPort::At(int index) {
    if (index < 0 || index >= kPictureSlots) return nullptr;
    Picture& p = pictures_[static_cast<size_t>(index)];
    return p.window != nullptr ? &p : nullptr;
}

bool Win32SaverPort::IsOurs(HWND window) const {
    if (window == nullptr) return false;
    if (window == form_) return true;
    if (std::find(covers_.begin(), covers_.end(), window) != covers_.end()) return true;
    return std::any_of(pictures_.begin(), pictures_.end(), [window](const Picture& p) { return p.window == window; });
}

void Win32SaverPort::ScreenTwips(double& width, double& height) {
    double x = 15, y = 15;
    TwipsPerPixel(x, y);
    width = GetSystemMetrics(SM_CXSCREEN) * x;
    height = GetSystemMetrics(SM_CYSCREEN) * y;
}

void Win32SaverPort::TwipsPerPixel(double& x, double& y) {
    x = TwipsPerPixelOf(LOGPIXELSX);
    y = TwipsPerPixelOf(LOGPIXELSY);
}

void Win32SaverPort::SizeWindow(int32_t width, int32_t height) {
    SetWindowPos(form_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32SaverPort::MoveWindow(int32_t left, int32_t top) {
    SetWindowPos(form_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32SaverPort::SetBackColor(int32_t color) {
    // A system colour is painted as the dialog's swatch shows it.
    const COLORREF rgb = SystemColourIndex(color) ? GetSysColor(*SystemColourIndex(color))
                                                  : static_cast<COLORREF>(color) & 0x00FFFFFF;
    HBRUSH brush = CreateSolidBrush(rgb);
    if (brush == nullptr) return;
    if (backBrush_ != nullptr) DeleteObject(backBrush_);
    backBrush_ = brush;
    InvalidateRect(form_, nullptr, TRUE);
    for (HWND cover : covers_) InvalidateRect(cover, nullptr, TRUE);
}

void Win32SaverPort::ShowWindowNormal() {
    ShowWindow(form_, SW_SHOWNORMAL);
    // Painted now, pictures included: the screen shows the saver at once.
    RedrawWindow(form_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int32_t Win32SaverPort::MakeTopmost() {
    return SetWindowPos(form_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32SaverPort::UnloadWindow() {
    for (int t : {kTimer1, kTimer2, kTimer3}) KillTimer(form_, static_cast<UINT_PTR>(t));
    if (powerNotification_ != nullptr) {
        if (auto unregisterFn = User32Function<UnregisterPowerSettingNotificationFn>("UnregisterPowerSettingNotification")) {
            unregisterFn(powerNotification_);
        }
        powerNotification_ = nullptr;
    }
    HWND form = form_;
    form_ = nullptr;
    std::vector<HWND> windows = std::exchange(covers_, {});
    windows.push_back(form);
    for (HWND window : windows) {
        // Off the screen at once: under X without a window manager Wine holds
        // the destruction of a full-screen window up to 2 s, waiting for a
        // manager to withdraw it. An empty outline hides it without that wait.
        HRGN nothing = CreateRectRgn(0, 0, 0, 0);
        if (nothing != nullptr && SetWindowRgn(window, nothing, TRUE) == 0) DeleteObject(nothing);
    }
    // The pictures and their regions go with the saver window.
    for (HWND window : windows) DestroyWindow(window);
    for (Picture& p : pictures_) {
        p.surface.reset();
        p.window = nullptr;
        if (p.newOutline != nullptr) DeleteObject(std::exchange(p.newOutline, nullptr));
    }
    holdPresents_ = false;
    if (heldErase_ != nullptr) DeleteObject(std::exchange(heldErase_, nullptr));
}

void Win32SaverPort::ReadMonitors(std::vector<ScreenRect>& monitors, ScreenRect& primary) {
    monitors.clear();
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    // What the saver window covers: the primary screen from (0, 0).
    primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void Win32SaverPort::PlaceCovers(const std::vector<ScreenRect>& rects) {
    if (form_ == nullptr) return;
    while (covers_.size() > rects.size()) {
        DestroyWindow(covers_.back());
        covers_.pop_back();
    }
    for (size_t i = 0; i < rects.size(); ++i) {
        const ScreenRect& r = rects[i];
        if (i == covers_.size()) {
            // Never active: the saver window keeps the keyboard; keys that
            // reach a cover all the same are passed on to it.
            HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClass, L"",
                                         WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                         Instance(), nullptr);
            if (cover == nullptr) return;
            SetWindowLongPtrW(cover, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            SetWindowLongPtrW(cover, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CoverProc));
            covers_.push_back(cover);
        }
        // Just below the saver window, which stays on top of everything.
        SetWindowPos(covers_[i], form_, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void Win32SaverPort::CreatePicture(int index) {
    Picture* first = At(0);
    if (first == nullptr || index <= 0 || index >= kPictureSlots || At(index) != nullptr) return;
    ApplyGeometry(*first);
    RECT r{};
    GetWindowRect(first->window, &r);
    MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&r), 2);
    pictures_[static_cast<size_t>(index)].window = MakePicture(index, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void Win32SaverPort::SizePicture(int index, int32_t size) {
    Picture* p = At(index);
    if (p == nullptr) return;
    p->newSize = std::max<int32_t>(size, 0);
    GeometryChanged(*p);
}

int32_t Win32SaverPort::SetPictureEllipse(int index, int32_t size) {
    Picture* p = At(index);
    if (p == nullptr) return 0;
    HRGN region = CreateEllipticRgn(0, 0, size, size);
    if (region == nullptr) return 0;
    if (p->newOutline != nullptr) DeleteObject(p->newOutline);
    p->newOutline = region;
    if (framesComing_) return 1;
    // No pass will come: the outline changes now, and its result counts.
    HRGN outline = std::exchange(p->newOutline, nullptr);
    const int result = SetWindowRgn(p->window, outline, TRUE);
    // A region the window did not take is still ours to release.
    if (result == 0) DeleteObject(outline);
    return result;
}

void Win32SaverPort::MovePicture(int index, double left, double top) {
    Picture* p = At(index);
    if (p == nullptr) return;
    // Whole pixels, halves to the even neighbour as every conversion here.
    const auto x = NearestInt32(left);
    const auto y = NearestInt32(top);
    if (!x || !y) return;
    p->newPlace = POINT{*x, *y};
    GeometryChanged(*p);
}

void Win32SaverPort::GeometryChanged(Picture& p) {
    if (framesComing_) return;
    ApplyGeometry(p);
    InvalidateRect(p.window, nullptr, FALSE);
}

void Win32SaverPort::ApplyGeometry(Picture& p) { ApplyGeometry(&p, &p + 1); }

void Win32SaverPort::ApplyAllGeometry() { ApplyGeometry(pictures_.data(), pictures_.data() + pictures_.size()); }

void Win32SaverPort::ApplyGeometry(Picture* first, Picture* last) {
    std::vector<Picture*> waiting;
    for (Picture* p = first; p != last; ++p) {
        if (p->window != nullptr && (p->newSize || p->newPlace || p->newOutline != nullptr)) waiting.push_back(p);
    }
    if (waiting.empty()) return;
    // Every picture takes its new size and place in one step and the
    // background is erased once: taken one by one, each with its own erase,
    // the new size swept across the screen for a noticeable time.
    HRGN uncovered = CreateRectRgn(0, 0, 0, 0);
    HDWP batch = BeginDeferWindowPos(static_cast<int>(waiting.size()));
    for (Picture* p : waiting) {
        RECT old{};
        GetWindowRect(p->window, &old);
        MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&old), 2);
        if (uncovered != nullptr) {
            HRGN piece = CreateRectRgnIndirect(&old);
            if (piece != nullptr) {
                CombineRgn(uncovered, uncovered, piece, RGN_OR);
                DeleteObject(piece);
            }
        }
        const int x = p->newPlace ? p->newPlace->x : old.left;
        const int y = p->newPlace ? p->newPlace->y : old.top;
        const int w = p->newSize ? *p->newSize : old.right - old.left;
        const int h = p->newSize ? *p->newSize : old.bottom - old.top;
        // Nothing is repainted or copied here: the pass draws the picture anew.
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOCOPYBITS;
        if (batch != nullptr) batch = DeferWindowPos(batch, p->window, nullptr, x, y, w, h, flags);
        if (batch == nullptr) SetWindowPos(p->window, nullptr, x, y, w, h, flags);
    }
    if (batch != nullptr) EndDeferWindowPos(batch);
    for (Picture* p : waiting) {
        if (p->newSize) p->surface->Resize();
        if (p->newOutline != nullptr) {
            HRGN outline = std::exchange(p->newOutline, nullptr);
            if (SetWindowRgn(p->window, outline, FALSE) == 0) DeleteObject(outline);
        }
        p->newSize.reset();
        p->newPlace.reset();
    }
    // The background comes back where the pictures no longer lie. While a
    // pass draws them, the old pictures stay on the screen until the last
    // new one is drawn; then the background and all of them show together.
    if (framesComing_) {
        if (heldErase_ == nullptr) {
            heldErase_ = uncovered;
            uncovered = nullptr;
        } else if (uncovered != nullptr) {
            CombineRgn(heldErase_, heldErase_, uncovered, RGN_OR);
        }
        holdPresents_ = true;
    } else {
        RedrawWindow(form_, nullptr, uncovered, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
    }
    if (uncovered != nullptr) DeleteObject(uncovered);
}

void Win32SaverPort::ShowHeldPictures() {
    if (!holdPresents_) return;
    holdPresents_ = false;
    HRGN erase = std::exchange(heldErase_, nullptr);
    // Through one device context of the saver window, not one per picture:
    // the system may show the screen's state between two of them.
    HDC dc = GetDCEx(form_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (dc == nullptr) {
        RedrawWindow(form_, nullptr, erase, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW | RDW_ALLCHILDREN);
    } else {
        if (erase != nullptr) FillRgn(dc, erase, backBrush_);
        HRGN clip = CreateRectRgn(0, 0, 0, 0);
        for (Picture& p : pictures_) {
            if (p.window == nullptr || clip == nullptr) continue;
            RECT r{};
            GetWindowRect(p.window, &r);
            MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&r), 2);
            // A round picture shows only inside its outline.
            if (GetWindowRgn(p.window, clip) == ERROR) {
                SetRectRgn(clip, r.left, r.top, r.right, r.bottom);
            } else {
                OffsetRgn(clip, r.left, r.top);
            }
            SelectClipRgn(dc, clip);
            BitBlt(dc, r.left, r.top, p.surface->Width(), p.surface->Height(), p.surface->Dc(), 0, 0, SRCCOPY);
            ValidateRect(p.window, nullptr);
        }
        SelectClipRgn(dc, nullptr);
        if (clip != nullptr) DeleteObject(clip);
        ReleaseDC(form_, dc);
    }
    if (erase != nullptr) DeleteObject(erase);
}

GradientTarget& Win32SaverPort::PictureTarget(int index) {
    Picture* p = At(index);
    if (p == nullptr) {
        // A picture that was never made: Draw reports the missing window.
        static HandleTarget missing(0, 0);
        return missing;
    }
    // The first picture a pass draws brings every picture's new geometry.
    ApplyAllGeometry();
    return *p->surface;
}

void Win32SaverPort::RefreshPicture(int index) {
    Picture* p = At(index);
    if (p == nullptr) return;
    if (!holdPresents_) {
        p->surface->Present();
        return;
    }
    // After a change of geometry the pass's pictures show together, once
    // the last of them is drawn.
    for (int later = index + 1; later < kPictureSlots; ++later) {
        if (At(later) != nullptr) return;
    }
    ShowHeldPictures();
}

void Win32SaverPort::EnableTimer(int timer, bool enabled) {
    if (form_ == nullptr) return;
    const UINT interval = timer == kTimer2 ? kTimer2IntervalMs : timer == kTimer1 ? kTimer1IntervalMs : kTimer3IntervalMs;
    if (enabled) {
        SetTimer(form_, static_cast<UINT_PTR>(timer), interval, nullptr);
    } else {
        KillTimer(form_, static_cast<UINT_PTR>(timer));
    }
}

bool Win32SaverPort::ReadCursor(int32_t& x, int32_t& y) {
    POINT at{};
    if (!GetCursorPos(&at)) return false;
    x = at.x;
    y = at.y;
    return true;
}

SaverPort::Wake Win32SaverPort::WaitFrameOrEvents(bool frameWanted) {
    return pacer_.WaitFrame(frameWanted) ? Wake::Frame : Wake::Events;
}

void Win32SaverPort::TellDisplayPower() {
    if (saver_ != nullptr) saver_->Display_Power(!offByState_ && !offByHint_);
}

void Win32SaverPort::Route(MSG& msg) {
    const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                       (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
    if (input && offByHint_ && IsOurs(msg.hwnd)) {
        offByHint_ = false;
        TellDisplayPower();
    }
    if (IsKeyDown(msg.message) && IsOurs(msg.hwnd)) msg.hwnd = form_;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Win32SaverPort::PumpEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // Only End_Saver ends the saver.
        if (msg.message == WM_QUIT) continue;
        Route(msg);
    }
}

void Win32SaverPort::RunEvents() {
    // No pass comes any more: what changes from now on shows at once.
    framesComing_ = false;
    ShowHeldPictures();
    ApplyAllGeometry();
    for (Picture& p : pictures_) {
        if (p.window != nullptr) InvalidateRect(p.window, nullptr, FALSE);
    }
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return;
        if (got == 0) continue;
        Route(msg);
    }
}

void Win32SaverPort::PassDrawn(uint64_t passes) {
    if (form_ != nullptr) SetPropW(form_, kPassesProperty, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(passes)));
}

int32_t Win32SaverPort::VerifyPassword() {
    // Exists only on the 9x family: looked up at run time so the same file
    // runs everywhere. A call that cannot be made refuses.
    HMODULE cpl = LoadLibraryW(L"password.cpl");
    if (cpl == nullptr) return 0;
    using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);
    auto fn = reinterpret_cast<VerifyScreenSavePwdFn>(
        reinterpret_cast<void*>(GetProcAddress(cpl, "VerifyScreenSavePwd")));
    const int32_t result = fn != nullptr ? fn(form_) : 0;
    FreeLibrary(cpl);
    return result;
}

uint64_t Win32SaverPort::ClockReading() {
    // The time of day (100-ns units, though often only as fine as the system
    // tick) mixed with the performance counter, which is finer.
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    const uint64_t day = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return day ^ (static_cast<uint64_t>(counter.QuadPart) * 0x9E3779B97F4A7C15ULL);
}

LRESULT CALLBACK Win32SaverPort::FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = FromUserData<Win32SaverPort>(window);
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->OnFormMessage(window, message, wParam, lParam);
}

LRESULT CALLBACK Win32SaverPort::PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = FromUserData<Win32SaverPort>(window);
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    const auto index = static_cast<int>(GetWindowLongPtrW(window, GWLP_ID));
    return self->OnPictureMessage(index, window, message, wParam, lParam);
}

LRESULT Win32SaverPort::OnFormMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            PaintBackground(window, reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_TIMER:
            if (saver_ == nullptr) return 0;
            if (wParam == kTimer1) saver_->Timer1_Timer();
            if (wParam == kTimer2) saver_->Timer2_Timer();
            if (wParam == kTimer3) saver_->Timer3_Timer();
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (saver_ != nullptr) saver_->Form_KeyDown(static_cast<int16_t>(wParam & 0xFFFF), ShiftState());
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_SYSKEYUP:
            // No menu, no beep: the keys belong to Form_KeyDown.
            return 0;
        case WM_SYSCOMMAND:
            // Already running: the system must not start the saver again.
            if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
            // Older systems announce the display's power here (-1 on, 1 low
            // power, 2 off); the system still does the switching.
            // No "on" may ever follow when input wakes the display, so this
            // "off" only lasts until the next input (see Route).
            if ((wParam & 0xFFF0) == SC_MONITORPOWER) {
                offByHint_ = static_cast<int>(lParam) != -1;
                TellDisplayPower();
            }
            break;
        case WM_POWERBROADCAST:
            if (wParam == PBT_POWERSETTINGCHANGE && lParam != 0) {
                OnPowerSetting(reinterpret_cast<const void*>(lParam));
                return TRUE;
            }
            break;
        case WM_DISPLAYCHANGE:
            // Monitors came, went or changed: the covers follow.
            if (saver_ != nullptr) saver_->Display_Change();
            break;
        case WM_CLOSE:
            // Closed from outside (the system or another program): end the
            // way every other ending goes, music stopped and flags restored.
            if (saver_ != nullptr) {
                saver_->Form_QueryUnload();
                saver_->End_Saver();
            }
            return 0;
        case WM_DESTROY:
            RemovePropW(window, kPassesProperty);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32SaverPort::PaintBackground(HWND window, HDC dc) {
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, backBrush_);
}

void Win32SaverPort::OnPowerSetting(const void* setting) {
    const auto* power = static_cast<const POWERBROADCAST_SETTING*>(setting);
    if (saver_ == nullptr || !IsEqualGUID(power->PowerSetting, kConsoleDisplayState) || power->DataLength < sizeof(DWORD)) {
        return;
    }
    DWORD state = 0;
    memcpy(&state, power->Data, sizeof state);
    // Dimmed still shows the saver.
    offByState_ = state == 0;
    TellDisplayPower();
}

LRESULT CALLBACK Win32SaverPort::CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = FromUserData<Win32SaverPort>(window);
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->OnCoverMessage(window, message, wParam, lParam);
}

// Keys pressed while a picture or a cover has the focus belong to the saver
// window, whose Form_KeyDown must see every one.
bool Win32SaverPort::IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR || message == WM_SYSCHAR ||
           message == WM_SYSKEYUP;
}

LRESULT Win32SaverPort::ForwardKey(UINT message, WPARAM wParam, LPARAM lParam) {
    return form_ != nullptr ? SendMessageW(form_, message, wParam, lParam) : 0;
}

LRESULT Win32SaverPort::OnCoverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsKeyMessage(message)) return ForwardKey(message, wParam, lParam);
    switch (message) {
        case WM_ERASEBKGND:
            PaintBackground(window, reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_MOUSEACTIVATE:
            // A click on a cover is a click on the background.
            return MA_NOACTIVATE;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32SaverPort::OnPictureMessage(int index, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (const int16_t button = ButtonOf(message, wParam); button != 0) {
        if (saver_ != nullptr) {
            saver_->PicDraw_MouseDown(static_cast<int16_t>(index), button, ShiftState(),
                                      static_cast<float>(static_cast<int16_t>(LOWORD(lParam))),
                                      static_cast<float>(static_cast<int16_t>(HIWORD(lParam))));
        }
        return message == WM_XBUTTONDOWN || message == WM_XBUTTONDBLCLK ? TRUE : 0;
    }
    if (IsKeyMessage(message)) return ForwardKey(message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            // From the picture's own surface: never half drawn, never garbage.
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (Picture* p = At(index); p != nullptr && dc != nullptr) p->surface->Present(dc);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace lvx::win32
