#include "settings/win32/settings_port_win32.h"

#include <windows.h>
#include <shlobj.h>

#include <new>
#include <stdexcept>
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

FileContent Win32SettingsPort::ReadFile(const std::string& path) {
    Handle file(CreateFileW(Cp932ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.h == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
        return {FileContent::Status::Unreadable, {}};  // no permission, locked, a folder, ...
    }
    // Read to the end, however long the file: a file cut short here would be
    // written back cut short by the next save.
    FileContent content{FileContent::Status::Read, {}};
    try {
        char chunk[65536];
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file.h, chunk, sizeof chunk, &got, nullptr)) return {FileContent::Status::Unreadable, {}};
            if (got == 0) break;
            content.bytes.append(chunk, got);
        }
    } catch (const std::bad_alloc&) {
        return {FileContent::Status::Unreadable, {}};
    } catch (const std::length_error&) {
        return {FileContent::Status::Unreadable, {}};
    }
    return content;
}

WriteStatus Win32SettingsPort::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
    const std::wstring target = Cp932ToWide(path);
    if (target.empty()) return WriteStatus::Failed;
    // The user's protection holds even where the platform would let the
    // replace through (an administrator, Wine running as root).
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return WriteStatus::ReadOnly;
    const std::wstring temp = target + L".tmp" + std::to_wstring(GetCurrentProcessId());
    {
        Handle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.h == INVALID_HANDLE_VALUE) return WriteStatus::Failed;
        DWORD written = 0;
        bool ok = bytes.empty() ||
                  (WriteFile(file.h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                   written == bytes.size());
        ok = ok && FlushFileBuffers(file.h);
        if (!ok) {
            CloseHandle(file.h);
            file.h = INVALID_HANDLE_VALUE;
            DeleteFileW(temp.c_str());
            return WriteStatus::Failed;
        }
    }
    if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return WriteStatus::Failed;
    }
    return WriteStatus::Written;
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

std::string Win32SettingsPort::UserDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    return PathToCp932(folder);
}

bool Win32SettingsPort::MakeFolder(const std::string& path) {
    std::wstring wide = Cp932ToWide(path);
    CreateDirectoryW(wide.c_str(), nullptr);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

double Win32SettingsPort::ScreenWidthPx() { return GetSystemMetrics(SM_CXSCREEN); }

std::u16string Win32SettingsPort::Cp932ToUtf16(std::string_view bytes) {
    std::wstring wide = Cp932ToWide(bytes);
    return std::u16string(wide.begin(), wide.end());
}

std::string Win32SettingsPort::Utf16ToCp932(std::u16string_view text) {
    // A character the file's code page lacks becomes "?", never a look-alike
    // that could name another, existing file.
    return WideToCp932Replacing(std::wstring(text.begin(), text.end()));
}

}  // namespace lvx::win32
