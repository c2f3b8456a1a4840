// The gradient's port on Windows: real GDI and user32 calls, and a target
// made of a window and its device context.
#pragma once

#include <windows.h>

#include "render/cls_gradient.h"
#include "render/win32/bitmap_surface_win32.h"

namespace lvx::win32 {

class Win32GradientPort : public GradientPort {
public:
    int32_t SystemColor(int32_t index) override;
    void LockUpdates(GdiHandle window) override;
    bool ReadClientRect(GdiHandle window, int32_t& right, int32_t& bottom) override;
    GdiHandle CreateSolidPen(int32_t color) override;
    GdiHandle SelectIntoDc(GdiHandle dc, GdiHandle object) override;
    void MoveTo(GdiHandle dc, int32_t x, int32_t y) override;
    void DrawLineTo(GdiHandle dc, int32_t x, int32_t y) override;
    void DeletePen(GdiHandle pen) override;
    void ShowWarning(std::string_view text, std::string_view title) override;
    bool OpenPixels(GdiHandle dc, PixelSurface& pixels) override;
};

// A window to draw on directly. With a device context given, that one is
// used; without, the window's DC is fetched when Draw asks for it (inside
// the window lock) and released with the target. Note that Windows may
// discard drawing into a window while its updates are locked; a
// PictureSurface keeps the picture whatever the lock does.
// Asking for the handle of something that is not a window raises TargetError.
class WindowTarget : public GradientTarget {
public:
    explicit WindowTarget(HWND window, HDC dc = nullptr) : window_(window), dc_(dc) {}
    ~WindowTarget() override;
    WindowTarget(const WindowTarget&) = delete;
    WindowTarget& operator=(const WindowTarget&) = delete;

    GdiHandle WindowHandle() override;
    GdiHandle DeviceContext() override;

private:
    HWND window_;
    HDC dc_;
    bool fetched_ = false;
};
}  // namespace lvx::win32
