// The settings port over the C++ standard library and iconv, for the
// command-line tool and the native tests. Paths are used as given.
#pragma once

#include "settings/settings_file.h"

namespace lvx {

class StdSettingsPort : public SettingsPort {
public:
    // settingsFile: the file that stands for "<program folder>\Lumvex_K47.ini".
    // userFolder: the folder that stands for %APPDATA%; empty for none.
    StdSettingsPort(std::string settingsFile, double screenWidthPx, std::string userFolder = {})
        : settingsFile_(std::move(settingsFile)), userFolder_(std::move(userFolder)), screenWidthPx_(screenWidthPx) {}

    FileContent ReadFile(const std::string& path) override;
    WriteStatus ReplaceFileBytes(const std::string& path, const std::string& bytes) override;
    bool CanOpenForReading(const std::string& path) override;
    std::string ProgramFolder() override { return "<program>"; }
    std::string UserDataFolder() override { return userFolder_; }
    bool MakeFolder(const std::string& path) override;
    double ScreenWidthPx() override { return screenWidthPx_; }
    std::u16string Cp932ToUtf16(std::string_view bytes) override;
    std::string Utf16ToCp932(std::u16string_view text) override;

private:
    // The program's settings path maps onto settingsFile_; other paths stay.
    std::string Resolve(const std::string& path) const;

    std::string settingsFile_;
    std::string userFolder_;
    double screenWidthPx_;
};

// The conversions of StdSettingsPort, for other native ports.
std::u16string StdCp932ToUtf16(std::string_view bytes);
std::string StdUtf16ToCp932(std::u16string_view text);

}  // namespace lvx
