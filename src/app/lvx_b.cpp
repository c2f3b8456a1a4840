#include "app/lvx_b.h"

#include <vector>

#include "common/number_rules.h"

namespace lvx {
namespace {

// Byte offsets of the first n UTF-8 characters' starts, plus the text's end.
std::vector<size_t> CharStarts(std::string_view text, size_t n) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size() && starts.size() < n; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    while (starts.size() < n) starts.push_back(text.size());
    return starts;
}

}  // namespace

std::string ModeLetter(std::string_view argText) {
    auto starts = CharStarts(argText, 3);
    if (starts[1] >= argText.size()) return {};
    std::string letter(argText.substr(starts[1], starts[2] - starts[1]));
    if (letter.size() == 1 && letter[0] >= 'a' && letter[0] <= 'z') letter[0] = static_cast<char>(letter[0] - 32);
    return letter;
}

std::string WindowNumberText(std::string_view argText) {
    auto starts = CharStarts(argText, 4);
    return std::string(argText.substr(starts[3]));
}

ModeChoice ChooseMode(std::string_view argText, bool isNt) {
    ModeChoice choice;
    choice.letter = ModeLetter(argText);
    using A = ModeChoice::Action;
    if (choice.letter == "P") {
        // The number at the start of the text, rounded; one too large for a
        // window handle fails its conversion and the step is skipped.
        auto host = NearestInt32(LeadingNumber(WindowNumberText(argText)));
        if (host) {
            choice.action = A::Preview;
            choice.number = *host;
        }
        return choice;
    }
    if (choice.letter == "A") {
        if (isNt) return choice;
        auto whole = ParseDecimal(WindowNumberText(argText));
        auto parent = whole ? NearestInt32(*whole) : std::nullopt;
        if (parent) {
            choice.action = A::Password;
            choice.number = *parent;
        } else {
            choice.action = A::PasswordSkip;
        }
        return choice;
    }
    if (choice.letter == "C") {
        choice.action = A::Settings;
    } else if (choice.letter == "S") {
        choice.action = A::SaverHidden;
    } else if (argText.empty()) {
        choice.action = A::SaverVisible;
    }
    return choice;
}

std::string ArgumentText(std::string_view commandLine) {
    size_t i = 0;
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    if (i < commandLine.size() && commandLine[i] == '"') {
        size_t close = commandLine.find('"', i + 1);
        // The quoted name ends at its closing quote, as the platform parses it.
        i = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    return std::string(commandLine.substr(i));
}

void Main(std::string_view argText, Settings& settings, AppPort& app, SettingsPort& files) {
    // Both look-ups are always made.
    bool dialogOpen = app.FindWindowByCaption(kDialogCaption);
    bool saverOpen = app.FindWindowByCaption(kSaverCaption);
    if (dialogOpen || saverOpen) {
        app.EndProgram();
        return;
    }

    const std::string letter = ModeLetter(argText);
    using A = ModeChoice::Action;
    if (letter == "P") {
        ModeChoice choice = ChooseMode(argText, false);
        if (choice.action == A::Preview) app.OpenPreview(choice.number);
        return;  // the preview window, if any, keeps the process alive
    }

    // The dialog keeps a music file that cannot be opened right now.
    Load_ini_File(settings, files, letter == "C");

    ModeChoice choice = ChooseMode(argText, letter == "A" && Is_WinNT(app) == kTrue);
    switch (choice.action) {
        case A::Password:
            app.PwdChangePassword("SCRSAVE", choice.number);
            app.EndProgram();
            return;
        case A::Settings:
            app.ShowSettingsDialog(settings);
            app.EndProgram();
            return;
        case A::SaverHidden:
            app.ShowCursor(false);
            app.RunSaver(settings, true);
            return;
        case A::SaverVisible:
            app.RunSaver(settings, false);
            return;
        default:
            app.EndProgram();
            return;
    }
}

}  // namespace lvx
