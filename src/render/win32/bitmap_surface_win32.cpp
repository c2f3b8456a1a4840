#include "render/win32/bitmap_surface_win32.h"

#include <utility>

namespace lvx::win32 {

DibSurface::DibSurface(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    if (bitmap_ == nullptr || dc_ == nullptr || memory == nullptr) {
        Reset();
        return;
    }
    former_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<uint32_t*>(memory);
    width_ = width;
    height_ = height;
}

void DibSurface::Reset() {
    if (dc_ != nullptr && former_ != nullptr) SelectObject(dc_, former_);
    if (dc_ != nullptr) DeleteDC(dc_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    former_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
}

DibSurface::~DibSurface() { Reset(); }

DibSurface::DibSurface(DibSurface&& other) noexcept { *this = std::move(other); }

DibSurface& DibSurface::operator=(DibSurface&& other) noexcept {
    if (this != &other) {
        Reset();
        dc_ = std::exchange(other.dc_, nullptr);
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        former_ = std::exchange(other.former_, nullptr);
        bits_ = std::exchange(other.bits_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
    }
    return *this;
}

PictureSurface::PictureSurface(HWND window) : window_(window) {
    dc_ = ::CreateCompatibleDC(nullptr);
    Resize();
}

PictureSurface::~PictureSurface() {
    if (formerBitmap_ != nullptr) ::SelectObject(dc_, formerBitmap_);
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    if (dc_ != nullptr) ::DeleteDC(dc_);
}

void PictureSurface::Resize() {
    RECT rect{};
    if (window_ == nullptr || !::GetClientRect(window_, &rect)) rect = RECT{};
    const int w = rect.right > 0 ? rect.right : 0;
    const int h = rect.bottom > 0 ? rect.bottom : 0;
    if (bitmap_ != nullptr && w == width_ && h == height_) {
        ::PatBlt(dc_, 0, 0, w, h, BLACKNESS);
        return;
    }
    if (formerBitmap_ != nullptr) ::SelectObject(dc_, formerBitmap_);
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    bitmap_ = nullptr;
    formerBitmap_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
    if (dc_ == nullptr || w == 0 || h == 0) return;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ == nullptr) return;
    bits_ = static_cast<uint32_t*>(bits);
    formerBitmap_ = ::SelectObject(dc_, bitmap_);
    width_ = w;
    height_ = h;
    ::PatBlt(dc_, 0, 0, w, h, BLACKNESS);
}

GdiHandle PictureSurface::WindowHandle() {
    if (window_ == nullptr || !::IsWindow(window_)) {
        throw TargetError("描画先のウィンドウハンドルを取得できません。");
    }
    return ToGdiHandle(window_);
}

GdiHandle PictureSurface::DeviceContext() {
    if (dc_ == nullptr || bitmap_ == nullptr) {
        throw TargetError("描画先のデバイスコンテキストを取得できません。");
    }
    return ToGdiHandle(dc_);
}

void PictureSurface::Present(HDC dc) const {
    if (bitmap_ == nullptr) return;
    HDC target = dc != nullptr ? dc : ::GetDC(window_);
    if (target == nullptr) return;
    ::BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    if (dc == nullptr) ::ReleaseDC(window_, target);
}

int32_t PictureSurface::Pixel(int x, int y) const {
    if (bits_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    ::GdiFlush();
    const uint32_t rgb = bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
    return static_cast<int32_t>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

}  // namespace lvx::win32
