#include "sound/win32/sound_ports_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include <cwchar>
#include <vector>

#include "common/win32/text_win32.h"

namespace lvx::win32 {
namespace {

// A buffer's text up to its first NUL, in code page 932; a character the code
// page cannot hold becomes "?".
std::string BufferToCp932(const std::vector<wchar_t>& buffer) {
    return WideToCp932Replacing(std::wstring_view(buffer.data(), wcsnlen(buffer.data(), buffer.size())));
}

// Whether the system's ANSI code page holds the whole text.
bool FitsAnsiCodePage(const std::wstring& text) {
    UINT acp = GetACP();
    if (acp == CP_UTF8 || text.empty()) return true;
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(acp, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, &lossy);
    return n > 0 && !lossy;
}

// The short (8.3) form of an existing file's path, or the path itself.
std::wstring ShortPath(const std::wstring& path) {
    DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return path;
    std::vector<wchar_t> buffer(n);
    DWORD got = GetShortPathNameW(path.c_str(), buffer.data(), n);
    if (got == 0 || got >= n) return path;
    return std::wstring(buffer.data(), got);
}

}  // namespace

int32_t Win32MciPort::SendString(const std::string& command, std::string& returned, uint32_t returnLength) {
    std::wstring wide = Cp932ToWide(command);
    std::vector<wchar_t> buffer(returnLength + 1, L'\0');
    MCIERROR code = mciSendStringW(wide.c_str(), returnLength > 0 ? buffer.data() : nullptr, returnLength, nullptr);
    buffer.resize(returnLength);
    returned = BufferToCp932(buffer);
    return static_cast<int32_t>(code);
}

bool Win32MciPort::ErrorText(int32_t code, std::string& text, uint32_t length) {
    std::vector<wchar_t> buffer(length + 1, L'\0');
    BOOL found = mciGetErrorStringW(static_cast<MCIERROR>(code), buffer.data(), length);
    buffer.resize(length);
    text = BufferToCp932(buffer);
    return found != FALSE;
}

uint32_t Win32WavePort::OutputDeviceCount() { return waveOutGetNumDevs(); }

int32_t Win32WavePort::PlayFile(const std::string& path, uint32_t flags) {
    std::wstring wide = Cp932ToWide(path);
    // Some implementations of the wide sound functions (Wine's among them)
    // open the file through the ANSI code page, and a name it cannot hold is
    // not found. The short form of such a path is plain ASCII.
    if (!FitsAnsiCodePage(wide)) wide = ShortPath(wide);
    return PlaySoundW(wide.c_str(), nullptr, flags);
}

int32_t Win32WavePort::StopSound() { return PlaySoundW(nullptr, nullptr, 0); }

}  // namespace lvx::win32
