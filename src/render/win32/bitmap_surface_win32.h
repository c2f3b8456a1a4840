// The Windows shell's bitmap surfaces: 32-bit DIB sections in memory DCs,
// one for the dialog's art and one that keeps a window's picture.
#pragma once

#include <windows.h>

#include <cstdint>

#include "render/cls_gradient.h"

namespace lvx::win32 {

inline GdiHandle ToGdiHandle(const void* handle) { return reinterpret_cast<GdiHandle>(handle); }

template <class H>
H FromGdiHandle(GdiHandle handle) {
    return reinterpret_cast<H>(handle);
}

// A 32-bit top-down DIB section selected into its own memory DC; pixels are
// 0x00RRGGBB, first row at the top.
class DibSurface {
public:
    DibSurface() = default;
    DibSurface(int32_t width, int32_t height);
    ~DibSurface();
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    DibSurface(DibSurface&& other) noexcept;
    DibSurface& operator=(DibSurface&& other) noexcept;

    bool Ok() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // The pixels; GDI drawing must be flushed (GdiFlush) before they are touched.
    uint32_t* Bits() const { return bits_; }

private:
    void Reset();
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ former_ = nullptr;
    uint32_t* bits_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
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
