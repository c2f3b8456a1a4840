// Start-up's port on Windows.
#pragma once

#include "app/lvx_b.h"

namespace lvx::win32 {

class Win32AppPort : public AppPort {
public:
    bool FindWindowByCaption(std::string_view caption) override;
    void ShowCursor(bool show) override;
    int32_t QueryVersion(int32_t structSize, int32_t& platformId) override;
    void PwdChangePassword(std::string_view provider, int32_t parentWindow) override;
    int32_t SetSystemParameter(uint32_t action, int32_t param) override;
    void OpenPreview(int32_t hostWindow) override;
    void ShowSettingsDialog(Settings& settings) override;
    void RunSaver(Settings& settings, bool saverMode) override;
    [[noreturn]] void EndProgram() override;

    bool PreviewOpen() const { return previewOpen_; }

private:
    bool previewOpen_ = false;
};

// A 32-bit window number as the platform's handle (handles are sign-extended on 64-bit).
void* WindowFromNumber(int32_t number);

}  // namespace lvx::win32
