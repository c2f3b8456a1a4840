// The settings port over the C++ standard library, for the command-line tool
// and the native tests. Paths are used as given (bytes, "/" or "\" alike).
#pragma once

#include "settings/settings_file.h"

namespace lvx {

class StdSettingsPort : public SettingsPort {
public:
    // settingsFile: the file that stands for "<program folder>\Lumvex_K47.ini".
    StdSettingsPort(std::string settingsFile, double screenWidthPx)
        : settingsFile_(std::move(settingsFile)), screenWidthPx_(screenWidthPx) {}

    std::optional<std::string> ReadFile(const std::string& path) override;
    bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override;
    bool CanOpenForReading(const std::string& path) override;
    std::string ProgramFolder() override { return "<program>"; }
    double ScreenWidthPx() override { return screenWidthPx_; }

private:
    // The program's settings path maps onto settingsFile_; other paths stay.
    std::string Resolve(const std::string& path) const;

    std::string settingsFile_;
    double screenWidthPx_;
};

}  // namespace lvx
