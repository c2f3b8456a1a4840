// Any bytes as a settings file: loading must not crash, every field must
// obey its bounds, and a save followed by a load must give the same values.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/ini_document.h"
#include "settings/settings_file.h"

namespace {

class MemoryPort : public lvx::SettingsPort {
public:
    std::string file;
    bool exists = true;
    std::optional<std::string> ReadFile(const std::string&) override {
        return exists ? std::optional<std::string>(file) : std::nullopt;
    }
    bool ReplaceFileBytes(const std::string&, const std::string& bytes) override {
        file = bytes;
        exists = true;
        return true;
    }
    bool CanOpenForReading(const std::string& path) override { return path.size() % 2 == 0; }
    std::string ProgramFolder() override { return "C:\\P"; }
    double ScreenWidthPx() override { return 1024; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryPort port;
    port.file.assign(reinterpret_cast<const char*>(data), size);

    // The document keeps every byte it does not edit.
    lvx::IniDocument doc(port.file);
    if (doc.Units() != port.file) std::abort();

    lvx::Settings s;
    lvx::Load_ini_File(s, port);
    if (s.PictureCount != 12) std::abort();
    if (s.PictureSize < 128 || s.PictureSize > 256) {
        // Only the default may lie outside the bounds, and on 1024 pixels it lies inside.
        std::abort();
    }
    if (s.BgmKind == 2 && s.BgmFile.empty()) std::abort();
    if (s.BgmFile.size() > 255) std::abort();

    lvx::DialogValues dialog{std::to_string(s.BgmRepeat), s.PictureSize, s.ColorInterval, s.BackColor};
    lvx::Settings saved = s;
    if (!lvx::Set_ini_File(saved, dialog, port)) std::abort();
    lvx::Settings back;
    lvx::Load_ini_File(back, port);
    // A path with blanks or quotes at its ends is trimmed by the profile reader; others survive.
    bool pathSurvives = !s.BgmFile.empty() && s.BgmFile.front() != ' ' && s.BgmFile.front() != '\t' &&
                        s.BgmFile.back() != ' ' && s.BgmFile.back() != '\t' && s.BgmFile.front() != '"' &&
                        s.BgmFile.front() != '\'';
    if (back.BgmRepeat != s.BgmRepeat || back.PictureSize != s.PictureSize || back.SizeRandom != s.SizeRandom ||
        back.ColorInterval != s.ColorInterval || back.Gradation != s.Gradation ||
        back.BackColorRandom != s.BackColorRandom || back.BackColor != s.BackColor || back.Shape != s.Shape) {
        std::abort();
    }
    if (pathSurvives && (back.BgmFile != s.BgmFile || back.BgmKind != s.BgmKind)) std::abort();
    return 0;
}
