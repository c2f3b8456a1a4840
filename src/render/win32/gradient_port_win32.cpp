#include "render/win32/gradient_port_win32.h"

#include <string>

#include "settings/win32/text_win32.h"

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
