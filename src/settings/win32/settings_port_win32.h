// The settings port on Windows: wide-character file calls on paths held in
// code page 932.
#pragma once

#include "settings/settings_file.h"

namespace lvx::win32 {

class Win32SettingsPort : public SettingsPort {
public:
    std::optional<std::string> ReadFile(const std::string& path) override;
    bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override;
    bool CanOpenForReading(const std::string& path) override;
    std::string ProgramFolder() override;
    double ScreenWidthPx() override;
};

}  // namespace lvx::win32
