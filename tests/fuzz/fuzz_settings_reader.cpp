// Any bytes as a settings file: loading must not crash, every field must
// obey its bounds, the text must keep every byte it does not edit, and a save
// followed by a load must give the same values. Inputs are bounded to 4 KB (a
// settings file is a few hundred bytes) and the save goes to memory, so that a
// bounded run reaches depth.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/settings_file.h"
#include "settings/std_settings_port.h"

namespace {

constexpr size_t kMaxInput = 4096;

class MemoryPort : public lvx::SettingsPort {
public:
    std::string file;
    lvx::FileContent ReadFile(const std::string& path) override {
        if (path != "C:\\P\\Lumvex_K47.ini") return {};
        return {lvx::FileContent::Status::Read, file};
    }
    lvx::WriteStatus ReplaceFileBytes(const std::string&, const std::string& bytes) override {
        file = bytes;
        return lvx::WriteStatus::Written;
    }
    bool CanOpenForReading(const std::string& path) override { return path.size() % 2 == 0; }
    std::string ProgramFolder() override { return "C:\\P"; }
    std::string UserDataFolder() override { return "C:\\U"; }
    bool MakeFolder(const std::string&) override { return true; }
    double ScreenWidthPx() override { return 1024; }
    std::u16string Cp932ToUtf16(std::string_view bytes) override { return lvx::StdCp932ToUtf16(bytes); }
    std::string Utf16ToCp932(std::u16string_view text) override { return lvx::StdUtf16ToCp932(text); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return 0;
    MemoryPort port;
    port.file.assign(reinterpret_cast<const char*>(data), size);

    // The text keeps every byte it does not edit, in either encoding.
    lvx::ProfileText text(port.file, port);
    if (text.Bytes() != port.file) std::abort();

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
    lvx::SaveFailure why = lvx::SaveFailure::CannotWrite;
    if (!lvx::Set_ini_File(saved, dialog, port, &why) || why != lvx::SaveFailure::None) std::abort();
    // The save changed only the ten keys: the file's encoding stays.
    if (lvx::ProfileText(port.file, port).IsUtf16() != text.IsUtf16()) std::abort();
    lvx::Settings back;
    lvx::Load_ini_File(back, port);
    // A path with blanks or quotes at its ends is trimmed by the profile reader;
    // in a UTF-16 file, one that UTF-16 cannot hold comes back with "?"; others survive.
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; };
    bool pathSurvives = !s.BgmFile.empty() && !blank(s.BgmFile.front()) && !blank(s.BgmFile.back()) &&
                        s.BgmFile.front() != '"' && s.BgmFile.front() != '\'' &&
                        (!text.IsUtf16() || port.Utf16ToCp932(port.Cp932ToUtf16(s.BgmFile)) == s.BgmFile);
    if (back.BgmRepeat != s.BgmRepeat || back.PictureSize != s.PictureSize || back.SizeRandom != s.SizeRandom ||
        back.ColorInterval != s.ColorInterval || back.Gradation != s.Gradation ||
        back.BackColorRandom != s.BackColorRandom || back.BackColor != s.BackColor || back.Shape != s.Shape) {
        std::abort();
    }
    if (pathSurvives && (back.BgmFile != s.BgmFile || back.BgmKind != s.BgmKind)) std::abort();
    return 0;
}
