#include "settings/settings_file.h"

#include <cmath>

#include "settings/ini_document.h"
#include "common/number_rules.h"

namespace lvx {

namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";

std::u16string DecodeUtf16Le(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return units;
}

std::string EncodeUtf16Le(std::u16string_view units) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

// The platform's buffer holds 255 bytes and a NUL; never keep half a character.
void CutTo255(std::string& value) {
    if (value.size() <= 255) return;
    size_t cut = 0;
    while (cut < 255) {
        size_t width = (IsLeadByte932(static_cast<unsigned char>(value[cut])) && cut + 1 < value.size()) ? 2 : 1;
        if (cut + width > 255) break;
        cut += width;
    }
    value.resize(cut);
}

}  // namespace

ProfileText::ProfileText(const std::string& bytes, SettingsPort& port) : port_(port) {
    if (bytes.starts_with(kUtf16Mark)) {
        utf16_ = true;
        std::string_view body = std::string_view(bytes).substr(kUtf16Mark.size());
        wide_ = WideIniDocument(DecodeUtf16Le(body));
        if (body.size() % 2 != 0) oddByte_ = std::string(1, body.back());
    } else {
        narrow_ = IniDocument(bytes);
    }
}

std::optional<std::string> ProfileText::Get(std::string_view section, std::string_view key) const {
    if (!utf16_) return narrow_.Get(section, key);
    auto value = wide_.Get(port_.Cp932ToUtf16(section), port_.Cp932ToUtf16(key));
    if (!value) return std::nullopt;
    return port_.Utf16ToCp932(*value);
}

void ProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!utf16_) {
        narrow_.Set(section, key, value);
        return;
    }
    wide_.Set(port_.Cp932ToUtf16(section), port_.Cp932ToUtf16(key), port_.Cp932ToUtf16(value));
}

std::string ProfileText::Bytes() const {
    if (!utf16_) return narrow_.Units();
    return std::string(kUtf16Mark) + EncodeUtf16Le(wide_.Units()) + oddByte_;
}

std::string ProgramSettingsPath(SettingsPort& port) {
    // A folder that cannot be named in code page 932 has no path here: the
    // file name alone would point at the root of the current drive.
    std::string folder = port.ProgramFolder();
    return folder.empty() ? folder : folder + "\\Lumvex_K47.ini";
}

namespace {
std::string UserSettingsFolder(SettingsPort& port) {
    std::string folder = port.UserDataFolder();
    return folder.empty() ? folder : folder + "\\Lumvex_K47";
}
}  // namespace

std::string UserSettingsPath(SettingsPort& port) {
    std::string folder = UserSettingsFolder(port);
    return folder.empty() ? folder : folder + "\\Lumvex_K47.ini";
}

std::string SettingsFilePath(SettingsPort& port) {
    std::string user = UserSettingsPath(port);
    if (!user.empty() && port.ReadFile(user).status != FileContent::Status::Missing) return user;
    return ProgramSettingsPath(port);
}

namespace {
// One value as Get_ini_String returns it, from a text already read.
std::string ValueIn(const ProfileText& text, std::string_view section, std::string_view key) {
    std::string value = text.Get(section, key).value_or(std::string());
    CutTo255(value);
    return value;
}
}  // namespace

std::string Get_ini_String(std::string_view section, std::string_view key, const std::string& path,
                           SettingsPort& port) {
    FileContent file = port.ReadFile(path);
    if (file.status != FileContent::Status::Read) return {};
    return ValueIn(ProfileText(file.bytes, port), section, key);
}

std::string Put_ini_String(std::string_view section, std::string_view key, std::string_view value,
                           const std::string& path, SettingsPort& port) {
    FileContent file = port.ReadFile(path);
    ApiResult = 0;
    if (file.status == FileContent::Status::Unreadable) return {};
    ProfileText text(file.bytes, port);
    text.Set(section, key, value);
    ApiResult = port.ReplaceFileBytes(path, text.Bytes()) == WriteStatus::Written ? 1 : 0;
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

// A field read by Rule D keeps its value when the text is not a number.
void ReadD(int16_t& field, std::string_view k, int16_t fallback, const ProfileText& file) {
    std::string text = ValueIn(file, kSection, k);
    if (text.empty()) {
        field = fallback;
        return;
    }
    if (auto v = RuleD(text)) field = *v;
}

}  // namespace

