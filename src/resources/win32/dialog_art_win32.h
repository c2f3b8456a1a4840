// The dialog's art as GDI objects: pictures as 32-bit DIB sections, the
// window icon as a 256-colour icon and the hand as a 16-colour cursor.
#pragma once

#include <windows.h>

#include "render/win32/bitmap_surface_win32.h"
#include "resources/dialog_art.h"

namespace lvx::win32 {

// Copies an opaque picture into a new surface.
DibSurface SurfaceFromImage(const art::Image& image);
// Lays a picture with transparent parts over the surface at (x, y), clipped.
void BlendImage(const DibSurface& target, const art::Image& image, int32_t x, int32_t y);

// The window icon of the given size, from a 256-colour picture.
HICON MakeWindowIcon(int32_t size);
// The hand cursor for a dpi; 32 x 32 with its hot spot at (12, 1) at 96 dpi.
HCURSOR MakeHandCursor(int32_t dpi);

}  // namespace lvx::win32
