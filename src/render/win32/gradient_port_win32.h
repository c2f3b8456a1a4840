// The gradient's port on Windows: real GDI and user32 calls, and a target
// made of a window and its device context.
#pragma once

#include <windows.h>

#include "render/cls_gradient.h"

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

inline GdiHandle ToGdiHandle(const void* handle) { return reinterpret_cast<GdiHandle>(handle); }

template <class H>
H FromGdiHandle(GdiHandle handle) {
    return reinterpret_cast<H>(handle);
}

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

// The persistent picture of a window: a 32-bit off-screen bitmap of the
// window's client size in a memory DC. Draw gets the window (for the lock
// and the size) and the memory DC; Present copies the picture to the window,
// as a refresh or from WM_PAINT. Resize after the window's size changed.
class PictureSurface : public GradientTarget {
public:
    explicit PictureSurface(HWND window);
    ~PictureSurface() override;
    PictureSurface(const PictureSurface&) = delete;
    PictureSurface& operator=(const PictureSurface&) = delete;

    GdiHandle WindowHandle() override;
    GdiHandle DeviceContext() override;

    // Makes the bitmap the window's current client size, cleared to black.
    void Resize();
    // Copies the picture to dc (the window's own when null).
    void Present(HDC dc = nullptr) const;
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // A pixel as 0x00BBGGRR, or -1 outside the picture.
    int32_t Pixel(int x, int y) const;

private:
    HWND window_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ formerBitmap_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace lvx::win32
