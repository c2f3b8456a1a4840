// The settings file "Lumvex_K47.ini" beside the program: its reader, its
// writer and their defaults and bounds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace lvx {

// What the settings file code needs of the platform. Paths are
// code-page-932 bytes, as the file stores them.
class SettingsPort {
public:
    virtual ~SettingsPort() = default;
    // The whole file, or nothing when it is missing or cannot be read.
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    // Writes a temporary file in the same folder and puts it in place in one
    // step; on failure the old file is left as it was.
    virtual bool ReplaceFileBytes(const std::string& path, const std::string& bytes) = 0;
    // Opens the file for reading and closes it again; never creates it.
    virtual bool CanOpenForReading(const std::string& path) = 0;
    // The folder that holds the program file, as the platform reports it.
    virtual std::string ProgramFolder() = 0;
    // Width of the primary screen in pixels.
    virtual double ScreenWidthPx() = 0;
};

inline constexpr std::string_view kSection = "Section";

// The ten keys in file order, as code-page-932 bytes.
namespace key {
inline constexpr std::string_view BgmKind = "BGM\x8B\xE6\x95\xAA";                          // BGM区分
inline constexpr std::string_view BgmRepeat = "BGM\xD8\xCB\xDF\xB0\xC4";                    // BGMﾘﾋﾟｰﾄ
inline constexpr std::string_view BgmFile = "BGM\xCC\xA7\xB2\xD9";                          // BGMﾌｧｲﾙ
inline constexpr std::string_view PictureSize = "\xCB\xDF\xB8\xC1\xAC\x82\xCC\xBB\xB2\xBD\xDE";  // ﾋﾟｸﾁｬのｻｲｽﾞ
inline constexpr std::string_view SizeRandom = "\xBB\xB2\xBD\xDE\xD7\xDD\xC0\xDE\xD1";      // ｻｲｽﾞﾗﾝﾀﾞﾑ
inline constexpr std::string_view ColorInterval = "\x90\x46\x82\xCC\x93\x5D\x8A\xB7";       // 色の転換
inline constexpr std::string_view Gradation = "\xB8\xDE\xD7\xC3\xDE\xB0\xBC\xAE\xDD";       // ｸﾞﾗﾃﾞｰｼｮﾝ
inline constexpr std::string_view BackColorRandom = "\x94\x77\x8C\x69\x90\x46\xD7\xDD\xC0\xDE\xD1";  // 背景色ﾗﾝﾀﾞﾑ
inline constexpr std::string_view BackColor = "\x94\x77\x8C\x69\x90\x46";                   // 背景色
inline constexpr std::string_view Shape = "\x8C\x60\x8F\xF3";                               // 形状
}  // namespace key

// Folder of the program file followed by "\Lumvex_K47.ini".
std::string SettingsFilePath(SettingsPort& port);

// The stored value, cut to 255 bytes, or an empty text.
std::string Get_ini_String(std::string_view section, std::string_view key, const std::string& path,
                           SettingsPort& port);

// Stores one value; ApiResult is 1 on success and 0 on failure. Always empty.
std::string Put_ini_String(std::string_view section, std::string_view key, std::string_view value,
                           const std::string& path, SettingsPort& port);

// True (-1) when the file can be opened for reading; a trailing "\" is dropped first.
int16_t File_Exists(std::string_view path, SettingsPort& port);

// Fills settings from the file, with every default and bound. The saver
// forgets a music file that cannot be opened now; the settings dialog passes
// keepMusicChoice so that a drive that is only unplugged does not cost the
// user the choice (kind 2 and the path stay as stored).
void Load_ini_File(Settings& settings, SettingsPort& port, bool keepMusicChoice = false);

// The four values that live in the settings dialog's controls.
struct DialogValues {
    std::string bgmRepeatText;  // text of the BGM_Repeat combo box
    int32_t scrollSize = 0;     // Scroll_Size
    int32_t scrollIntv = 0;     // Scroll_Intv
    int32_t swatchColor = 0;    // fill of lbl_B_C
};

// Why a save did not reach the file.
enum class SaveFailure {
    None,
    CannotRead,    // the file exists but cannot be read: replacing it would lose it
    ReadOnlyFile,  // the user protected the file
    CannotWrite,   // the folder cannot be written, the disk is full, ...
};

// Writes all ten keys in one replace of the file. Only BgmRepeat changes in
// settings. Returns whether the file now holds them; why tells what failed.
bool Set_ini_File(Settings& settings, const DialogValues& dialog, SettingsPort& port,
                  SaveFailure* why = nullptr);

}  // namespace lvx
