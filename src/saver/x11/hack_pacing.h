// How often the X11 hack draws: the refresh rate of the monitor that shows
// most of its window, and the time between passes that follows from it and
// from -delay. Portable: the X11 port supplies the monitors.
#pragma once

#include <cstdint>
#include <vector>

namespace lvx::hack {

// With no -delay: at most 60 passes a second (1 000 000 / 16 667), the
// turning speed of the Windows program, and never faster than the refresh.
inline constexpr long kDefaultDelayMicroseconds = 16667;
// The rate assumed when no monitor tells its own.
inline constexpr double kFallbackRefreshHz = 60;

// A monitor (a CRTC that shows something) and its refresh rate; 0 Hz when
// its mode does not tell.
struct Monitor {
    int32_t x = 0, y = 0, width = 0, height = 0;
    double hz = 0;
};

// The refresh rate of the monitor holding the largest part of the area
// (the first of equals); the fallback when no monitor overlaps it or that
// monitor's rate is unknown or absurd.
double RefreshOfArea(const std::vector<Monitor>& monitors, int32_t x, int32_t y, int32_t width, int32_t height);

// Microseconds from one pass to the next: at least the delay, never less
// than one refresh period.
int64_t PassPeriodMicroseconds(double refreshHz, long delayMicroseconds);

}  // namespace lvx::hack
