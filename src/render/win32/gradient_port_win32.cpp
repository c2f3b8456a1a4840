#include "render/win32/gradient_port_win32.h"

#include <string>

#include "common/win32/text_win32.h"

namespace lvx::win32 {

int32_t Win32GradientPort::SystemColor(int32_t index) {
    return static_cast<int32_t>(::GetSysColor(index));
}

void Win32GradientPort::LockUpdates(GdiHandle window) {
    ::LockWindowUpdate(FromGdiHandle<HWND>(window));
}

bool Win32GradientPort::ReadClientRect(GdiHandle window, int32_t& right, int32_t& bottom) {
    RECT rect{};
    if (!::GetClientRect(FromGdiHandle<HWND>(window), &rect)) return false;
    right = rect.right;
    bottom = rect.bottom;
    return true;
}

GdiHandle Win32GradientPort::CreateSolidPen(int32_t color) {
    return ToGdiHandle(::CreatePen(PS_SOLID, 1, static_cast<COLORREF>(color)));
}

GdiHandle Win32GradientPort::SelectIntoDc(GdiHandle dc, GdiHandle object) {
    return ToGdiHandle(::SelectObject(FromGdiHandle<HDC>(dc), FromGdiHandle<HGDIOBJ>(object)));
}

void Win32GradientPort::MoveTo(GdiHandle dc, int32_t x, int32_t y) {
    POINT former{};
    ::MoveToEx(FromGdiHandle<HDC>(dc), x, y, &former);
}

void Win32GradientPort::DrawLineTo(GdiHandle dc, int32_t x, int32_t y) {
    ::LineTo(FromGdiHandle<HDC>(dc), x, y);
}

void Win32GradientPort::DeletePen(GdiHandle pen) { ::DeleteObject(FromGdiHandle<HGDIOBJ>(pen)); }

void Win32GradientPort::ShowWarning(std::string_view text, std::string_view title) {
    ::MessageBoxW(::GetActiveWindow(), Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(),
                  MB_OK | MB_ICONWARNING);
}

bool Win32GradientPort::OpenPixels(GdiHandle dc, PixelSurface& pixels) {
    HDC hdc = FromGdiHandle<HDC>(dc);
    HGDIOBJ bitmap = ::GetCurrentObject(hdc, OBJ_BITMAP);
    DIBSECTION dib{};
    // A device-dependent bitmap answers with a BITMAP only.
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof dib, &dib) != static_cast<int>(sizeof dib)) return false;
    const BITMAP& bm = dib.dsBm;
    if (bm.bmBits == nullptr || bm.bmBitsPixel != 32 || bm.bmPlanes != 1 || bm.bmWidth <= 0 || bm.bmHeight == 0) {
        return false;
    }
    const bool plainRgb = dib.dsBmih.biCompression == BI_RGB ||
                          (dib.dsBmih.biCompression == BI_BITFIELDS && dib.dsBitfields[0] == 0xFF0000 &&
                           dib.dsBitfields[1] == 0xFF00 && dib.dsBitfields[2] == 0xFF);
    if (!plainRgb) return false;

    // Lines land where the memory writes put them only with logical units
    // equal to pixels at the bitmap's origin, no mirroring, the pen's own
    // colour, and nothing clipped but the bitmap's edges.
    const int height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    POINT viewport{1, 1}, window{1, 1};
    RECT clip{};
    if (::GetMapMode(hdc) != MM_TEXT || ::GetGraphicsMode(hdc) != GM_COMPATIBLE || ::GetLayout(hdc) != 0 ||
        ::GetROP2(hdc) != R2_COPYPEN || !::GetViewportOrgEx(hdc, &viewport) || viewport.x != 0 || viewport.y != 0 ||
        !::GetWindowOrgEx(hdc, &window) || window.x != 0 || window.y != 0 ||
        ::GetClipBox(hdc, &clip) != SIMPLEREGION || clip.left != 0 || clip.top != 0 || clip.right != bm.bmWidth ||
        clip.bottom != height) {
        return false;
    }

    // GDI may still be drawing into the bits.
    ::GdiFlush();
    const std::ptrdiff_t stride = bm.bmWidthBytes / 4;
    auto* bits = static_cast<uint32_t*>(bm.bmBits);
    uint32_t* lastInMemory = bits + stride * (height - 1);
    // GetObject gives the height as positive whichever row comes first in
    // memory, so ask GDI which one it shows at the top: mark the first word
    // of the first and of the last row in memory, read the top-left pixel,
    // and put both words back.
    bool topDown = true;
    if (height > 1) {
        const uint32_t first = bits[0], last = lastInMemory[0];
        bits[0] = 0x00000000;
        lastInMemory[0] = 0x00FFFFFF;
        const COLORREF seen = ::GetPixel(hdc, 0, 0);
        bits[0] = first;
        lastInMemory[0] = last;
        if (seen != 0x00000000 && seen != 0x00FFFFFF) return false;
        topDown = seen == 0x00000000;
    }
    pixels.width = bm.bmWidth;
    pixels.height = height;
    pixels.topRow = topDown ? bits : lastInMemory;
    pixels.rowStep = topDown ? stride : -stride;
    return true;
}

WindowTarget::~WindowTarget() {
    if (fetched_) ::ReleaseDC(window_, dc_);
}

GdiHandle WindowTarget::WindowHandle() {
    if (window_ == nullptr || !::IsWindow(window_)) {
        throw TargetError("描画先のウィンドウハンドルを取得できません。");
    }
    return ToGdiHandle(window_);
}

GdiHandle WindowTarget::DeviceContext() {
    if (dc_ == nullptr) {
        dc_ = ::GetDC(window_);
        if (dc_ == nullptr) throw TargetError("描画先のデバイスコンテキストを取得できません。");
        fetched_ = true;
    }
    return ToGdiHandle(dc_);
}
}  // namespace lvx::win32
