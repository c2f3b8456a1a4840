#include "saver/x11/hack_options.h"

#include <array>
#include <charconv>
#include <cstdlib>

#include "settings/settings_file.h"
#include "settings/std_settings_port.h"

namespace lvx::hack {
namespace {

// A number that is all digits of base 10 (or 16 after "0x") and fits.
template <class T>
std::optional<T> WholeNumber(std::string_view text, bool allowHex = false) {
    int base = 10;
    if (allowHex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// XScreenSaver accepts one or two leading dashes.
std::string_view OptionName(std::string_view arg) {
    if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-') arg.remove_prefix(1);
    return arg;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class BytesPort : public StdSettingsPort {
public:
    BytesPort(std::string bytes, double widthPx) : StdSettingsPort("<settings>", widthPx), bytes_(std::move(bytes)) {}
    FileContent ReadFile(const std::string&) override { return {FileContent::Status::Read, bytes_}; }

private:
    std::string bytes_;
};

const std::array<std::string_view, 10> kKeys = {key::BgmKind,    key::BgmRepeat,     key::BgmFile,       key::PictureSize,
                                                key::SizeRandom, key::ColorInterval, key::Gradation,     key::BackColorRandom,
                                                key::BackColor,  key::Shape};

}  // namespace

std::optional<int32_t> HexColour(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    int32_t rgb[3];
    for (int i = 0; i < 3; ++i) {
        const int hi = HexDigit(text[1 + 2 * i]), lo = HexDigit(text[2 + 2 * i]);
        if (hi < 0 || lo < 0) return std::nullopt;
        rgb[i] = hi * 16 + lo;
    }
    return rgb[0] + rgb[1] * 256 + rgb[2] * 65536;
}

std::optional<Options> Parse(const std::vector<std::string>& args, const char* xscreensaverWindow,
                             std::string& error) {
    Options o;
    bool root = false;
    bool ownWindow = false;
    std::optional<unsigned long> windowId;
    const std::string prefix = std::string(kProgramName) + ": ";
    auto fail = [&](const std::string& text) {
        error = prefix + text;
        return std::optional<Options>();
    };
    auto set = [&](std::string_view k, std::string value) { o.steps.emplace_back(std::string(k), std::move(value)); };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string_view name = OptionName(arg);
        // The option's value, or nothing (with the error set) when it is missing.
        auto value = [&]() -> const std::string* {
            if (i + 1 >= args.size()) {
                error = prefix + "option \"" + arg + "\" needs a value";
                return nullptr;
            }
            return &args[++i];
        };
        // An integer value within bounds.
        auto number = [&](long low, long high) -> std::optional<long> {
            const std::string* v = value();
            if (v == nullptr) return std::nullopt;
            auto n = WholeNumber<long>(*v);
            if (!n || *n < low || *n > high) {
                error = prefix + "option \"" + arg + "\" takes a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", not \"" + *v + "\"";
                return std::nullopt;
            }
            return n;
        };

        if (name == "-root") {
            root = true;
            ownWindow = false;
        } else if (name == "-window") {
            root = false;
            ownWindow = true;
            windowId.reset();
        } else if (name == "-window-id") {
            const std::string* v = value();
            if (v == nullptr) return std::nullopt;
            auto id = WholeNumber<unsigned long>(*v, true);
            if (!id || *id == 0) return fail("option \"" + arg + "\" takes a window id (decimal or 0x-hex), not \"" + *v + "\"");
            windowId = id;
        } else if (name == "-delay") {
            auto n = number(0, 10'000'000);
            if (!n) return std::nullopt;
            o.delayMicroseconds = *n;
        } else if (name == "-fps") {
            o.fps = true;
        } else if (name == "-no-fps") {
            o.fps = false;
        } else if (name == "-size") {
            auto n = number(1, 32767);
            if (!n) return std::nullopt;
            set(key::PictureSize, std::to_string(*n));
        } else if (name == "-random-size" || name == "-no-random-size") {
            set(key::SizeRandom, name == "-random-size" ? "1" : "0");
        } else if (name == "-interval") {
            auto n = number(1, 32767);
            if (!n) return std::nullopt;
            set(key::ColorInterval, std::to_string(*n));
        } else if (name == "-gradation") {
            auto n = number(0, 3);
            if (!n) return std::nullopt;
            set(key::Gradation, std::to_string(*n));
        } else if (name == "-background" || name == "-bg") {
            const std::string* v = value();
            if (v == nullptr) return std::nullopt;
            if (auto c = HexColour(*v)) {
                set(key::BackColor, std::to_string(*c));
            } else if (!v->empty() && (*v)[0] != '#' && v->find_first_of(" \t\r\n") == std::string::npos) {
                set(kColourNameStep, *v);
            } else {
                return fail("option \"" + arg + "\" takes a colour name or #RRGGBB, not \"" + *v + "\"");
            }
        } else if (name == "-random-background" || name == "-no-random-background") {
            set(key::BackColorRandom, name == "-random-background" ? "1" : "0");
        } else if (name == "-shape") {
            const std::string* v = value();
            if (v == nullptr) return std::nullopt;
            if (*v == "square") {
                set(key::Shape, "0");
            } else if (*v == "circle") {
                set(key::Shape, "1");
            } else {
                return fail("option \"" + arg + "\" takes square or circle, not \"" + *v + "\"");
            }
        } else if (name == "-settings") {
            const std::string* v = value();
            if (v == nullptr) return std::nullopt;
            if (v->empty()) return fail("option \"" + arg + "\" needs a file name");
            set("", *v);
        } else if (name == "-help" || name == "-h") {
            o.help = true;
        } else if (name == "-version") {
            o.version = true;
        } else {
            return fail("unknown option \"" + arg + "\" (try --help)");
        }
    }

    if (windowId) {
        o.target = Options::Target::WindowId;
        o.windowId = windowId.value_or(0);
    } else if (root || (!ownWindow && xscreensaverWindow != nullptr)) {
        // The daemon's own window covers the real root: draw on that one.
        o.target = Options::Target::Root;
        if (xscreensaverWindow != nullptr && *xscreensaverWindow != '\0') {
            auto id = WholeNumber<unsigned long>(xscreensaverWindow, true);
            if (!id || *id == 0) {
                return fail(std::string("XSCREENSAVER_WINDOW is not a window id: \"") + xscreensaverWindow + "\"");
            }
            o.target = Options::Target::WindowId;
            o.windowId = *id;
        }
    }
    return o;
}

bool BuildSettings(const Options& options, double widthPx, const FileReader& read, const ColourResolver& colourOf,
                   Settings& settings, std::string& error) {
    std::array<std::optional<std::string>, kKeys.size()> values;
    for (const auto& [k, v] : options.steps) {
        if (k == kColourNameStep) {
            const auto colour = colourOf ? colourOf(v) : std::nullopt;
            if (!colour) {
                error = std::string(kProgramName) + ": unknown colour \"" + v + "\"";
                return false;
            }
            values[8] = std::to_string(*colour);
            continue;
        }
        if (!k.empty()) {
            for (size_t i = 0; i < kKeys.size(); ++i) {
                if (kKeys[i] == k) values[i] = v;
            }
            continue;
        }
        auto bytes = read(v);
        if (!bytes) {
            error = std::string(kProgramName) + ": cannot read the settings file \"" + v + "\"";
            return false;
        }
        BytesPort filePort(*bytes, widthPx);
        const ProfileText text(*bytes, filePort);
        for (size_t i = 0; i < kKeys.size(); ++i) {
            if (auto found = text.Get(kSection, kKeys[i]); found && !found->empty()) values[i] = *found;
        }
    }
    // One document in the file's own format, read by the same reader.
    std::string doc = "[" + std::string(kSection) + "]\r\n";
    for (size_t i = 0; i < kKeys.size(); ++i) {
        if (values[i]) doc += std::string(kKeys[i]) + "=" + *values[i] + "\r\n";
    }
    BytesPort port(doc, widthPx);
    Load_ini_File(settings, port);
    // A hack is silent.
    settings.BgmKind = 0;
    settings.BgmFile.clear();
    return true;
}

std::string HelpText() {
    return std::string(kProgramName) + R"( - twelve turning two-colour gradients (an XScreenSaver hack)

Usage: lumvex-k47 [options]

Window:
  -root, --root          draw on the virtual root ($XSCREENSAVER_WINDOW, else the root window)
  -window-id ID          draw into the window ID (decimal or 0x-hex)
  -window                open a 1024 x 768 window of its own (the default; q or Escape ends it)
  -delay MICROSECONDS    time between frames instead of one frame per display refresh
  -fps                   print frames per second and CPU share once a second on stderr

Pictures:
  -size N                edge of each picture in pixels (kept within an eighth and a
                         quarter of the window's width)
  -random-size           a random size at every colour change (-no-random-size: off)
  -interval SECONDS      seconds between colour changes
  -gradation 0..3        0 colour to white, 1 colour to black, 2 two colours, 3 both black
  -background COLOR      background colour: an X colour name or #RRGGBB
  -random-background     a random background at every colour change (-no-random-background: off)
  -shape square|circle   shape of the pictures
  -settings FILE         read a Lumvex_K47.ini as the Windows program writes it; options
                         given after it override it

  -help, --help          this text
  -version, --version    the version

Hacks are silent: the Windows program's background music is not played here.
)";
}

}  // namespace lvx::hack