void Load_ini_File(Settings& s, SettingsPort& port, bool keepMusicChoice) {
    // The file is read once; each key is then looked up as Get_ini_String
    // would. A file that is missing or cannot be read has no keys.
    FileContent content = port.ReadFile(SettingsFilePath(port));
    const ProfileText text(content.status == FileContent::Status::Read ? content.bytes : std::string(), port);
    auto read = [&](std::string_view k) { return ValueIn(text, kSection, k); };
    ReadD(s.BgmKind, key::BgmKind, 0, text);
    ReadD(s.BgmRepeat, key::BgmRepeat, 0, text);

    std::string file = read(key::BgmFile);
    if (file.empty() || (!keepMusicChoice && File_Exists(file, port) == kFalse)) {
        s.BgmFile.clear();
        if (s.BgmKind == 2) s.BgmKind = 0;
    } else {
        s.BgmFile = file;
    }

    const double wpx = port.ScreenWidthPx();
    const double upper = std::floor(wpx / 4);
    const double lower = std::floor(wpx / 8);
    // A default or bound that does not fit the field (an absurdly wide
    // screen) is a failed step: PictureSize keeps the value it has.
    std::string size = read(key::PictureSize);
    if (size.empty()) {
        if (auto s4 = NearestInt32(upper)) {
            if (auto d = NearestInt16(*s4 - *s4 / 6)) s.PictureSize = *d;
        }
    } else {
        if (auto v = RuleD(size)) s.PictureSize = *v;
        if (upper < s.PictureSize) {
            if (auto u = NearestInt16(upper)) s.PictureSize = *u;
        }
        if (lower > s.PictureSize) {
            if (auto l = NearestInt16(lower)) s.PictureSize = *l;
        }
    }

    ReadD(s.SizeRandom, key::SizeRandom, 0, text);
    ReadD(s.ColorInterval, key::ColorInterval, 15, text);
    ReadD(s.Gradation, key::Gradation, 1, text);
    ReadD(s.BackColorRandom, key::BackColorRandom, 0, text);

    std::string color = read(key::BackColor);
    if (color.empty()) {
        s.BackColor = 0;
    } else if (auto v = RuleN(color)) {
        s.BackColor = *v;
    }

    std::string shape = read(key::Shape);
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

    auto fail = [&](SaveFailure reason) {
        ApiResult = 0;
        if (why != nullptr) *why = reason;
        return false;
    };
    const std::string path = SettingsFilePath(port);
    FileContent old = port.ReadFile(path);
    // Replacing a file that could not be read would lose what it holds.
    if (old.status == FileContent::Status::Unreadable) return fail(SaveFailure::CannotRead);

    // All ten keys go into one replace, so a failed save leaves the old file whole.
    ProfileText text(old.bytes, port);
    text.Set(kSection, key::BgmKind, NumberText(s.BgmKind));
    text.Set(kSection, key::BgmRepeat, NumberText(s.BgmRepeat));
    text.Set(kSection, key::BgmFile, s.BgmFile);
    text.Set(kSection, key::PictureSize, NumberText(dialog.scrollSize));
    text.Set(kSection, key::SizeRandom, NumberText(s.SizeRandom));
    text.Set(kSection, key::ColorInterval, NumberText(dialog.scrollIntv));
    text.Set(kSection, key::Gradation, NumberText(s.Gradation));
    text.Set(kSection, key::BackColorRandom, NumberText(s.BackColorRandom));
    text.Set(kSection, key::BackColor, NumberText(dialog.swatchColor));
    text.Set(kSection, key::Shape, NumberText(s.Shape));
    const std::string bytes = text.Bytes();

    WriteStatus written = port.ReplaceFileBytes(path, bytes);
    const std::string user = UserSettingsPath(port);
    if (written == WriteStatus::Failed && path != user && !user.empty()) {
        // The program's folder cannot be written (a program file copied into
        // the system folder): the user's own copy takes the settings, with
        // the rest of the program's file, and loads read it first from now on.
        port.MakeFolder(UserSettingsFolder(port));
        written = port.ReplaceFileBytes(user, bytes);
    }
    if (written == WriteStatus::ReadOnly) return fail(SaveFailure::ReadOnlyFile);
    if (written != WriteStatus::Written) return fail(SaveFailure::CannotWrite);
    ApiResult = 1;
    if (why != nullptr) *why = SaveFailure::None;
    return true;
}

}  // namespace lvx
