// Helper of the whole-program tests, run under Wine. One program with a few
// commands, so that each test is a handful of shell lines:
//
//   host W H [X Y]         a host window of W x H pixels at screen (X, Y); prints
//                          its number. Reads commands from stdin: "destroy"
//                          destroys the window (prints "destroyed"); "quit" or
//                          the end of input ends the process.
//   preview-host W H [X Y] the same, with the preview opened in this process on
//                          a second thread (what another process draws inside a
//                          host never reaches the screen under Wine). Prints
//                          "open 1" or "open 0", and "ended" when the
//                          preview's message loop has ended.
//   caption TEXT           a small window captioned TEXT (from a UTF-8 command
//                          line); prints its number; lives until "quit".
//   children HWND          one line per child window of HWND:
//                          "HWND X Y W H VISIBLE PID CAPTION", X and Y in the
//                          parent's client area.
//   watch MS CAPTION...    for MS milliseconds, prints "seen HWND PID CAPTION" for
//                          each top-level window with one of the captions that
//                          did not exist when the watch began; the caption "*"
//                          stands for any visible window. "quit" ends it
//                          sooner, after one last look.
//   picture FILE           writes the preview's still picture as a PPM file.
//   run PROGRAM [TEXT]     starts PROGRAM with exactly the argument text TEXT,
//                          prints "pid N", waits and ends with its exit code.
//                          The program is ended with this one (a job).
//   client CAPTION         "X Y W H HWND": the client area, in screen pixels,
//                          of the top-level window captioned CAPTION, and the
//                          window; nothing (exit code 1) when there is none.
//   controls CAPTION       one line per real control inside that window:
//                          "CLASS ENABLED X Y W H VALUE", X and Y in its client
//                          area; VALUE is a scroll bar's position or a combo
//                          box's text.
//   close CAPTION          sends that window the system close command.
//   top PID                "HWND X Y W H CAPTION" per visible top-level window
//                          of the process PID (the window's whole rectangle).
//   same-file PATH PATH    "1" when both paths open the same file, else "0".
//   set-edit PID TEXT      puts TEXT into the first edit box of the newest
//                          visible top-level window of PID that is not the
//                          settings dialog (a chooser); prints that window's
//                          "HWND X Y W H".
//   cursor                 "HANDLE ARROW": the mouse pointer's current shape,
//                          ARROW 1 when it is the system's arrow.
//   dpi                    the dots per inch the settings dialog lays out for.
//   firstframe PROGRAM TEXT X Y
//                          as run, and also prints "window MS" when the saver
//                          window is first visible and "frame MS" when the
//                          screen pixel (X, Y) first changes, counted from the
//                          process's creation; and "exit MS" when it ends.
//   passes [MS]            the running saver's pass count: "passes N", or
//                          "passes none" without a saver window; with MS, also
//                          "rate R" (passes per second over MS milliseconds).
//   procinfo PID           "handles N workingset KB pagefile KB gdi N user N"
//                          of a process.
//   display on|off sc|pbt  tells the running saver that the display went off
//                          or came back, as older systems do (WM_SYSCOMMAND
//                          SC_MONITORPOWER) or as Vista and later do (a
//                          GUID_CONSOLE_DISPLAY_STATE power-setting change,
//                          its data written into the saver's memory).
//   monitors               one line "LEFT TOP RIGHT BOTTOM" per monitor.
//   covers                 one line "LEFT TOP RIGHT BOTTOM" per visible
//                          top-level window of the saver's process other
//                          than the saver window itself.
//   serve                  answers one-shot commands (not host, preview-host,
//                          caption, watch, run, firstframe) read one per line:
//                          "TOKEN<tab>COMMAND<tab>ARG...", in UTF-8. Prints
//                          the command's output, then "lvx-e2e-done TOKEN
//                          STATUS". One process for all of a test's queries,
//                          since each Wine start costs most of a second.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <iostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/lvx_r_win32.h"
#include "dialog/win32/lvx_p_win32.h"
#include "saver/win32/lvx_s_win32.h"

