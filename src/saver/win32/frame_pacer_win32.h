// Paces the rotation loop to the display: one pass per displayed frame, and
// no pass while nothing needs drawing. Input and other events wake it at
// once, so they are served without waiting for the frame.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lvx::win32 {

class FramePacer {
public:
    FramePacer();
    ~FramePacer();
    FramePacer(const FramePacer&) = delete;
    FramePacer& operator=(const FramePacer&) = delete;

    // True: the next frame is due (or no frame is wanted and events are
    // pending); false: events are pending before the frame is due.
    bool WaitFrame(bool frameWanted);

    // The refresh rate in use, in frames per second.
    double RefreshRate() const { return refreshRate_; }
    // How the frames are timed: by the compositor's vertical blank, or by a
    // waitable timer set to the refresh period.
    bool UsesCompositor() const;

private:
    bool EventsPending() const;
    int64_t Now() const;

    using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
    using DwmFlushFn = HRESULT(WINAPI*)();
    HMODULE dwm_ = nullptr;
    DwmIsCompositionEnabledFn compositionEnabled_ = nullptr;
    DwmFlushFn flush_ = nullptr;

    HANDLE timer_ = nullptr;
    bool raisedTimerResolution_ = false;
    double refreshRate_ = 60;
    int64_t ticksPerSecond_ = 1;
    int64_t period_ = 0;  // in performance-counter ticks
    int64_t nextFrame_ = 0;
};

}  // namespace lvx::win32
