// The command line of the X11 hack, in XScreenSaver's spelling, and the
// settings it amounts to. Portable: nothing here talks to a display.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/settings.h"

namespace lvx::hack {

inline constexpr std::string_view kProgramName = "lumvex-k47";

struct Options {
    enum class Target { OwnWindow, Root, WindowId };
    Target target = Target::OwnWindow;
    // -window-id, or $XSCREENSAVER_WINDOW for -root and the default.
    unsigned long windowId = 0;
    std::optional<long> delayMicroseconds;
    bool fps = false;
    bool help = false;
    bool version = false;
    // Settings-file keys (code-page-932 bytes) and values in the order given;
    // an empty key stands for "-settings FILE" with the file as its value.
    std::vector<std::pair<std::string, std::string>> steps;
};

// Parses argv[1..]; env is $XSCREENSAVER_WINDOW (null when unset). On bad
// input, returns nothing and sets error to one line naming what was wrong.
std::optional<Options> Parse(const std::vector<std::string>& args, const char* xscreensaverWindow,
                             std::string& error);

// "#RRGGBB" as 0x00BBGGRR; nothing for any other text.
std::optional<int32_t> HexColour(std::string_view text);

// The step key of "-background NAME": a colour name the display resolves.
inline constexpr std::string_view kColourNameStep = "\x01colour";

// What the settings need of the system: a file's bytes, or nothing when it
// cannot be read; a colour name as 0x00BBGGRR, or nothing when unknown.
using FileReader = std::function<std::optional<std::string>(const std::string& path)>;
using ColourResolver = std::function<std::optional<int32_t>(const std::string& name)>;

// The settings for a window of this width: the steps applied in order over
// the defaults (a settings file sets the keys it holds), then read with the
// settings reader's rules and bounds. Music is off. False with error set
// when a settings file cannot be read or a colour name is unknown.
bool BuildSettings(const Options& options, double widthPx, const FileReader& read, const ColourResolver& colourOf,
                   Settings& settings, std::string& error);

std::string HelpText();

}  // namespace lvx::hack