namespace {

constexpr UINT kDestroyCommand = WM_APP + 1;
// "resize W H": the host (and its frame) take a new size.
constexpr UINT kResizeCommand = WM_APP + 7;
constexpr UINT kEndCommand = WM_APP + 2;
constexpr UINT kPreviewEnded = WM_APP + 3;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Caption(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

void Say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

// Commands from stdin become thread messages of the main thread.
void ReadCommands(DWORD mainThread) {
    std::thread([mainThread] {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line == "destroy") PostThreadMessageW(mainThread, kDestroyCommand, 0, 0);
            int w = 0, h = 0;
            if (std::sscanf(line.c_str(), "resize %d %d", &w, &h) == 2) {
                PostThreadMessageW(mainThread, kResizeCommand, static_cast<WPARAM>(w), static_cast<LPARAM>(h));
            }
            if (line == "quit") break;
        }
        PostThreadMessageW(mainThread, kEndCommand, 0, 0);
    }).detach();
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const wchar_t* cls, const std::wstring& caption, COLORREF color, int x, int y, int w, int h,
                HWND parent = nullptr) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(color);
    wc.lpszClassName = cls;
    RegisterClassExW(&wc);
    // No border or caption: the client area is the whole window, as in the
    // preview area of the display settings.
    DWORD style = (parent != nullptr ? WS_CHILD : WS_POPUP) | WS_VISIBLE | WS_CLIPCHILDREN;
    HWND window = CreateWindowExW(parent != nullptr ? 0 : WS_EX_TOOLWINDOW, cls, caption.c_str(), style, x, y, w,
                                  h, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(window);
    return window;
}

