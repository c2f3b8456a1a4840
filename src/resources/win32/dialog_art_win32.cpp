#include "resources/win32/dialog_art_win32.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace lvx::win32 {

DibSurface SurfaceFromImage(const art::Image& image) {
    DibSurface surface(image.width, image.height);
    if (!surface.Ok()) return surface;
    for (size_t i = 0; i < image.pixels.size(); ++i) surface.Bits()[i] = image.pixels[i] & 0xFFFFFF;
    return surface;
}

void BlendImage(const DibSurface& target, const art::Image& image, int32_t x, int32_t y) {
    if (!target.Ok()) return;
    GdiFlush();
    const int32_t x0 = std::max(0, -x), y0 = std::max(0, -y);
    const int32_t x1 = std::min(image.width, target.Width() - x), y1 = std::min(image.height, target.Height() - y);
    for (int32_t sy = y0; sy < y1; ++sy) {
        uint32_t* row = target.Bits() + static_cast<size_t>(y + sy) * target.Width() + x;
        for (int32_t sx = x0; sx < x1; ++sx) {
            const uint32_t p = image.At(sx, sy);
            const uint32_t a = art::Alpha(p);
            if (a == 0) continue;
            uint32_t& d = row[sx];
            auto mix = [a](uint32_t s, uint32_t t) { return (s * a + t * (255 - a) + 127) / 255; };
            d = (mix(art::Red(p), (d >> 16) & 0xFF) << 16) | (mix(art::Green(p), (d >> 8) & 0xFF) << 8) |
                mix(art::Blue(p), d & 0xFF);
        }
    }
}

namespace {

// An icon or cursor from a picture of few colours: a palette DIB of bitCount
// bits per pixel (index 0 black, under the transparent pixels) and a
// monochrome mask.
HICON MakePaletteIcon(const art::Image& image, int bitCount, bool icon, int32_t hotX, int32_t hotY) {
    const art::Indexed indexed = art::ToPalette(image);
    const size_t colours = indexed.palette.size() + 1;
    if (indexed.indices.empty() || colours > (size_t{1} << bitCount)) return nullptr;

    std::vector<uint8_t> infoBytes(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * (size_t{1} << bitCount));
    auto* info = reinterpret_cast<BITMAPINFO*>(infoBytes.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = image.width;
    info->bmiHeader.biHeight = -image.height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biClrUsed = static_cast<DWORD>(colours);
    for (size_t i = 0; i < indexed.palette.size(); ++i) {
        const uint32_t c = indexed.palette[i];
        info->bmiColors[i + 1] = RGBQUAD{static_cast<BYTE>(c & 0xFF), static_cast<BYTE>((c >> 8) & 0xFF),
                                         static_cast<BYTE>((c >> 16) & 0xFF), 0};
    }
    void* memory = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (colour == nullptr || memory == nullptr) return nullptr;
    const size_t stride = ((static_cast<size_t>(image.width) * bitCount + 31) / 32) * 4;
    const size_t maskStride = ((static_cast<size_t>(image.width) + 15) / 16) * 2;
    std::vector<uint8_t> mask(maskStride * image.height, 0);
    auto* bits = static_cast<uint8_t*>(memory);
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const size_t i = static_cast<size_t>(y) * image.width + x;
            const unsigned index = indexed.transparent[i] ? 0u : indexed.indices[i] + 1u;
            if (indexed.transparent[i]) mask[y * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            if (bitCount == 8) {
                bits[y * stride + x] = static_cast<uint8_t>(index);
            } else {
                uint8_t& b = bits[y * stride + x / 2];
                b = static_cast<uint8_t>((x % 2) ? (b & 0xF0) | index : (b & 0x0F) | (index << 4));
            }
        }
    }
    HBITMAP maskBitmap = CreateBitmap(image.width, image.height, 1, 1, mask.data());
    ICONINFO iconInfo{};
    iconInfo.fIcon = icon ? TRUE : FALSE;
    iconInfo.xHotspot = static_cast<DWORD>(hotX);
    iconInfo.yHotspot = static_cast<DWORD>(hotY);
    iconInfo.hbmMask = maskBitmap;
    iconInfo.hbmColor = colour;
    HICON result = maskBitmap != nullptr ? CreateIconIndirect(&iconInfo) : nullptr;
    if (maskBitmap != nullptr) DeleteObject(maskBitmap);
    DeleteObject(colour);
    return result;
}

}  // namespace

HICON MakeWindowIcon(int32_t size) { return MakePaletteIcon(art::WindowIcon(size), 8, true, 0, 0); }

HCURSOR MakeHandCursor(int32_t dpi) {
    const art::Cursor hand = art::HandCursor(dpi);
    return MakePaletteIcon(hand.image, 4, false, hand.hotX, hand.hotY);
}

}  // namespace lvx::win32
