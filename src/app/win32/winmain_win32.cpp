// The program's entry point: hands the argument text to start-up.
#include <windows.h>

#include "app/lvx_b.h"
#include "app/win32/app_port_win32.h"
#include "settings/win32/settings_port_win32.h"
#include "common/win32/text_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    lvx::win32::Win32AppPort app;
    lvx::win32::Win32SettingsPort files;
    static lvx::Settings settings;
    const std::string argText = lvx::ArgumentText(lvx::win32::WideToUtf8(GetCommandLineW()));
    lvx::Main(argText, settings, app, files);
    if (app.PreviewOpen()) {
        // The preview posts WM_QUIT when its window is gone.
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