int Host(int argc, wchar_t** argv, bool inProcessPreview) {
    if (argc < 4) return 2;
    int w = _wtoi(argv[2]), h = _wtoi(argv[3]);
    int x = argc > 5 ? _wtoi(argv[4]) : 200, y = argc > 5 ? _wtoi(argv[5]) : 200;
    // As in the display settings, the host is a child window of a dialog-like
    // frame. (Destroying a top-level window would also make Wine wait two
    // seconds for a window manager that Xvfb does not have.) The host is a
    // dark blue that neither the picture nor the preview's grey uses.
    HWND frame = MakeWindow(L"LvxTestFrame", L"Lvx Test Frame", RGB(0, 96, 0), x, y, w, h);
    HWND host = MakeWindow(L"LvxTestHost", L"Lvx Test Host", RGB(0, 0, 160), 0, 0, w, h, frame);
    if (host == nullptr) return 1;
    Say("%lld\n", static_cast<long long>(reinterpret_cast<intptr_t>(host)));
    DWORD mainThread = GetCurrentThreadId();
    if (inProcessPreview) {
        auto number = static_cast<int32_t>(reinterpret_cast<intptr_t>(host));
        std::thread([number, mainThread] {
            bool open = lvx::win32::Lvx_R_Open(number);
            Say("open %d\n", open ? 1 : 0);
            MSG msg;
            if (open) {
                while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
            PostThreadMessageW(mainThread, kPreviewEnded, 0, 0);
        }).detach();
    }
    ReadCommands(mainThread);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kDestroyCommand) {
            DestroyWindow(host);
            Say("destroyed\n");
        } else if (msg.hwnd == nullptr && msg.message == kResizeCommand) {
            const int nw = static_cast<int>(msg.wParam), nh = static_cast<int>(msg.lParam);
            SetWindowPos(frame, nullptr, 0, 0, nw, nh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            SetWindowPos(host, nullptr, 0, 0, nw, nh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Say("resized\n");
        } else if (msg.hwnd == nullptr && msg.message == kPreviewEnded) {
            Say("ended\n");
        } else if (msg.hwnd == nullptr && msg.message == kEndCommand) {
            break;
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    ExitProcess(0);  // the preview thread may still be waiting for messages
}

int CaptionWindow(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    HWND window = MakeWindow(L"LvxTestCaption", argv[2], RGB(64, 64, 64), screenW - 8, screenH - 8, 8, 8);
    if (window == nullptr) return 1;
    Say("%lld\n", static_cast<long long>(reinterpret_cast<intptr_t>(window)));
    ReadCommands(GetCurrentThreadId());
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kEndCommand) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

int Children(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HWND parent = reinterpret_cast<HWND>(static_cast<intptr_t>(_wtoi64(argv[2])));
    if (!IsWindow(parent)) return 1;
    // FindWindowEx, not GetParent: Wine answers GetParent with 0 for a child
    // that kept WS_POPUP.
    for (HWND child = FindWindowExW(parent, nullptr, nullptr, nullptr); child != nullptr;
         child = FindWindowExW(parent, child, nullptr, nullptr)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        DWORD pid = 0;
        GetWindowThreadProcessId(child, &pid);
        Say("%lld %ld %ld %ld %ld %d %lu %s\n", static_cast<long long>(reinterpret_cast<intptr_t>(child)), r.left,
            r.top, r.right - r.left, r.bottom - r.top, IsWindowVisible(child) ? 1 : 0, pid,
            Utf8(Caption(child)).c_str());
    }
    return 0;
}

struct WatchState {
    std::vector<std::wstring> captions;
    std::set<HWND>* known;
    bool report;
};

BOOL CALLBACK WatchOne(HWND window, LPARAM param) {
    auto& state = *reinterpret_cast<WatchState*>(param);
    std::wstring caption = Caption(window);
    for (const auto& wanted : state.captions) {
        bool matches = wanted == L"*" ? IsWindowVisible(window) != FALSE : caption == wanted;
        if (!matches || !state.known->insert(window).second) continue;
        if (state.report) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            Say("seen %lld %lu %s\n", static_cast<long long>(reinterpret_cast<intptr_t>(window)), pid,
                Utf8(caption).c_str());
        }
    }
    return TRUE;
}

int Watch(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    DWORD limit = static_cast<DWORD>(_wtoi(argv[2]));
    std::set<HWND> known;
    WatchState state{{argv + 3, argv + argc}, &known, false};
    EnumWindows(WatchOne, reinterpret_cast<LPARAM>(&state));
    Say("watching\n");
    state.report = true;
    // Once the watched program has ended, none of its windows can appear any
    // more: the script says so rather than waiting out the whole time.
    ReadCommands(GetCurrentThreadId());
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < limit) {
        const bool last = PeekMessageW(&msg, nullptr, kEndCommand, kEndCommand, PM_REMOVE) != FALSE;
        EnumWindows(WatchOne, reinterpret_cast<LPARAM>(&state));
        if (last) break;
        Sleep(5);
    }
    ExitProcess(0);  // the command reader may still be waiting for input
}

int Picture(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const int w = argc > 4 ? _wtoi(argv[3]) : lvx::win32::kPreviewPictureWidth;
    const int h = argc > 4 ? _wtoi(argv[4]) : lvx::win32::kPreviewPictureHeight;
    std::vector<int32_t> pixels = lvx::win32::Lvx_R_PicturePixels(w, h);
    if (pixels.empty()) return 1;
    FILE* file = _wfopen(argv[2], L"wb");
    if (file == nullptr) return 1;
    std::fprintf(file, "P6\n%d %d\n255\n", w, h);
    for (int32_t p : pixels) {
        unsigned char rgb[3] = {static_cast<unsigned char>(p & 0xFF), static_cast<unsigned char>((p >> 8) & 0xFF),
                                static_cast<unsigned char>((p >> 16) & 0xFF)};
        std::fwrite(rgb, 1, 3, file);
    }
    return std::fclose(file) == 0 ? 0 : 1;
}

// sizes MS RRGGBB: for MS milliseconds, every 25 ms, the width of each of the
// twelve pictures along its cell's middle row on a 1024 x 768 screen (cells
// of 256), counted as pixels that are not the background colour; one line of
// twelve numbers per sample. The three rows are read in one copy of the band
// that holds them: three copies could each see another state of the screen.
int Sizes(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const DWORD total = static_cast<DWORD>(_wtoi(argv[2]));
    const auto back = static_cast<uint32_t>(wcstoul(argv[3], nullptr, 16));  // 0x00RRGGBB, as DIB memory holds it
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 1024;
    info.bmiHeader.biHeight = -513;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP rows = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (rows == nullptr || bits == nullptr) return 1;
    HGDIOBJ old = SelectObject(memory, rows);
    const DWORD start = GetTickCount();
    for (DWORD next = start; GetTickCount() - start < total; next += 25) {
        BitBlt(memory, 0, 0, 1024, 513, screen, 0, 128, SRCCOPY);
        GdiFlush();
        const auto* px = static_cast<const uint32_t*>(bits);
        int widths[12] = {};
        for (int r = 0; r < 3; ++r) {
            for (int x = 0; x < 1024; ++x) {
                if ((px[r * 256 * 1024 + x] & 0xFFFFFF) != back) ++widths[r * 4 + x / 256];
            }
        }
        for (int w : widths) Say("%d ", w);
        Say("\n");
        const DWORD now = GetTickCount();
        if (now - start < next + 25 - start) Sleep(next + 25 - now);
    }
    SelectObject(memory, old);
    DeleteObject(rows);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return 0;
}

HWND SaverWindow() { return FindWindowW(nullptr, L"Lumvex_K47_Main"); }

int Run(int argc, wchar_t** argv, bool watchFrame = false) {
    if (argc < 3 || (watchFrame && argc < 6)) return 2;
    std::wstring commandLine = L"\"" + std::wstring(argv[2]) + L"\"";
    if (argc > 3 && argv[3][0] != L'\0') commandLine += L" " + std::wstring(argv[3]);
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job != nullptr) SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[2], commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process)) {
        Say("cannot start: error %lu\n", GetLastError());
        return 99;
    }
    if (job != nullptr) AssignProcessToJobObject(job, process.hProcess);
    HDC screen = GetDC(nullptr);
    const int x = watchFrame ? _wtoi(argv[4]) : 0, y = watchFrame ? _wtoi(argv[5]) : 0;
    const COLORREF before = watchFrame ? GetPixel(screen, x, y) : 0;
    LARGE_INTEGER frequency{}, start{}, now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ResumeThread(process.hThread);
    Say("pid %lu\n", process.dwProcessId);
    auto elapsedMs = [&] {
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    };
    bool windowSeen = !watchFrame, frameSeen = !watchFrame;
    while (!frameSeen && WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
        if (!windowSeen && IsWindowVisible(SaverWindow())) {
            windowSeen = true;
            Say("window %.1f\n", elapsedMs());
        }
        if (GetPixel(screen, x, y) != before) {
            frameSeen = true;
            Say("frame %.1f\n", elapsedMs());
        }
    }
    ReleaseDC(nullptr, screen);
    WaitForSingleObject(process.hProcess, INFINITE);
    if (watchFrame) Say("exit %.1f\n", elapsedMs());
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}

