#include "app/win32/app_port_win32.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/win32/lvx_r_win32.h"
#include "dialog/win32/lvx_p_win32.h"
#include "saver/win32/lvx_s_win32.h"
#include "common/win32/text_win32.h"

namespace lvx::win32 {

void* WindowFromNumber(int32_t number) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(number));
}

bool Win32AppPort::FindWindowByCaption(std::string_view caption) {
    return FindWindowW(nullptr, Utf8ToWide(caption).c_str()) != nullptr;
}

void Win32AppPort::ShowCursor(bool show) { ::ShowCursor(show ? TRUE : FALSE); }

int32_t Win32AppPort::QueryVersion(int32_t structSize, int32_t& platformId) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = static_cast<DWORD>(structSize);
    // GetVersionExA is deprecated in the headers but is exactly the call needed.
    using GetVersionExAFn = BOOL(WINAPI*)(OSVERSIONINFOA*);
    auto fn = reinterpret_cast<GetVersionExAFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetVersionExA")));
    if (fn == nullptr) return 0;
    BOOL result = fn(&info);
    platformId = static_cast<int32_t>(info.dwPlatformId);
    return result;
}

void Win32AppPort::PwdChangePassword(std::string_view provider, int32_t parentWindow) {
    // Exists only on the 9x family: looked up at run time so the same file runs everywhere.
    HMODULE mpr = LoadLibraryW(L"mpr.dll");
    if (mpr == nullptr) return;
    using PwdChangePasswordAFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, void*);
    auto fn = reinterpret_cast<PwdChangePasswordAFn>(
        reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
    if (fn != nullptr) {
        std::string name(provider);
        fn(name.c_str(), static_cast<HWND>(WindowFromNumber(parentWindow)), 0, nullptr);
    }
    FreeLibrary(mpr);
}

int32_t Win32AppPort::SetSystemParameter(uint32_t action, int32_t param) {
    return SystemParametersInfoA(action, static_cast<UINT>(param), nullptr, 0);
}

void Win32AppPort::OpenPreview(int32_t hostWindow) { previewOpen_ = Lvx_R_Open(hostWindow); }

void Win32AppPort::ShowSettingsDialog(Settings& settings) { Lvx_P_ShowModal(settings); }

void Win32AppPort::RunSaver(Settings& settings, bool saverMode) { Lvx_S_Run(settings, saverMode); }

void Win32AppPort::EndProgram() { ExitProcess(0); }

}  // namespace lvx::win32
