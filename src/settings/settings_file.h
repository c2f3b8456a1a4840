// The settings file "Lumvex_K47.ini" beside the program: its reader, its
// writer and their defaults and bounds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_document.h"
#include "settings/settings.h"

namespace lvx {

// What reading a file gave: its bytes, or why there are none. A file that
// is there but cannot be read (no permission, locked, an I/O error) is not a
// missing one: loading treats both alike, but a save must never replace it.
struct FileContent {
    enum class Status { Missing, Read, Unreadable };
    Status status = Status::Missing;
    std::string bytes;  // when Read
};

enum class WriteStatus {
    Written,
    ReadOnly,  // the file carries the platform's read-only mark: left as it was
    Failed,    // anything else: the folder cannot be written, the disk is full, ...
};

// What the settings file code needs of the platform. Paths are
// code-page-932 bytes, as the file stores them.
class SettingsPort {
public:
    virtual ~SettingsPort() = default;
    virtual FileContent ReadFile(const std::string& path) = 0;
    // Writes a temporary file in the same folder and puts it in place in one
    // step; on failure the old file is left as it was. Refuses to replace a
    // read-only file, whoever runs the program.
    virtual WriteStatus ReplaceFileBytes(const std::string& path, const std::string& bytes) = 0;
    // Opens the file for reading and closes it again; never creates it.
    virtual bool CanOpenForReading(const std::string& path) = 0;
    // The folder that holds the program file, as the platform reports it.
    virtual std::string ProgramFolder() = 0;
    // The user's own application-data folder (%APPDATA%), or empty when the
    // platform has none.
    virtual std::string UserDataFolder() = 0;
    // Creates a folder whose parent exists; true when it exists afterwards.
    virtual bool MakeFolder(const std::string& path) = 0;
    // Width of the primary screen in pixels.
    virtual double ScreenWidthPx() = 0;
    // Code page 932 and UTF-16, converted as the platform's own text
    // functions do: a character the target cannot hold becomes "?".
    virtual std::u16string Cp932ToUtf16(std::string_view bytes) = 0;
    virtual std::string Utf16ToCp932(std::u16string_view text) = 0;
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

// A settings file's text in the encoding the platform gives it: code-page-932
// bytes, or UTF-16LE when the file starts with that byte-order mark (the
// platform then reads and writes it in UTF-16, and so does this). A UTF-8
// byte-order mark means nothing to the platform: it is part of the first line.
class ProfileText {
public:
    ProfileText(const std::string& bytes, SettingsPort& port);
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);
    std::string Bytes() const;
    bool IsUtf16() const { return utf16_; }

private:
    SettingsPort& port_;
    bool utf16_ = false;
    IniDocument narrow_;
    WideIniDocument wide_;
    std::string oddByte_;  // a UTF-16 file of odd length keeps its last byte
};

// Folder of the program file followed by "\Lumvex_K47.ini"; empty when the
// folder has no name in code page 932.
std::string ProgramSettingsPath(SettingsPort& port);
// The user's own copy, "%APPDATA%\Lumvex_K47\Lumvex_K47.ini", or empty when
// the platform has no such folder.
std::string UserSettingsPath(SettingsPort& port);
// The file that loading and saving use: the user's own copy once it exists
// (a save went there because the program's folder could not be written),
// otherwise the one beside the program.
std::string SettingsFilePath(SettingsPort& port);

// The stored value, cut to 255 bytes, or an empty text.
std::string Get_ini_String(std::string_view section, std::string_view key, const std::string& path,
                           SettingsPort& port);

// Stores one value; ApiResult is 1 on success and 0 on failure (a file that
// cannot be read or is read-only is left alone). Always empty.
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
    CannotWrite,   // neither the program's folder nor the user's own could take the file
};

// Writes all ten keys in one replace of the file that SettingsFilePath names.
// When the program's folder cannot be written, the keys go to the user's own
// copy instead (with the rest of the program's file), which every later load
// reads first. A file that cannot be read or is read-only is never replaced
// and no copy is made over the user's protection. Only BgmRepeat changes in
// settings. Returns whether a file now holds the keys; why tells what failed.
bool Set_ini_File(Settings& settings, const DialogValues& dialog, SettingsPort& port,
                  SaveFailure* why = nullptr);

}  // namespace lvx
