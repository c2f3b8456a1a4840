#include "dialog/win32/zoom_win32.h"

#include "dialog/zoom.h"
#include "settings/settings.h"

namespace lvx::win32 {
namespace {

ScreenRect WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

void Animate(HWND window, const ZoomRects& rects) {
    const RECT from{rects.from.left, rects.from.top, rects.from.right, rects.from.bottom};
    const RECT to{rects.to.left, rects.to.top, rects.to.right, rects.to.bottom};
    ApiResult = DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

}  // namespace

void Zoom_Open(HWND window) { Animate(window, ZoomOpenRects(WindowRect(window))); }

void Zoom_Close(HWND window) { Animate(window, ZoomCloseRects(WindowRect(window))); }

}  // namespace lvx::win32
