// The gradient's port as the running saver hands it over: every call goes to
// the real port, but only the first failed Draw of a run shows its warning box.
// Behind a topmost full-screen window a box for every picture of every pass
// would pile up unseen and hold the saver still.
#pragma once

#include "render/cls_gradient.h"

namespace lvx {

class WarnOnceGradientPort : public GradientPort {
public:
    explicit WarnOnceGradientPort(GradientPort& inner) : inner_(inner) {}

    int32_t SystemColor(int32_t index) override { return inner_.SystemColor(index); }
    void LockUpdates(GdiHandle window) override { inner_.LockUpdates(window); }
    bool ReadClientRect(GdiHandle window, int32_t& right, int32_t& bottom) override {
        return inner_.ReadClientRect(window, right, bottom);
    }
    GdiHandle CreateSolidPen(int32_t color) override { return inner_.CreateSolidPen(color); }
    GdiHandle SelectIntoDc(GdiHandle dc, GdiHandle object) override { return inner_.SelectIntoDc(dc, object); }
    void MoveTo(GdiHandle dc, int32_t x, int32_t y) override { inner_.MoveTo(dc, x, y); }
    void DrawLineTo(GdiHandle dc, int32_t x, int32_t y) override { inner_.DrawLineTo(dc, x, y); }
    void DeletePen(GdiHandle pen) override { inner_.DeletePen(pen); }
    bool OpenPixels(GdiHandle dc, PixelSurface& pixels) override { return inner_.OpenPixels(dc, pixels); }
    void ShowWarning(std::string_view text, std::string_view title) override {
        if (warned_) return;
        warned_ = true;
        inner_.ShowWarning(text, title);
    }

private:
    GradientPort& inner_;
    bool warned_ = false;
};

}  // namespace lvx
