#include "saver/win32/frame_pacer_win32.h"

#include <mmsystem.h>

namespace lvx::win32 {
namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

double DisplayRefreshRate() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    // 0 and 1 mean "the hardware's default"; Wine reports 0.
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1) {
        return mode.dmDisplayFrequency;
    }
    return 60;
}

}  // namespace

FramePacer::FramePacer() {
    // Only where composition exists (Vista on); looked up at run time so the
    // same file runs on systems without it.
    dwm_ = LoadLibraryW(L"dwmapi.dll");
    if (dwm_ != nullptr) {
        compositionEnabled_ = reinterpret_cast<DwmIsCompositionEnabledFn>(
            reinterpret_cast<void*>(GetProcAddress(dwm_, "DwmIsCompositionEnabled")));
        flush_ = reinterpret_cast<DwmFlushFn>(reinterpret_cast<void*>(GetProcAddress(dwm_, "DwmFlush")));
    }

    refreshRate_ = DisplayRefreshRate();
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    ticksPerSecond_ = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
    period_ = static_cast<int64_t>(static_cast<double>(ticksPerSecond_) / refreshRate_);

    timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (timer_ == nullptr) {
        // Older systems: a plain timer, with the system clock at 1 ms so that
        // a 16.7 ms wait does not become 31 ms.
        timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
        raisedTimerResolution_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    }
    nextFrame_ = Now() + period_;
}

FramePacer::~FramePacer() {
    if (raisedTimerResolution_) timeEndPeriod(1);
    if (timer_ != nullptr) CloseHandle(timer_);
    if (dwm_ != nullptr) FreeLibrary(dwm_);
}

int64_t FramePacer::Now() const {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

bool FramePacer::UsesCompositor() const {
    BOOL enabled = FALSE;
    return compositionEnabled_ != nullptr && flush_ != nullptr && SUCCEEDED(compositionEnabled_(&enabled)) &&
           enabled;
}

bool FramePacer::EventsPending() const {
    return MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

bool FramePacer::WaitFrame(bool frameWanted) {
    if (!frameWanted) {
        // Nothing to draw: sleep until an event comes.
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        nextFrame_ = Now() + period_;
        return false;
    }
    int64_t now = Now();
    if (UsesCompositor()) {
        // Events first, unless they have held the frame back a whole period.
        if (EventsPending() && now < nextFrame_) return false;
        flush_();
        nextFrame_ = Now() + period_;
        return true;
    }
    if (now < nextFrame_) {
        LARGE_INTEGER due{};
        // Relative, in 100-ns units.
        due.QuadPart = -static_cast<LONGLONG>((nextFrame_ - now) * 10000000 / ticksPerSecond_) - 1;
        if (timer_ != nullptr && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
            if (MsgWaitForMultipleObjectsEx(1, &timer_, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
                WAIT_OBJECT_0 + 1) {
                return false;
            }
        } else {
            const auto ms = static_cast<DWORD>((nextFrame_ - now) * 1000 / ticksPerSecond_ + 1);
            if (MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) {
                return false;
            }
        }
    }
    // Frames keep their rhythm; one that is late moves the rhythm rather
    // than bunching the next ones together.
    nextFrame_ += period_;
    now = Now();
    if (nextFrame_ <= now) nextFrame_ = now + period_;
    return true;
}

}  // namespace lvx::win32
