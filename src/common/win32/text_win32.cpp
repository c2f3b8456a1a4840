#include "common/win32/text_win32.h"

#include <windows.h>

#include <vector>

namespace lvx::win32 {
namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }
std::wstring Cp932ToWide(std::string_view bytes) { return ToWide(932, bytes); }

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool WideToCp932(std::wstring_view text, std::string& bytes) {
    bytes.clear();
    if (text.empty()) return true;
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    bytes.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, &lossy);
    return !lossy;
}

std::string PathToCp932(const std::wstring& path) {
    std::string bytes;
    if (WideToCp932(path, bytes)) return bytes;
    DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n > 0) {
        std::vector<wchar_t> buffer(n);
        DWORD got = GetShortPathNameW(path.c_str(), buffer.data(), n);
        if (got > 0 && got < n && WideToCp932(std::wstring_view(buffer.data(), got), bytes)) return bytes;
    }
    // No short form either (8.3 names switched off): keep what code page 932 can.
    int len = WideCharToMultiByte(932, 0, path.data(), static_cast<int>(path.size()), nullptr, 0, nullptr, nullptr);
    bytes.assign(static_cast<size_t>(len > 0 ? len : 0), '\0');
    if (len > 0) WideCharToMultiByte(932, 0, path.data(), static_cast<int>(path.size()), bytes.data(), len, nullptr, nullptr);
    return bytes;
}

}  // namespace lvx::win32
