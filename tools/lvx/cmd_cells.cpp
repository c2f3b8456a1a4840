#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "commands.h"
#include "common/number_rules.h"
#include "saver/saver_layout.h"

namespace lvx::tool {
namespace {

// A whole decimal number within lo..hi.
std::optional<int16_t> ParseWhole(const std::string& text, int lo, int hi) {
    if (text.find('.') != std::string::npos) return std::nullopt;
    auto number = ParseDecimal(text);
    if (!number || *number != std::floor(*number) || *number < lo || *number > hi) return std::nullopt;
    return static_cast<int16_t>(*number);
}

// A multiple of one half in plain decimal: 78, 77.5, -42.5, -0.5.
std::string Halves(double value) {
    const auto twice = static_cast<long long>(std::llround(value * 2));
    if (twice % 2 == 0) return std::to_string(twice / 2);
    return std::string(twice < 0 ? "-" : "") + std::to_string(std::llabs(twice) / 2) + ".5";
}

}  // namespace

int CmdCells(const Args& args, std::ostream& out, std::ostream& err) {
    std::optional<int16_t> w, h, size;
    if (args.size() == 3) {
        w = ParseWhole(args[0], 0, std::numeric_limits<int16_t>::max());
        h = ParseWhole(args[1], 0, std::numeric_limits<int16_t>::max());
        size = ParseWhole(args[2], std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
    }
    if (!w || !h || !size) {
        err << "usage: lvx cells W H SIZE\n"
               "  W, H: screen size in pixels, 0 to 32767; SIZE: picture size, 16-bit\n";
        return 2;
    }
    const CellGrid grid = MakeCellGrid(*w, *h);
    out << "CellWidth=" << grid.CellWidth << " CellHeight=" << grid.CellHeight << "\n";
    for (int i = 0; i < kPictureSlots; ++i) {
        const PicturePlace place = CenterInCell(grid, i, *size);
        out << i << " " << Halves(place.left) << " " << Halves(place.top) << "\n";
    }
    return 0;
}

}  // namespace lvx::tool
