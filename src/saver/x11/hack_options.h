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

#include "saver/x11/hack_pacing.h"
#include "settings/settings.h"

namespace lvx::hack {

inline constexpr std::string_view kProgramName = "lumvex-k47";

struct Options {
    enum class Target { OwnWindow, Root, WindowId };
    Target target = Target::OwnWindow;
    // -window-id, or $XSCREENSAVER_WINDOW with -root.
    unsigned long windowId = 0;
    // The least time from one pass to the next (never faster than the refresh).
    long delayMicroseconds = kDefaultDelayMicroseconds;
    // -fps: the frame rate drawn in a corner of the picture.
    bool fps = false;
    // The standard options of every hack: -display, -geometry (own window
    // only), -visual (own window only), -mono and -install (accepted).
    std::string display;
    std::string geometry;
    std::string visual;
    bool mono = false;
    bool install = false;
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
// The step key of "-size-percent P": P per cent of the default size for the
// window's width (100: the default itself, whatever the width).
inline constexpr std::string_view kSizePercentStep = "\x01size%";

// What the settings need of the system: a file's bytes, or nothing when it
// cannot be read; a colour name as 0x00BBGGRR, or nothing when unknown.
using FileReader = std::function<std::optional<std::string>(const std::string& path)>;
using ColourResolver = std::function<std::optional<int32_t>(const std::string& name)>;

// A settings file's bytes: nothing for a folder, a device, a pipe or
// anything else that is not a regular file that can be read.
std::optional<std::string> ReadSettingsFile(const std::string& path);

// The steps applied in order over the defaults (a settings file sets the
// keys it holds), with files read and colour names resolved: what a width
// still has to be applied to. Made once per run.
struct SettingsValues {
    // Per settings key, the text the file or an option gave; nothing for the
    // default.
    std::vector<std::optional<std::string>> values;
    // -size-percent given after the last size from a file or -size.
    std::optional<long> sizePercent;
};
// False with error set when a settings file cannot be read or a colour name
// is unknown.
bool ResolveSettings(const Options& options, const FileReader& read, const ColourResolver& colourOf,
                     SettingsValues& resolved, std::string& error);
// The settings for a window of this width, read with the settings reader's
// rules and bounds. Music is off.
void SettingsForWidth(const SettingsValues& resolved, double widthPx, Settings& settings);

// Both at once.
bool BuildSettings(const Options& options, double widthPx, const FileReader& read, const ColourResolver& colourOf,
                   Settings& settings, std::string& error);

std::string HelpText();

}  // namespace lvx::hack
