// Times Draw of twelve 400 x 400 pictures, as one pass of the saver draws
// them, through the pens and through the bitmap's memory, beside a plain
// fill of the same pixels, back to back and one pass a frame. Prints one
// figure a line, "name value unit", for scripts/bench.sh. A measuring
// program, not a test: it never fails on speed.
//
//   gradient_draw_timing [ROUNDS]   (passes timed per figure, default 20;
//                                    a turn is timed five times)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "render/cls_gradient.h"
#include "render/win32/gradient_port_win32.h"
#include "settings/settings.h"

namespace {

constexpr int kPictures = 12;
constexpr int kSize = 400;

// Today's path: the real port with the bitmap's memory kept closed.
class PensOnlyPort : public lvx::win32::Win32GradientPort {
public:
    bool OpenPixels(lvx::GdiHandle, lvx::PixelSurface&) override { return false; }
};

// Milliseconds per call of work: the best of five batches of rounds / 5
// calls, so that a batch disturbed by other processes does not count.
double Milliseconds(const std::function<void()>& work, int rounds) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    work();  // warm-up
    const int batch = std::max(1, rounds / 5);
    double best = 0;
    for (int b = 0; b < 5; ++b) {
        GdiFlush();
        QueryPerformanceCounter(&start);
        for (int i = 0; i < batch; ++i) work();
        GdiFlush();
        QueryPerformanceCounter(&end);
        const double ms = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                          static_cast<double>(frequency.QuadPart) / batch;
        if (b == 0 || ms < best) best = ms;
    }
    return best;
}

// Milliseconds of one call of work as the saver makes it: once a frame, the
// processor idle in between (a sixtieth of a second), so that the pictures'
// memory is no longer hot in the cache, as it is for calls back to back.
// The median of `passes` calls.
double PacedMilliseconds(const std::function<void()>& work, int passes) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int i = 0; i < passes; ++i) {
        Sleep(16);
        QueryPerformanceCounter(&start);
        work();
        GdiFlush();
        QueryPerformanceCounter(&end);
        ms.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                     static_cast<double>(frequency.QuadPart));
    }
    std::nth_element(ms.begin(), ms.begin() + passes / 2, ms.end());
    return ms[static_cast<size_t>(passes / 2)];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LvxDrawTiming";
    RegisterClassW(&wc);
    std::vector<HWND> windows;
    std::vector<std::unique_ptr<lvx::win32::PictureSurface>> pictures;
    for (int i = 0; i < kPictures; ++i) {
        HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"LvxDrawTiming", L"", WS_POPUP, 0, 0, kSize, kSize, nullptr,
                                    nullptr, wc.hInstance, nullptr);
        if (hwnd == nullptr) return 1;
        windows.push_back(hwnd);
        pictures.push_back(std::make_unique<lvx::win32::PictureSurface>(hwnd));
    }
    PensOnlyPort pensPort;
    lvx::win32::Win32GradientPort memoryPort;
    lvx::clsGradient byPens(pensPort), inMemory(memoryPort);
    std::vector<lvx::PixelSurface> bits(kPictures);
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (!memoryPort.OpenPixels(lvx::win32::ToGdiHandle(pictures[i]->Dc()), bits[i])) {
            std::fprintf(stderr, "the pictures' memory cannot be written\n");
            return 2;
        }
    }

    bool failed = false;
    const auto pass = [&](lvx::clsGradient& g, float angle) {
        return [&g, &pictures, &failed, angle] {
            for (auto& picture : pictures) {
                g.Angle(angle);
                failed = g.Draw(*picture) != lvx::kTrue || failed;
            }
        };
    };
    uint32_t value = 0;
    const auto fill = [&] {
        ++value;
        for (const lvx::PixelSurface& s : bits) {
            for (int32_t y = 0; y < s.height; ++y) std::fill(s.Row(y), s.Row(y) + s.width, value);
        }
    };

    std::printf("# twelve %d x %d pictures, %d passes a figure\n", kSize, kSize, rounds);
    for (float angle : {0.0f, 45.0f, 90.0f, 135.0f, 200.0f, 315.0f}) {
        const double pens = Milliseconds(pass(byPens, angle), rounds);
        const double memory = Milliseconds(pass(inMemory, angle), rounds);
        const double plain = Milliseconds(fill, rounds);
        const int a = static_cast<int>(angle);
        std::printf("pass_pens_a%d %.4f ms\n", a, pens);
        std::printf("pass_memory_a%d %.4f ms\n", a, memory);
        std::printf("pass_fill_a%d %.4f ms\n", a, plain);
        std::printf("ratio_memory_to_fill_a%d %.3f x\n", a, memory / plain);
        std::printf("ratio_pens_to_memory_a%d %.2f x\n", a, pens / memory);
    }
    // The same at the saver's pace, one pass a frame.
    for (float angle : {0.0f, 45.0f, 90.0f, 135.0f, 200.0f, 315.0f}) {
        const double memory = PacedMilliseconds(pass(inMemory, angle), 31);
        const double plain = PacedMilliseconds(fill, 31);
        const int a = static_cast<int>(angle);
        std::printf("paced_memory_a%d %.4f ms\n", a, memory);
        std::printf("paced_fill_a%d %.4f ms\n", a, plain);
        std::printf("ratio_paced_memory_to_fill_a%d %.3f x\n", a, memory / plain);
    }
    // A turn of the saver, every fifth degree: the average pass.
    const auto turn = [&](lvx::clsGradient& g) {
        return [&] {
            for (int angle = 0; angle < 360; angle += 5) pass(g, static_cast<float>(angle))();
        };
    };
    const double pensTurn = Milliseconds(turn(byPens), 5) / 72;
    const double memoryTurn = Milliseconds(turn(inMemory), 5) / 72;
    std::printf("pass_pens_turn %.4f ms\n", pensTurn);
    std::printf("pass_memory_turn %.4f ms\n", memoryTurn);
    std::printf("ratio_pens_to_memory_turn %.2f x\n", pensTurn / memoryTurn);

    pictures.clear();
    for (HWND hwnd : windows) DestroyWindow(hwnd);
    return failed ? 3 : 0;
}
