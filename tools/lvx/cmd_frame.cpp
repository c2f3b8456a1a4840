#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "arg_rules.h"
#include "commands.h"
#include "output_file.h"
#include "saver/frame_saver.h"
#include "settings/settings_file.h"
#include "settings/std_settings_port.h"

namespace lvx::tool {
namespace {

// The most passes one frame may ask for: four and a half hours of the saver
// at 60 passes a second.
constexpr int32_t kMaxPass = 1000000;

// Why the saver would find no settings at path, or "" when it can read them.
std::string WhyUnreadable(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::strerror(errno ? errno : EACCES);
    return {};
}

// No settings file at all: the reader's defaults.
class NoFilePort final : public StdSettingsPort {
public:
    explicit NoFilePort(double widthPx) : StdSettingsPort({}, widthPx) {}
    FileContent ReadFile(const std::string&) override { return {}; }
};

}  // namespace

void AddFrame(CLI::App& lvx, Io& io) {
    CLI::App* frame = lvx.add_subcommand("frame", "one whole frame of the running saver as a PNG file");
    frame->footer(
        "Draws the frame the saver shows on a WIDTH x HEIGHT screen after PASS passes, every clock reading taken as\n"
        "SEED, on virtual time: pass k at k/60 s, the one-second timer ticking between pass 60s and pass\n"
        "60s + 1. The web page draws the same frame from ?seed=SEED&pass=PASS&still=1. Writes an 8-bit RGB\n"
        "PNG; an existing file is replaced only once the new one is complete.");
    struct Values {
        std::string w, h, seed, pass, ini, file;
    };
    auto v = std::make_shared<Values>();
    frame->add_option("WIDTH", v->w, "screen width in pixels, 1 to 16384; WIDTH x HEIGHT at most 67108864")
        ->type_name("PX")
        ->required()
        ->check(WholeRule(1, kMaxFrameSide));
    frame->add_option("HEIGHT", v->h, "screen height in pixels, 1 to 16384")->type_name("PX")->required()->check(WholeRule(1, kMaxFrameSide));
    frame->add_option("SEED", v->seed, "the clock reading every reseed takes, 0 to 18446744073709551615")
        ->type_name("N")
        ->required()
        ->check(SeedRule());
    frame->add_option("PASS", v->pass, "passes made before the frame, 0 to 1000000")
        ->type_name("N")
        ->required()
        ->check(WholeRule(0, kMaxPass));
    frame->add_option("OUTPUT", v->file, "the PNG file to write, or - for standard output")->type_name("FILE")->required();
    frame->add_option("--ini", v->ini, "a settings file (Lumvex_K47.ini), read as the saver reads it; the defaults without one")
        ->type_name("FILE")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    frame->callback([&io, v] {
        const int32_t w = *ParseWhole(v->w, 1, kMaxFrameSide), h = *ParseWhole(v->h, 1, kMaxFrameSide);
        if (int64_t{w} * h > kMaxPixels) {
            io.err << "lvx frame: a " << w << " x " << h << " frame has more than " << kMaxPixels << " pixels\n";
            io.code = 2;
            return;
        }
        if (v->file.empty()) {
            io.err << "lvx frame: OUTPUT is empty: name a file, or - for standard output\n";
            io.code = 2;
            return;
        }
        // A file that cannot be read gives the defaults, as in the saver.
        Settings settings;
        if (v->ini.empty()) {
            NoFilePort port(w);
            Load_ini_File(settings, port);
        } else {
            const std::string why = WhyUnreadable(v->ini);
            if (!why.empty()) io.err << "lvx frame: cannot read " << v->ini << " (" << why << "); drawing with the defaults\n";
            StdSettingsPort port(v->ini, w);
            Load_ini_File(settings, port);
        }
        try {
            FrameSaver saver(settings, w, h);
            saver.SetClock(*ParseSeed(v->seed));
            saver.Start();
            saver.RunTo(static_cast<uint64_t>(*ParseWhole(v->pass, 0, kMaxPass)));
            std::string problem;
            const std::string png = EncodePng(w, h, saver.Frame().data(), problem);
            if (png.empty()) {
                io.err << "lvx frame: cannot encode the frame: " << problem << "\n";
                io.code = 1;
                return;
            }
            const std::string why = WriteOutput(v->file, png, io.out);
            if (!why.empty()) {
                io.err << "lvx frame: cannot write " << v->file << ": " << why << "\n";
                io.code = 1;
            }
        } catch (const std::bad_alloc&) {
            io.err << "lvx frame: not enough memory for a " << w << " x " << h << " frame\n";
            io.code = 1;
        }
    });
}

}  // namespace lvx::tool
