#include "settings/win32/settings_port_win32.h"

#include <windows.h>

#include <vector>

#include "common/win32/text_win32.h"

namespace lvx::win32 {
namespace {

struct Handle {
    HANDLE h;
    explicit Handle(HANDLE handle) : h(handle) {}
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

}  // namespace

std::optional<std::string> Win32SettingsPort::ReadFile(const std::string& path) {
    Handle file(CreateFileW(Cp932ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.h == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.h, &size) || size.QuadPart > (1 << 24)) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && (!::ReadFile(file.h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))) {
        return std::nullopt;
    }
    bytes.resize(got);
    return bytes;
}

bool Win32SettingsPort::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
    const std::wstring target = Cp932ToWide(path);
    const std::wstring temp = target + L".tmp" + std::to_wstring(GetCurrentProcessId());
    {
        Handle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        bool ok = bytes.empty() ||
                  (WriteFile(file.h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                   written == bytes.size());
        ok = ok && FlushFileBuffers(file.h);
        if (!ok) {
            CloseHandle(file.h);
            file.h = INVALID_HANDLE_VALUE;
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool Win32SettingsPort::CanOpenForReading(const std::string& path) {
    std::wstring wide = Cp932ToWide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    Handle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.h != INVALID_HANDLE_VALUE;
}

std::string Win32SettingsPort::ProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            size_t slash = path.find_last_of(L"\\/");
            return PathToCp932(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
        }
        buffer.resize(buffer.size() * 2);
    }
}

double Win32SettingsPort::ScreenWidthPx() { return GetSystemMetrics(SM_CXSCREEN); }

}  // namespace lvx::win32
