// The dialog's art as GDI objects: pictures as 32-bit DIB sections, the
// window icon as a 256-colour icon and the hand as a 16-colour cursor.
#pragma once

#include <windows.h>

#include "resources/dialog_art.h"

namespace lvx::win32 {

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

// Copies an opaque picture into a new surface.
DibSurface SurfaceFromImage(const art::Image& image);
// Lays a picture with transparent parts over the surface at (x, y), clipped.
void BlendImage(const DibSurface& target, const art::Image& image, int32_t x, int32_t y);

// The window icon of the given size, from a 256-colour picture.
HICON MakeWindowIcon(int32_t size);
// The hand cursor for a dpi; 32 x 32 with its hot spot at (12, 1) at 96 dpi.
HCURSOR MakeHandCursor(int32_t dpi);

}  // namespace lvx::win32
