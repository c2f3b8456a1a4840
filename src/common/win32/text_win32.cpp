#include "common/win32/text_win32.h"

#include <windows.h>

#include <utility>
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
    // Without WC_NO_BEST_FIT_CHARS the platform quietly turns "é" into "e"
    // (and "¥" into "\\"): a path would name another file.
    const int length = static_cast<int>(text.size());
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, out.data(), n, nullptr, nullptr);
    // Only a text that comes back unchanged is the same text. This one check
    // covers the platform's own report of a replaced character too: that
    // character comes back as "?", which it was not (a "?" converts as
    // itself), so a second check could never decide anything.
    if (Cp932ToWide(out) != text) return false;
    bytes = std::move(out);
    return true;
}

std::string WideToCp932Replacing(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), n, nullptr, nullptr);
    return bytes;
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
    // No short form either (8.3 names switched off): a lossy text would name
    // another path, so there is none.
    return {};
}

}  // namespace lvx::win32