HWND TopLevel(const wchar_t* caption) {
    return FindWindowW(nullptr, caption);
}

int Client(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HWND window = TopLevel(argv[2]);
    if (window == nullptr) return 1;
    RECT r{};
    GetClientRect(window, &r);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    Say("%ld %ld %ld %ld %lld\n", origin.x, origin.y, r.right, r.bottom,
        static_cast<long long>(reinterpret_cast<intptr_t>(window)));
    return 0;
}

BOOL CALLBACK SayControl(HWND child, LPARAM param) {
    HWND dialog = reinterpret_cast<HWND>(param);
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    std::wstring name = cls;
    std::string value;
    if (_wcsicmp(cls, L"ScrollBar") == 0) {
        value = std::to_string(GetScrollPos(child, SB_CTL));
    } else if (_wcsicmp(cls, L"ComboBox") == 0) {
        // Another process's control text comes only from the control itself.
        wchar_t text[256] = {};
        SendMessageW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
        value = Utf8(text);
    } else {
        return TRUE;
    }
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    Say("%s %d %ld %ld %ld %ld %s\n", Utf8(name).c_str(), IsWindowEnabled(child) ? 1 : 0, r.left, r.top,
        r.right - r.left, r.bottom - r.top, value.c_str());
    return TRUE;
}

int Controls(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HWND window = TopLevel(argv[2]);
    if (window == nullptr) return 1;
    EnumChildWindows(window, SayControl, reinterpret_cast<LPARAM>(window));
    return 0;
}

int Close(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HWND window = TopLevel(argv[2]);
    if (window == nullptr) return 1;
    return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
}

BOOL CALLBACK SayTop(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != static_cast<DWORD>(param) || !IsWindowVisible(window)) return TRUE;
    RECT r{};
    GetWindowRect(window, &r);
    Say("%lld %ld %ld %ld %ld %s\n", static_cast<long long>(reinterpret_cast<intptr_t>(window)), r.left, r.top,
        r.right - r.left, r.bottom - r.top, Utf8(Caption(window)).c_str());
    return TRUE;
}

int Top(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    EnumWindows(SayTop, static_cast<LPARAM>(_wtoi(argv[2])));
    return 0;
}

std::wstring FileIdentity(const wchar_t* path) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return L"";
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return std::to_wstring(info.dwVolumeSerialNumber) + L":" + std::to_wstring(info.nFileIndexHigh) + L":" +
           std::to_wstring(info.nFileIndexLow);
}

int SameFile(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const std::wstring a = FileIdentity(argv[2]), b = FileIdentity(argv[3]);
    Say("%d\n", !a.empty() && a == b ? 1 : 0);
    return 0;
}

