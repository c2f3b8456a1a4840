// The sound ports on Windows: the wide-character MCI and sound functions of
// winmm. Commands and paths arrive as code-page-932 bytes and are converted
// to UTF-16 here; returned and error texts go back in code page 932.
#pragma once

#include "sound/sound_ports.h"

namespace lvx::win32 {

class Win32MciPort : public MciPort {
public:
    int32_t SendString(const std::string& command, std::string& returned, uint32_t returnLength) override;
    bool ErrorText(int32_t code, std::string& text, uint32_t length) override;
};

class Win32WavePort : public WavePort {
public:
    uint32_t OutputDeviceCount() override;
    int32_t PlayFile(const std::string& path, uint32_t flags) override;
    int32_t StopSound() override;
};

}  // namespace lvx::win32
