// The saver's drawing object: two colours and an angle, painted as a straight
// gradient of one-pixel lines over a window's client area.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lvx {

// A platform handle (window, device context, pen) as an opaque number; 0 is none.
using GdiHandle = std::uintptr_t;

// Title of the warning box that reports a failed Draw.
inline constexpr std::string_view kAppTitle = "Lumvex_K47";

// 32-bit pixels as a DIB section holds them (0x00RRGGBB), seen from the top
// row down whatever their order in memory.
struct PixelSurface {
    uint32_t* topRow = nullptr;  // first pixel of the top row
    int32_t width = 0;
    int32_t height = 0;
    std::ptrdiff_t rowStep = 0;  // pixels from a row to the one below (negative for bottom-up memory)
    uint32_t* Row(int32_t y) const { return topRow + rowStep * y; }
};

// What the gradient needs of the platform: the system colours for the colour
// setters, and the few GDI calls of Draw.
class GradientPort {
public:
    virtual ~GradientPort() = default;
    // The current colour (0x00BBGGRR) of a system-colour index 0 to 24.
    virtual int32_t SystemColor(int32_t index) = 0;
    // Suspends repainting of the window; 0 lifts the lock.
    virtual void LockUpdates(GdiHandle window) = 0;
    // Right and bottom of the window's client rectangle; false when it cannot be read.
    virtual bool ReadClientRect(GdiHandle window, int32_t& right, int32_t& bottom) = 0;
    // A solid pen one pixel wide.
    virtual GdiHandle CreateSolidPen(int32_t color) = 0;
    // Makes the object current in the device context; returns the one it replaces.
    virtual GdiHandle SelectIntoDc(GdiHandle dc, GdiHandle object) = 0;
    virtual void MoveTo(GdiHandle dc, int32_t x, int32_t y) = 0;
    // Draws from the current position up to, not including, the given point.
    virtual void DrawLineTo(GdiHandle dc, int32_t x, int32_t y) = 0;
    virtual void DeletePen(GdiHandle pen) = 0;
    // A modal warning box with an OK button; texts are UTF-8.
    virtual void ShowWarning(std::string_view text, std::string_view title) = 0;
    // The pixels of the 32-bit bitmap selected into dc, flushed and ready to
    // be written, when dc would put a line's pixels exactly where writing
    // them into that memory does (no clipping, mapping, mirroring or mix mode
    // of its own). False for any other device context, which gets the pens.
    // Every port answers it: a wrapper that forgot to pass it on would quietly
    // send every picture back to the pens.
    virtual bool OpenPixels(GdiHandle dc, PixelSurface& pixels) = 0;
};

// What Draw paints on: something that gives a window handle and a device
// context. Either may fail by throwing an exception whose text (UTF-8) is
// what the user is shown.
class GradientTarget {
public:
    virtual ~GradientTarget() = default;
    virtual GdiHandle WindowHandle() = 0;
    virtual GdiHandle DeviceContext() = 0;
};

// Raised by a target that cannot give what Draw asks of it.
class TargetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A target made of two known handles; a handle of 0 counts as missing and
// asking for it raises TargetError.
class HandleTarget : public GradientTarget {
public:
    HandleTarget(GdiHandle window, GdiHandle dc) : window_(window), dc_(dc) {}
    GdiHandle WindowHandle() override;
    GdiHandle DeviceContext() override;

private:
    GdiHandle window_;
    GdiHandle dc_;
};

// A point of the guide segment, in 32-bit floats.
struct GuidePoint {
    float x = 0;
    float y = 0;
};

// An end point of a drawn line, in pixels.
struct LinePoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const LinePoint&, const LinePoint&) = default;
};

// Everything DrawLines computes before it draws: points 2k and 2k + 1 are the
// ends of line k (a last unpaired point is never drawn), and line k is drawn
// in colors[k].
struct GradientLines {
    std::vector<LinePoint> points;
    std::vector<int32_t> colors;
    int32_t LineCount() const { return static_cast<int32_t>(points.size() / 2); }
    // What DrawLines returns after drawing them all: twice the line count.
    int32_t DrawResult() const { return LineCount() * 2; }
};

class clsGradient {
public:
    // The port must outlive the object.
    explicit clsGradient(GradientPort& port);

    // Paints the whole client area of the target. True (-1) when the
    // gradient was drawn, false (0) otherwise. Never throws on the target's
    // account: a target error is shown in a warning box and gives false.
    int16_t Draw(GradientTarget& picObj);

    // Fills laRetColors with lSteps colours (at least 2) running from lColor1
    // towards lColor2 and returns the count. A table that cannot be sized
    // throws std::bad_alloc.
    static int32_t BlendColors(int32_t lColor1, int32_t lColor2, int32_t lSteps,
                               std::vector<int32_t>& laRetColors);
    // On (the default), the inner entries two at a time with SSE2 or
    // WebAssembly's SIMD where the build has it; off, one at a time. Both
    // give the same tables; tests switch.
    static void UseWideBlend(bool on);

    // Colours are 0x00BBGGRR; 0x80000000 + index (0 to 24) takes the system
    // colour current at the moment of setting.
    void Color1(int32_t lData);
    int32_t Color1() const { return color1_; }
    void Color2(int32_t lData);
    int32_t Color2() const { return color2_; }
    // Degrees, stored reduced into [0, 360) (a value just below 360 may round to 360).
    void Angle(float fData);
    float Angle() const { return angle_; }

    // The lines and colours that Draw would paint on a w x h client area.
    // Throws std::overflow_error when a coordinate leaves 32 bits, and
    // std::length_error for an area too large to hold its lines (2^24 points).
    GradientLines PlanLines(int32_t w, int32_t h) const;

private:
    int32_t DrawLines(GdiHandle hdc, int32_t w, int32_t h);
    static void RotatePoint(const GuidePoint& centre, GuidePoint& point, float degrees);
    static double SafeDivide(double dividend, double divisor);
    int32_t Resolve(int32_t color);

    // The lines of the last Draw, kept for the next one of the same angle
    // and size (the pictures of a pass differ only in colours).
    struct LastPlan;
    std::shared_ptr<LastPlan> last_;

    GradientPort& port_;
    int32_t color1_ = 0x00FFFFD0;
    int32_t color2_ = 0x00400000;
    float angle_ = 315.0f;
};

}  // namespace lvx
