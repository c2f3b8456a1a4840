// lvx: shows what the saver would do, without a screen.
#include <iostream>
#include <string_view>

#include "commands.h"

namespace {

struct Command {
    std::string_view name;
    int (*run)(const lvx::tool::Args&, std::ostream&, std::ostream&);
    std::string_view usage;
};

constexpr Command kCommands[] = {
    {"settings", lvx::tool::CmdSettings, "settings --ini FILE [--screen-width PX]"},
    {"mode", lvx::tool::CmdMode, "mode TEXT"},
    {"blend", lvx::tool::CmdBlend, "blend COLOR1 COLOR2 STEPS"},
    {"lines", lvx::tool::CmdLines,
     "lines W H ANGLE [COLOR1 COLOR2]   (system colours: classic Windows defaults)"},
    {"render", lvx::tool::CmdRender, "render W H ANGLE COLOR1 COLOR2 OUT.png"},
    {"cells", lvx::tool::CmdCells, "cells W H SIZE"},
};

int Usage() {
    std::cerr << "usage: lvx COMMAND ...\n";
    for (const Command& c : kCommands) std::cerr << "  lvx " << c.usage << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string_view name = argv[1];
    lvx::tool::Args args(argv + 2, argv + argc);
    for (const Command& c : kCommands) {
        if (c.name == name) return c.run(args, std::cout, std::cerr);
    }
    return Usage();
}
