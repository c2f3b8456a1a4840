#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include <CLI/CLI.hpp>

#include "arg_rules.h"
#include "commands.h"
#include "saver/saver_layout.h"

namespace lvx::tool {
namespace {

// A multiple of one half in plain decimal: 78, 77.5, -42.5, -0.5.
std::string Halves(double value) {
    const auto twice = static_cast<long long>(std::llround(value * 2));
    if (twice % 2 == 0) return std::to_string(twice / 2);
    return std::string(twice < 0 ? "-" : "") + std::to_string(std::llabs(twice) / 2) + ".5";
}

}  // namespace

void AddCells(CLI::App& lvx, Io& io) {
    CLI::App* cells = lvx.add_subcommand("cells", "the screen's grid and where the twelve pictures sit");
    cells->footer("Prints 'CellWidth=N CellHeight=N', then one line 'i left top' per picture (a half pixel as .5).");
    struct Values {
        std::string w, h, size;
    };
    auto v = std::make_shared<Values>();
    constexpr int32_t kMax = std::numeric_limits<int16_t>::max(), kMin = std::numeric_limits<int16_t>::min();
    cells->add_option("W", v->w, "screen width in pixels, 0 to 32767")->type_name("PX")->required()->check(WholeRule(0, kMax));
    cells->add_option("H", v->h, "screen height in pixels, 0 to 32767")->type_name("PX")->required()->check(WholeRule(0, kMax));
    cells->add_option("SIZE", v->size, "picture size in pixels, -32768 to 32767")->type_name("PX")->required()->check(WholeRule(kMin, kMax));
    cells->callback([&io, v] {
        const CellGrid grid = MakeCellGrid(static_cast<int16_t>(*ParseWhole(v->w, 0, kMax)),
                                           static_cast<int16_t>(*ParseWhole(v->h, 0, kMax)));
        const auto size = static_cast<int16_t>(*ParseWhole(v->size, kMin, kMax));
        io.out << "CellWidth=" << grid.CellWidth << " CellHeight=" << grid.CellHeight << "\n";
        for (int i = 0; i < kPictureSlots; ++i) {
            const PicturePlace place = CenterInCell(grid, i, size);
            io.out << i << " " << Halves(place.left) << " " << Halves(place.top) << "\n";
        }
    });
}

}  // namespace lvx::tool
