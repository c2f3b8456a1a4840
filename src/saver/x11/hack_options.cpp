#include "saver/x11/hack_options.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cmath>
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
constexpr size_t kSizeIndex = 3;
constexpr size_t kBackColorIndex = 8;

}  // namespace

std::optional<int32_t> HexColour(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    std::array<int32_t, 3> rgb{};
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
    // -window-id's window; 0 for none (0 itself is refused).
    unsigned long windowId = 0;
    std::string prefix(kProgramName);
    prefix += ": ";
    auto fail = [&](const std::string& text) {
        error = prefix;
        error += text;
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
        } else if (name == "-window") {
            root = false;
            windowId = 0;
        } else if (name == "-window-id") {
            const std::string* v = value();
            if (v == nullptr) return std::nullopt;
            auto id = WholeNumber<unsigned long>(*v, true);
            if (!id || *id == 0) return fail("option \"" + arg + "\" takes a window id (decimal or 0x-hex), not \"" + *v + "\"");
            windowId = *id;
        } else if (name == "-delay") {
            auto n = number(0, 10'000'000);
            if (!n) return std::nullopt;
            o.delayMicroseconds = *n;
        } else if (name == "-display" || name == "-geometry" || name == "-visual") {
            const std::string* v = value();
            if (v == nullptr) return std::nullopt;
            if (v->empty()) return fail("option \"" + arg + "\" needs a value");
            (name == "-display" ? o.display : name == "-geometry" ? o.geometry : o.visual) = *v;
        } else if (name == "-mono") {
            o.mono = true;
        } else if (name == "-install") {
            o.install = true;
        } else if (name == "-fps") {
            o.fps = true;
        } else if (name == "-no-fps") {
            o.fps = false;
        } else if (name == "-size") {
            auto n = number(1, 32767);
            if (!n) return std::nullopt;
            set(key::PictureSize, std::to_string(*n));
        } else if (name == "-size-percent") {
            auto n = number(10, 400);
            if (!n) return std::nullopt;
            set(kSizePercentStep, std::to_string(*n));
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
            // Any other text is the display's to judge ("dark slate gray",
            // "rgb:20/40/60", "#123").
            if (v->empty()) return fail("option \"" + arg + "\" needs a colour name or #RRGGBB");
            if (auto c = HexColour(*v)) {
                set(key::BackColor, std::to_string(*c));
            } else {
                set(kColourNameStep, *v);
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

    if (windowId != 0) {
        o.target = Options::Target::WindowId;
        o.windowId = windowId;
    } else if (root) {
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

std::optional<std::string> ReadSettingsFile(const std::string& path) {
    // Opened first and judged by what was opened: a pipe or a device would
    // block or never end, a folder has no bytes to give.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::string> bytes;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        std::string text;
        text.reserve(static_cast<size_t>(info.st_size));
        char buffer[1 << 16];
        ssize_t n = 0;
        while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
        if (n == 0) bytes = std::move(text);
    }
    close(fd);
    return bytes;
}

bool ResolveSettings(const Options& options, const FileReader& read, const ColourResolver& colourOf,
                     SettingsValues& resolved, std::string& error) {
    resolved.values.assign(kKeys.size(), std::nullopt);
    resolved.sizePercent.reset();
    auto& values = resolved.values;
    for (const auto& [k, v] : options.steps) {
        if (k == kColourNameStep) {
            const auto colour = colourOf ? colourOf(v) : std::nullopt;
            if (!colour) {
                error = std::string(kProgramName) + ": unknown colour \"" + v + "\"";
                return false;
            }
            values[kBackColorIndex] = std::to_string(*colour);
            continue;
        }
        if (k == kSizePercentStep) {
            resolved.sizePercent = std::strtol(v.c_str(), nullptr, 10);
            values[kSizeIndex].reset();
            continue;
        }
        if (!k.empty()) {
            for (size_t i = 0; i < kKeys.size(); ++i) {
                if (kKeys[i] == k) values[i] = v;
            }
            if (k == key::PictureSize) resolved.sizePercent.reset();
            continue;
        }
        auto bytes = read(v);
        if (!bytes) {
            error = std::string(kProgramName) + ": cannot read the settings file \"" + v + "\"";
            return false;
        }
        // The width only bounds the size, which is read later for each width.
        BytesPort filePort(*bytes, 0);
        const ProfileText text(*bytes, filePort);
        for (size_t i = 0; i < kKeys.size(); ++i) {
            if (auto found = text.Get(kSection, kKeys[i]); found && !found->empty()) {
                values[i] = *found;
                if (i == kSizeIndex) resolved.sizePercent.reset();
            }
        }
    }
    return true;
}

void SettingsForWidth(const SettingsValues& resolved, double widthPx, Settings& settings) {
    std::vector<std::optional<std::string>> values = resolved.values;
    values.resize(kKeys.size());
    if (resolved.sizePercent) {
        // The default for this width as the reader makes it, then scaled;
        // the reader's bounds apply to the result.
        const double quarter = std::floor(widthPx / 4);
        if (quarter >= 0 && quarter <= 1e9) {
            const auto s = static_cast<int64_t>(quarter);
            const int64_t def = s - s / 6;
            values[kSizeIndex] = std::to_string(std::llround(static_cast<double>(def) * static_cast<double>(*resolved.sizePercent) / 100.0));
        }
    }
    // One document in the file's own format, read by the same reader.
    // Appended piece by piece: "[" + std::string(...) trips a false
    // -Wrestrict in GCC 12 at -O3.
    std::string doc(1, '[');
    doc += kSection;
    doc += "]\r\n";
    for (size_t i = 0; i < kKeys.size(); ++i) {
        if (!values[i]) continue;
        doc += kKeys[i];
        doc += '=';
        doc += *values[i];
        doc += "\r\n";
    }
    BytesPort port(doc, widthPx);
    Load_ini_File(settings, port);
    // A hack is silent.
    settings.BgmKind = 0;
    settings.BgmFile.clear();
}

bool BuildSettings(const Options& options, double widthPx, const FileReader& read, const ColourResolver& colourOf,
                   Settings& settings, std::string& error) {
    SettingsValues resolved;
    if (!ResolveSettings(options, read, colourOf, resolved, error)) return false;
    SettingsForWidth(resolved, widthPx, settings);
    return true;
}

std::string HelpText() {
    return std::string(kProgramName) + R"( - twelve turning two-colour gradients (an XScreenSaver hack)

Usage: lumvex-k47 [options]

Window:
  -root, --root          draw on the root window ($XSCREENSAVER_WINDOW when set, else the
                         virtual root of the window manager, else the real root)
  -window-id ID          draw into the window ID (decimal or 0x-hex, not 0)
  -window                open a window of its own (the default; q or Escape ends it)
  -geometry WxH+X+Y      size and place of that window (1024x768 when not given)
  -display NAME          the X display (else $DISPLAY)
  -visual NAME           that window's visual: default, best, truecolor or an id
  -mono, -install        accepted; the pictures are colour gradients either way
  -delay MICROSECONDS    least time from one frame to the next, never faster than the
                         monitor's refresh (default 16667: at most 60 frames a second;
                         0: one frame per refresh)
  -fps                   show the frame rate in a corner of the picture

Pictures:
  -size N                edge of each picture in pixels (kept within an eighth and a
                         quarter of the window's width)
  -size-percent P        edge of each picture in per cent of the default for the
                         window's width (100: the default, 5/6 of the largest size)
  -random-size           a random size at every colour change (-no-random-size: off)
  -interval N            new colours every N + 1 seconds (default 15: every 16 s)
  -gradation 0..3        0 colour to white, 1 colour to black, 2 two colours, 3 both black
  -background COLOR      background colour: an X colour name ("dark slate gray") or #RRGGBB
  -random-background     a random background at every colour change (-no-random-background: off)
  -shape square|circle   shape of the pictures
  -settings FILE         read a Lumvex_K47.ini as the Windows program writes it; options
                         given after it override it

  -help, --help          this text
  -version, --version    the version

Hacks are silent: the Windows program's background music is not played here.
LVX_STATS=1 in the environment prints the first frame's time, then frames per
second and CPU share once a second, on standard error.
)";
}

}  // namespace lvx::hack
