// Start-up: the argument text decides what the process does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/program_port.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

namespace lvx {

inline constexpr std::string_view kSaverCaption = "Lumvex_K47_Main";
inline constexpr std::string_view kDialogCaption = "Lumvex_K47\xE3\x81\xAE\xE8\xA8\xAD\xE5\xAE\x9A";  // Lumvex_K47の設定 (UTF-8)
inline constexpr std::string_view kPreviewCaption = "Preview Window";

// What start-up needs of the platform: besides what the saver needs of the
// program (cursor, version, system parameters, ending), its own windows.
class AppPort : public ProgramPort {
public:
    // A top-level window with exactly this caption (UTF-8) exists.
    virtual bool FindWindowByCaption(std::string_view caption) = 0;
    // PwdChangePasswordA(provider, parent, 0, 0) where the platform has it.
    virtual void PwdChangePassword(std::string_view provider, int32_t parentWindow) = 0;
    // The windows start-up hands over to.
    virtual void OpenPreview(int32_t hostWindow) = 0;
    virtual void ShowSettingsDialog(Settings& settings) = 0;
    virtual void RunSaver(Settings& settings, bool saverMode) = 0;
};

// The second character of the argument text, upper case; empty when the text
// is shorter than two characters. Texts are UTF-8.
std::string ModeLetter(std::string_view argText);
// The text from the fourth character on ("1234" for "/p 1234").
std::string WindowNumberText(std::string_view argText);

// What Main does for an argument text when no guard window exists.
struct ModeChoice {
    enum class Action { End, Preview, Password, PasswordSkip, Settings, SaverHidden, SaverVisible };
    std::string letter;
    Action action = Action::End;
    int32_t number = 0;  // host window (Preview) or parent window (Password)
};
ModeChoice ChooseMode(std::string_view argText, bool isNt);

// The argument text of a full command line: what follows the program's name
// (quoted or not), without the blanks that separate it from the name.
std::string ArgumentText(std::string_view commandLine);

void Main(std::string_view argText, Settings& settings, AppPort& app, SettingsPort& files);

}  // namespace lvx