struct EditSearch {
    DWORD pid;
    HWND top = nullptr;
    HWND edit = nullptr;
};

BOOL CALLBACK FindEdit(HWND child, LPARAM param) {
    auto& search = *reinterpret_cast<EditSearch*>(param);
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Edit") == 0 && IsWindowVisible(child)) {
        search.edit = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindChooser(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<EditSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search.pid || !IsWindowVisible(window) || Caption(window) == L"Lumvex_K47\u306E\u8A2D\u5B9A") return TRUE;
    search.top = window;  // windows come topmost first
    EnumChildWindows(window, FindEdit, param);
    return FALSE;
}

int SetEdit(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    EditSearch search{static_cast<DWORD>(_wtoi(argv[2]))};
    EnumWindows(FindChooser, reinterpret_cast<LPARAM>(&search));
    if (search.edit == nullptr) return 1;
    SendMessageW(search.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    RECT r{};
    GetWindowRect(search.top, &r);
    Say("%lld %ld %ld %ld %ld\n", static_cast<long long>(reinterpret_cast<intptr_t>(search.top)), r.left, r.top,
        r.right - r.left, r.bottom - r.top);
    return 0;
}

int Passes(int argc, wchar_t** argv) {
    HWND saver = SaverWindow();
    if (saver == nullptr) {
        Say("passes none\n");
        return 1;
    }
    auto count = [saver] { return static_cast<double>(reinterpret_cast<uintptr_t>(GetPropW(saver, lvx::win32::kPassesProperty))); };
    const double first = count();
    Say("passes %.0f\n", first);
    if (argc > 2) {
        LARGE_INTEGER frequency{}, start{}, end{};
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        Sleep(static_cast<DWORD>(_wtoi(argv[2])));
        const double last = count();
        QueryPerformanceCounter(&end);
        const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        Say("rate %.1f\n", (last - first) / seconds);
    }
    return 0;
}

// Kernel handles of a process, from the system's handle table (Wine answers
// GetProcessHandleCount for no process).
long HandleCount(DWORD pid) {
    struct Entry {
        ULONG ownerPid;
        BYTE type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return -1;
    std::vector<char> buffer(1 << 20);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(16 /* SystemHandleInformation */, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* table = reinterpret_cast<const Table*>(buffer.data());
            long n = 0;
            for (ULONG i = 0; i < table->count; ++i) n += table->entries[i].ownerPid == pid ? 1 : 0;
            return n;
        }
        buffer.resize(buffer.size() * 2);
    }
    return -1;
}

int ProcInfo(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const auto pid = static_cast<DWORD>(_wtoi(argv[2]));
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == nullptr) return 1;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    K32GetProcessMemoryInfo(process, &memory, sizeof memory);
    // GDI and USER object counts: 0 under Wine, whose GetGuiResources is a stub.
    Say("handles %ld workingset %llu pagefile %llu gdi %lu user %lu\n", HandleCount(pid),
        static_cast<unsigned long long>(memory.WorkingSetSize / 1024),
        static_cast<unsigned long long>(memory.PagefileUsage / 1024), GetGuiResources(process, GR_GDIOBJECTS),
        GetGuiResources(process, GR_USEROBJECTS));
    CloseHandle(process);
    return 0;
}

int Display(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    HWND saver = SaverWindow();
    if (saver == nullptr) return 1;
    const bool on = std::wstring(argv[2]) == L"on";
    if (std::wstring(argv[3]) == L"sc") {
        return PostMessageW(saver, WM_SYSCOMMAND, SC_MONITORPOWER, on ? -1 : 2) ? 0 : 1;
    }
    // The notification's data lives in the receiver's memory, as when the
    // system sends it.
    DWORD pid = 0;
    GetWindowThreadProcessId(saver, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) return 1;
    struct {
        POWERBROADCAST_SETTING head;
        BYTE rest[3];
    } setting{};
    setting.head.PowerSetting = {0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
    setting.head.DataLength = sizeof(DWORD);
    const DWORD state = on ? 1 : 0;
    std::memcpy(setting.head.Data, &state, sizeof state);
    void* remote = VirtualAllocEx(process, nullptr, sizeof setting, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    int status = 1;
    if (remote != nullptr && WriteProcessMemory(process, remote, &setting, sizeof setting, nullptr)) {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(remote),
                                SMTO_ABORTIFHUNG, 5000, &result)) {
            status = result == TRUE ? 0 : 3;
        }
    }
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return status;
}

