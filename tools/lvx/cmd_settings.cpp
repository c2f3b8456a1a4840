#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>

#include <CLI/CLI.hpp>

#include "arg_rules.h"
#include "commands.h"
#include "settings/settings_file.h"
#include "settings/std_settings_port.h"

namespace lvx::tool {
namespace {

// Why the saver would see no file at path, or "" when it can be read.
std::string WhyUnread(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::strerror(errno ? errno : EACCES);
    return {};
}

}  // namespace

void AddSettings(CLI::App& lvx, Io& io) {
    CLI::App* settings = lvx.add_subcommand("settings", "the settings as the saver would load them from a file");
    settings->footer(
        "Prints one Key=value a line. A file that cannot be read gives the defaults, as in the saver,\n"
        "with a note on stderr.");
    struct Values {
        std::string ini, width = "1024";
    };
    auto v = std::make_shared<Values>();
    settings->add_option("--ini", v->ini, "the settings file (Lumvex_K47.ini)")
        ->required()
        ->type_name("FILE")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    settings->add_option("--screen-width", v->width, "the screen's width in pixels, for the picture size's bounds")
        ->type_name("PX")
        ->capture_default_str()
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw)
        ->check(WholeRule(1, std::numeric_limits<int32_t>::max()));
    settings->callback([&io, v] {
        const std::string why = WhyUnread(v->ini);
        if (!why.empty()) io.err << "lvx settings: cannot read " << v->ini << " (" << why << "); showing the defaults\n";
        StdSettingsPort port(v->ini, *ParseWhole(v->width, 1, std::numeric_limits<int32_t>::max()));
        Settings s;
        Load_ini_File(s, port);
        io.out << "BgmKind=" << s.BgmKind << "\n"
               << "BgmRepeat=" << s.BgmRepeat << "\n"
               << "BgmFile=" << s.BgmFile << "\n"
               << "PictureSize=" << s.PictureSize << "\n"
               << "SizeRandom=" << s.SizeRandom << "\n"
               << "ColorInterval=" << s.ColorInterval << "\n"
               << "Gradation=" << s.Gradation << "\n"
               << "BackColorRandom=" << s.BackColorRandom << "\n"
               << "BackColor=" << s.BackColor << "\n"
               << "Shape=" << s.Shape << "\n"
               << "PictureCount=" << s.PictureCount << "\n";
    });
}

}  // namespace lvx::tool
