#include <algorithm>

#include <CLI/CLI.hpp>

#include "commands.h"
#include "lvx_version.h"

namespace lvx::tool {

int Run(const Args& words, std::ostream& out, std::ostream& err) {
    CLI::App lvx("lvx shows what the Lumvex_K47 screen saver would do, without a screen.", "lvx");
    lvx.set_version_flag("--version", std::string("lvx ") + LVX_VERSION_TEXT);
    lvx.require_subcommand(1, 1);
    lvx.get_formatter()->label("Subcommands", "Commands");
    lvx.get_formatter()->label("SUBCOMMAND", "COMMAND");
    lvx.footer("Run 'lvx COMMAND --help' for what a command prints and the formats of its arguments.");
    Io io{out, err};
    AddSettings(lvx, io);
    AddMode(lvx, io);
    AddBlend(lvx, io);
    AddLines(lvx, io);
    AddRender(lvx, io);
    AddCells(lvx, io);
    AddFrame(lvx, io);

    std::vector<std::string> args = words;
    if (args.empty()) {
        err << "lvx: no command given\nRun 'lvx --help' for the commands.\n";
        return 2;
    }
    // "lvx help [COMMAND]" is "lvx [COMMAND] --help".
    if (args[0] == "help" && args.size() <= 2) {
        args.erase(args.begin());
        args.push_back("--help");
    }
    if (args[0].size() > 1 && args[0][0] == '-' && args[0] != "-h" && args[0] != "--help" &&
        args[0] != "--version") {
        err << "lvx: unknown option '" << args[0] << "'\nRun 'lvx --help' for more information.\n";
        return 2;
    }
    if (!args.empty() && !args[0].empty() && args[0][0] != '-') {
        bool known = false;
        for (const CLI::App* c : lvx.get_subcommands({})) known = known || c->check_name(args[0]);
        if (!known) {
            err << "lvx: unknown command '" << args[0] << "'\nRun 'lvx --help' for the commands.\n";
            return 2;
        }
        // An argument text starts with '-' as often as with '/': it is TEXT, not an option.
        if (args[0] == "mode" && args.size() == 2 && args[1] != "-h" && args[1] != "--help") {
            args.insert(args.begin() + 1, "--");
        }
    }
    std::reverse(args.begin(), args.end());  // CLI11 takes them last first
    // Output that did not reach its file is a failure, whatever the command did.
    const auto written = [&out, &err](int code) {
        if (out.flush()) return code;
        if (code == 0) err << "lvx: cannot write the output\n";
        return 1;
    };
    try {
        lvx.parse(args);
    } catch (const CLI::CallForHelp& e) {
        return written(lvx.exit(e, out, err));
    } catch (const CLI::CallForAllHelp& e) {
        return written(lvx.exit(e, out, err));
    } catch (const CLI::CallForVersion& e) {
        return written(lvx.exit(e, out, err));
    } catch (const CLI::ParseError& e) {
        std::string where = "lvx";
        for (const CLI::App* c : lvx.get_subcommands()) where += " " + c->get_name();
        err << where << ": " << e.what() << "\nRun '" << where << " --help' for more information.\n";
        return 2;
    }
    return written(io.code);
}

}  // namespace lvx::tool
