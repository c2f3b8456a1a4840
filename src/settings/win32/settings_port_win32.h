// The settings port on Windows: wide-character file calls on paths held in
// code page 932.
#pragma once

#include "settings/settings_file.h"

namespace lvx::win32 {

class Win32SettingsPort : public SettingsPort {
public:
    FileContent ReadFile(const std::string& path) override;
    WriteStatus ReplaceFileBytes(const std::string& path, const std::string& bytes) override;
    bool CanOpenForReading(const std::string& path) override;
    std::string ProgramFolder() override;
    std::string UserDataFolder() override;
    bool MakeFolder(const std::string& path) override;
    double ScreenWidthPx() override;
    std::u16string Cp932ToUtf16(std::string_view bytes) override;
    std::string Utf16ToCp932(std::u16string_view text) override;
};

}  // namespace lvx::win32
