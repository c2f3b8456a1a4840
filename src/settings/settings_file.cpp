#include "settings/settings_file.h"

#include <cmath>

#include "settings/ini_document.h"
#include "common/number_rules.h"

namespace lvx {

std::string SettingsFilePath(SettingsPort& port) { return port.ProgramFolder() + "\\Lumvex_K47.ini"; }

std::string Get_ini_String(std::string_view section, std::string_view key, const std::string& path,
                           SettingsPort& port) {
    auto bytes = port.ReadFile(path);
    if (!bytes) return {};
    std::string value = IniDocument(*bytes).Get(section, key).value_or(std::string());
    // The platform's buffer holds 255 bytes and a NUL; never keep half a character.
    if (value.size() > 255) {
        size_t cut = 0;
        while (cut < 255) {
            size_t width = (IsLeadByte932(static_cast<unsigned char>(value[cut])) && cut + 1 < value.size()) ? 2 : 1;
            if (cut + width > 255) break;
            cut += width;
        }
        value.resize(cut);
    }
    return value;
}

std::string Put_ini_String(std::string_view section, std::string_view key, std::string_view value,
                           const std::string& path, SettingsPort& port) {
    IniDocument doc(port.ReadFile(path).value_or(std::string()));
    doc.Set(section, key, value);
    ApiResult = port.ReplaceFileBytes(path, doc.Units()) ? 1 : 0;
    return {};
}

int16_t File_Exists(std::string_view path, SettingsPort& port) {
    // Drop a final "\" unless it is the trail byte of a double-byte character.
    if (!path.empty() && path.back() == '\\') {
        bool trailByte = false;
        for (size_t i = 0; i < path.size(); ++i) {
            if (IsLeadByte932(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
                if (i + 1 == path.size() - 1) trailByte = true;
                ++i;
            }
        }
        if (!trailByte) path.remove_suffix(1);
    }
    if (path.empty()) return kFalse;
    return port.CanOpenForReading(std::string(path)) ? kTrue : kFalse;
}

namespace {

std::string Read(std::string_view k, SettingsPort& port) {
    return Get_ini_String(kSection, k, SettingsFilePath(port), port);
}

// A field read by Rule D keeps its value when the text is not a number.
void ReadD(int16_t& field, std::string_view k, int16_t fallback, SettingsPort& port) {
    std::string text = Read(k, port);
    if (text.empty()) {
        field = fallback;
        return;
    }
    if (auto v = RuleD(text)) field = *v;
}

}  // namespace

void Load_ini_File(Settings& s, SettingsPort& port, bool keepMusicChoice) {
    ReadD(s.BgmKind, key::BgmKind, 0, port);
    ReadD(s.BgmRepeat, key::BgmRepeat, 0, port);

    std::string file = Read(key::BgmFile, port);
    if (file.empty() || (!keepMusicChoice && File_Exists(file, port) == kFalse)) {
        s.BgmFile.clear();
        if (s.BgmKind == 2) s.BgmKind = 0;
    } else {
        s.BgmFile = file;
    }

    const double wpx = port.ScreenWidthPx();
    const double upper = std::floor(wpx / 4);
    const double lower = std::floor(wpx / 8);
    std::string size = Read(key::PictureSize, port);
    if (size.empty()) {
        int32_t s4 = static_cast<int32_t>(upper);
        s.PictureSize = static_cast<int16_t>(s4 - s4 / 6);
    } else {
        if (auto v = RuleD(size)) s.PictureSize = *v;
        if (upper < s.PictureSize) s.PictureSize = static_cast<int16_t>(upper);
        if (lower > s.PictureSize) s.PictureSize = static_cast<int16_t>(lower);
    }

    ReadD(s.SizeRandom, key::SizeRandom, 0, port);
    ReadD(s.ColorInterval, key::ColorInterval, 15, port);
    ReadD(s.Gradation, key::Gradation, 1, port);
    ReadD(s.BackColorRandom, key::BackColorRandom, 0, port);

    std::string color = Read(key::BackColor, port);
    if (color.empty()) {
        s.BackColor = 0;
    } else if (auto v = RuleN(color)) {
        s.BackColor = *v;
    }

    std::string shape = Read(key::Shape, port);
    if (shape.empty()) {
        s.Shape = 0;
    } else if (auto v = RuleN(shape); v && *v >= INT16_MIN && *v <= INT16_MAX) {
        s.Shape = static_cast<int16_t>(*v);
    }

    s.PictureCount = 12;
}

bool Set_ini_File(Settings& s, const DialogValues& dialog, SettingsPort& port, SaveFailure* why) {
    if (auto number = ParseDecimal(dialog.bgmRepeatText)) {
        if (auto v = NearestInt16(*number)) s.BgmRepeat = *v;
    } else {
        s.BgmRepeat = 0;
    }

    const std::string path = SettingsFilePath(port);
    // All ten keys go into one replace, so a failed save leaves the old file whole.
    IniDocument doc(port.ReadFile(path).value_or(std::string()));
    doc.Set(kSection, key::BgmKind, NumberText(s.BgmKind));
    doc.Set(kSection, key::BgmRepeat, NumberText(s.BgmRepeat));
    doc.Set(kSection, key::BgmFile, s.BgmFile);
    doc.Set(kSection, key::PictureSize, NumberText(dialog.scrollSize));
    doc.Set(kSection, key::SizeRandom, NumberText(s.SizeRandom));
    doc.Set(kSection, key::ColorInterval, NumberText(dialog.scrollIntv));
    doc.Set(kSection, key::Gradation, NumberText(s.Gradation));
    doc.Set(kSection, key::BackColorRandom, NumberText(s.BackColorRandom));
    doc.Set(kSection, key::BackColor, NumberText(dialog.swatchColor));
    doc.Set(kSection, key::Shape, NumberText(s.Shape));
    bool saved = port.ReplaceFileBytes(path, doc.Units());
    ApiResult = saved ? 1 : 0;
    if (why != nullptr) *why = saved ? SaveFailure::None : SaveFailure::CannotWrite;
    return saved;
}

}  // namespace lvx
