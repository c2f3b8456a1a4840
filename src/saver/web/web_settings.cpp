#include "saver/web/web_settings.h"

#include <cmath>
#include <string_view>

#include "dialog/lvx_p.h"
#include "dialog/lvx_p_layout.h"
#include "settings/settings_file.h"
#include "saver/web/web_text.h"

namespace lvx::web {
namespace {

const std::array<std::string_view, kKeyCount> kKeys = {
    key::BgmKind,       key::BgmRepeat, key::BgmFile,         key::PictureSize, key::SizeRandom,
    key::ColorInterval, key::Gradation, key::BackColorRandom, key::BackColor,   key::Shape};

// The settings file as bytes in memory: what a save writes is kept. Its
// text converts through the browser's own code-page-932 decoder.
class MemoryFilePort final : public SettingsPort {
public:
    MemoryFilePort(std::string bytes, double widthPx) : bytes_(std::move(bytes)), widthPx_(widthPx) {}
    FileContent ReadFile(const std::string&) override {
        if (bytes_.empty()) return {FileContent::Status::Missing, {}};
        return {FileContent::Status::Read, bytes_};
    }
    WriteStatus ReplaceFileBytes(const std::string&, const std::string& bytes) override {
        bytes_ = bytes;
        return WriteStatus::Written;
    }
    bool CanOpenForReading(const std::string&) override { return false; }
    std::string ProgramFolder() override { return "<page>"; }
    std::string UserDataFolder() override { return {}; }
    bool MakeFolder(const std::string&) override { return false; }
    double ScreenWidthPx() override { return widthPx_; }
    std::u16string Cp932ToUtf16(std::string_view bytes) override { return DecodeCp932(bytes); }
    std::string Utf16ToCp932(std::u16string_view text) override { return EncodeCp932(text); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    double widthPx_;
};

}  // namespace

std::string DocumentOf(const std::array<std::string, kKeyCount>& values) {
    std::string doc = "[" + std::string(kSection) + "]\r\n";
    for (size_t i = 0; i < kKeys.size(); ++i) {
        // A value is one line of the file: a line break would start another.
        const std::string& v = values[i];
        if (v.empty() || v.find_first_of("\r\n") != std::string::npos) continue;
        doc += std::string(kKeys[i]) + "=" + v + "\r\n";
    }
    return doc;
}

Settings SettingsFor(const std::array<std::string, kKeyCount>& values, double widthPx) {
    MemoryFilePort port(DocumentOf(values), widthPx);
    Settings s;
    Load_ini_File(s, port);
    s.BgmKind = 0;
    s.BgmFile.clear();
    return s;
}

Settings ReadForPanel(const std::string& bytes, double screenWidthPx) {
    MemoryFilePort port(bytes, screenWidthPx);
    Settings s;
    // The music choice is the file's own business: the page keeps it as it is.
    Load_ini_File(s, port, true);
    dialog::NormaliseForDialog(s, static_cast<int32_t>(std::floor(screenWidthPx / 4)),
                               static_cast<int32_t>(std::floor(screenWidthPx / 8)));
    return s;
}

std::string WriteFromPanel(const std::string& bytes, const PanelValues& v) {
    MemoryFilePort port(bytes, 0);
    Settings s;
    Load_ini_File(s, port, true);
    s.SizeRandom = static_cast<int16_t>(v.sizeRandom == 1);
    s.Gradation = static_cast<int16_t>(v.gradation >= 0 && v.gradation <= 2 ? v.gradation : 1);
    s.BackColorRandom = static_cast<int16_t>(v.backRandom == 1);
    s.Shape = static_cast<int16_t>(v.shape == 1);
    DialogValues dialog;
    dialog.bgmRepeatText = dialog::RepeatText(s.BgmRepeat);
    dialog.scrollSize = v.size;
    dialog.scrollIntv = v.interval;
    dialog.swatchColor = v.backColor;
    Set_ini_File(s, dialog, port);
    return port.Bytes();
}

}  // namespace lvx::web
