// lumvex-k47: the saver as an XScreenSaver hack.
#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator keeps freed memory unless told (GCC ships no
// header for it).
extern "C" void __sanitizer_purge_allocator();
#endif

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/classic_colors.h"
#include "saver/lvx_s.h"
#include "saver/x11/hack_options.h"
#include "saver/x11/x11_saver_port.h"
#include "sound/sound_02.h"
#include "sound/silent_sound_ports.h"

#ifndef LVX_VERSION
#define LVX_VERSION "0"
#endif

namespace {

using namespace lvx;

void ReleaseFreeMemory() {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_purge_allocator();
#endif
    malloc_trim(0);
}

int Fail(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int64_t start = x11::NowMicroseconds();
    x11::InstallStopSignals();

    std::string error;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto options = hack::Parse(args, std::getenv("XSCREENSAVER_WINDOW"), error);
    if (!options) return Fail(error);
    if (options->help) {
        std::fputs(hack::HelpText().c_str(), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("lumvex-k47 %s\n", LVX_VERSION);
        return 0;
    }

    x11::X11Target target;
    target.display = options->display;
    target.geometry = options->geometry;
    target.visual = options->visual;
    switch (options->target) {
        case hack::Options::Target::OwnWindow:
            target.kind = x11::X11Target::Kind::Own;
            break;
        case hack::Options::Target::Root:
            target.kind = x11::X11Target::Kind::Root;
            break;
        case hack::Options::Target::WindowId:
            target.kind = x11::X11Target::Kind::Given;
            target.window = options->windowId;
            break;
    }

    x11::X11SaverPort port;
    if (!port.Open(target, error)) return Fail("lumvex-k47: " + error);

    // The settings for a width: the file and options over the defaults, with
    // colour names resolved by the display.
    const hack::ColourResolver colourOf = [&port](const std::string& name) -> std::optional<int32_t> {
        int32_t colour = 0;
        if (!port.LookUpColour(name, colour)) return std::nullopt;
        return colour;
    };
    // Files are read and names resolved once; a new width only re-applies them.
    hack::SettingsValues resolved;
    if (!hack::ResolveSettings(*options, hack::ReadSettingsFile, colourOf, resolved, error)) return Fail(error);
    Settings settings;
    hack::SettingsForWidth(resolved, port.Width(), settings);
    // A big settings file leaves its reading's memory behind: give it back
    // before running for hours (and so that ending does not unmap it all).
    ReleaseFreeMemory();
    // A stop asked for while a big file was read ends it before it draws.
    if (x11::StopRequested()) return 0;

    port.SetPacing(options->delayMicroseconds);
    const char* stats = std::getenv("LVX_STATS");
    port.SetFrameRateReport(stats != nullptr && std::string(stats) == "1", options->fps, start);

    x11::X11ProgramPort program;
    x11::X11GradientPort gradient;
    SilentMci mci;
    SilentWave wave;
    Sound_02 sound(settings, mci, wave);
    Lvx_S saver(settings, false, port, program, gradient, sound);
    port.Attach(&saver, [&resolved](int32_t width) {
        Settings resized;
        hack::SettingsForWidth(resolved, width, resized);
        return resized.PictureSize;
    });
    saver.Form_Load();
    // A window that could not be served ended it (its line is on stderr).
    return port.Failed() ? 1 : 0;
}
