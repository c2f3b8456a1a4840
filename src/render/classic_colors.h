// The gradient off Windows: no windows to draw on, and the classic Windows
// defaults standing in for the system colours.
#pragma once

#include <cstdint>

#include "render/cls_gradient.h"

namespace lvx {

// The classic Windows ("Windows Standard") default of system-colour index
// 0 to 24 as 0x00BBGGRR; black for any other index.
int32_t ClassicSystemColor(int32_t index);

// A platform without windows: system colours from the classic table, every
// window's client rectangle unreadable, so Draw paints nothing and gives
// false. With no window there is nothing to draw on and no box to show.
class HeadlessGradientPort : public GradientPort {
public:
    int32_t SystemColor(int32_t index) override { return ClassicSystemColor(index); }
    void LockUpdates(GdiHandle) override {}
    bool ReadClientRect(GdiHandle, int32_t&, int32_t&) override { return false; }
    GdiHandle CreateSolidPen(int32_t) override { return 0; }
    GdiHandle SelectIntoDc(GdiHandle, GdiHandle) override { return 0; }
    void MoveTo(GdiHandle, int32_t, int32_t) override {}
    void DrawLineTo(GdiHandle, int32_t, int32_t) override {}
    void DeletePen(GdiHandle) override {}
    void ShowWarning(std::string_view, std::string_view) override {}
    bool OpenPixels(GdiHandle, PixelSurface&) override { return false; }
};

}  // namespace lvx
