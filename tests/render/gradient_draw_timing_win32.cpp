// Times Draw of a 400 x 400 picture with the real GDI at a few angles and
// prints milliseconds per Draw and lines per second. A measuring program,
// not a test: it never fails on speed.
#include <windows.h>

#include <cstdio>

#include "render/cls_gradient.h"
#include "render/win32/gradient_port_win32.h"

int main() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LvxDrawTiming";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, L"LvxDrawTiming", L"", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (hwnd == nullptr) return 1;
    lvx::win32::Win32GradientPort port;
    lvx::clsGradient g(port);
    lvx::win32::PictureSurface surface(hwnd);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::printf("Draw of a 400 x 400 picture with GDI\n");
    for (float angle : {0.0f, 45.0f, 315.0f}) {
        g.Angle(angle);
        const int lines = g.PlanLines(400, 400).LineCount();
        g.Draw(surface);  // warm-up
        const int rounds = 200;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < rounds; ++i) {
            g.Angle(angle);
            if (g.Draw(surface) == 0) return 2;
        }
        GdiFlush();
        QueryPerformanceCounter(&end);
        const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
        std::printf("angle %3.0f: %d lines, %.3f ms per Draw, %.0f lines/s\n", angle, lines,
                    seconds * 1000.0 / rounds, lines * rounds / seconds);
    }
    DestroyWindow(hwnd);
    return 0;
}