BOOL CALLBACK ReportMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    Say("%ld %ld %ld %ld\n", info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom);
    return TRUE;
}

int Monitors() {
    EnumDisplayMonitors(nullptr, nullptr, ReportMonitor, 0);
    return 0;
}

BOOL CALLBACK ReportCover(HWND window, LPARAM saverPid) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != static_cast<DWORD>(saverPid) || window == SaverWindow() || !IsWindowVisible(window)) return TRUE;
    RECT r{};
    GetWindowRect(window, &r);
    Say("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return TRUE;
}

int Covers() {
    HWND saver = SaverWindow();
    if (saver == nullptr) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(saver, &pid);
    EnumWindows(ReportCover, static_cast<LPARAM>(pid));
    return 0;
}

}  // namespace

int Dispatch(int argc, wchar_t** argv) {
    std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"host") return Host(argc, argv, false);
    if (command == L"preview-host") return Host(argc, argv, true);
    if (command == L"caption") return CaptionWindow(argc, argv);
    if (command == L"children") return Children(argc, argv);
    if (command == L"watch") return Watch(argc, argv);
    if (command == L"picture") return Picture(argc, argv);
    if (command == L"run") return Run(argc, argv);
    if (command == L"client") return Client(argc, argv);
    if (command == L"controls") return Controls(argc, argv);
    if (command == L"close") return Close(argc, argv);
    if (command == L"top") return Top(argc, argv);
    if (command == L"same-file") return SameFile(argc, argv);
    if (command == L"set-edit") return SetEdit(argc, argv);
    if (command == L"cursor") {
        // Another process's cursor cannot be looked into, but its handle
        // tells shapes apart, and the arrow is the system's own.
        CURSORINFO info{};
        info.cbSize = sizeof(info);
        if (!GetCursorInfo(&info)) return 1;
        Say("%lld %d\n", static_cast<long long>(reinterpret_cast<intptr_t>(info.hCursor)),
            info.hCursor == LoadCursorW(nullptr, IDC_ARROW) ? 1 : 0);
        return 0;
    }
    if (command == L"dpi") {
        Say("%d\n", lvx::win32::DialogDpi());
        return 0;
    }
    if (command == L"sizes") return Sizes(argc, argv);
    if (command == L"dpichanged") {
        // What the system sends when a window moves to a monitor of another
        // DPI; without a suggested rectangle (a pointer would not cross
        // processes), so the window keeps its place.
        if (argc < 4) return 2;
        HWND window = TopLevel(argv[2]);
        const int dpi = _wtoi(argv[3]);
        if (window == nullptr) return 1;
        return PostMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), 0) ? 0 : 1;
    }
    if (command == L"bits") {
        // Proof that a program of this kind runs at all.
        Say("bits %d\n", static_cast<int>(sizeof(void*) * 8));
        return 0;
    }
    if (command == L"firstframe") return Run(argc, argv, true);
    if (command == L"passes") return Passes(argc, argv);
    if (command == L"procinfo") return ProcInfo(argc, argv);
    if (command == L"display") return Display(argc, argv);
    if (command == L"monitors") return Monitors();
    if (command == L"covers") return Covers();
    std::fprintf(stderr,
                 "usage: lvx_e2e host|preview-host|caption|children|watch|picture|run|client|controls|close|top|\n"
                 "       same-file|set-edit|cursor|dpi|dpichanged|bits|sizes|firstframe|passes|procinfo|display|monitors|covers ...\n");
    return 2;
}

namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

int Serve() {
    // Commands that live on, end the process or read stdin themselves.
    const std::set<std::wstring> longLived{L"host", L"preview-host", L"caption", L"watch", L"run", L"firstframe",
                                           L"serve"};
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        size_t from = 0;
        for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
            fields.push_back(line.substr(from, tab - from));
        }
        fields.push_back(line.substr(from));
        std::vector<std::wstring> args{L"lvx_e2e"};
        for (size_t i = 1; i < fields.size(); ++i) args.push_back(Wide(fields[i]));
        std::vector<wchar_t*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        const bool allowed = args.size() > 1 && longLived.count(args[1]) == 0;
        const int status = allowed ? Dispatch(static_cast<int>(args.size()), argv.data()) : 2;
        Say("lvx-e2e-done %s %d\n", fields[0].c_str(), status);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"serve") return Serve();
    return Dispatch(argc, argv);
}
