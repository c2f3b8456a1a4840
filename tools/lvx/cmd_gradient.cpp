#include <cinttypes>
#include <cstdio>
#include <exception>
#include <limits>
#include <optional>
#include <string>

#include "commands.h"
#include "render/classic_colors.h"
#include "render/cls_gradient.h"
#include "common/number_rules.h"

namespace lvx::tool {
namespace {

// A whole decimal integer (optional sign) within 32 bits.
std::optional<int32_t> ParseInt32(const std::string& text) {
    auto number = ParseDecimal(text);
    if (!number || *number != static_cast<double>(static_cast<int64_t>(*number))) return std::nullopt;
    if (*number < std::numeric_limits<int32_t>::min() || *number > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*number);
}

// A colour as a decimal 32-bit value or as 0x followed by up to 8 hex digits.
std::optional<int32_t> ParseColor(const std::string& text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (text.size() > 10) return std::nullopt;
        uint32_t value = 0;
        for (size_t i = 2; i < text.size(); ++i) {
            char c = text[i];
            uint32_t digit;
            if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
            else return std::nullopt;
            value = value * 16 + digit;
        }
        return static_cast<int32_t>(value);
    }
    if (text.find('.') != std::string::npos) return std::nullopt;
    return ParseInt32(text);
}

std::string Hex(int32_t color) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08" PRIX32, static_cast<uint32_t>(color));
    return text;
}

}  // namespace

int CmdBlend(const Args& args, std::ostream& out, std::ostream& err) {
    std::optional<int32_t> c1, c2, steps;
    if (args.size() == 3) {
        c1 = ParseColor(args[0]);
        c2 = ParseColor(args[1]);
        steps = args[2].find('.') == std::string::npos ? ParseInt32(args[2]) : std::nullopt;
    }
    if (!c1 || !c2 || !steps) {
        err << "usage: lvx blend COLOR1 COLOR2 STEPS\n"
               "  colours in decimal (may be negative) or 0x-hex; STEPS a 32-bit integer\n";
        return 2;
    }
    std::vector<int32_t> table;
    try {
        const int32_t count = clsGradient::BlendColors(*c1, *c2, *steps, table);
        out << count << "\n";
        for (int32_t color : table) out << Hex(color) << "\n";
    } catch (const std::exception& e) {
        err << "lvx blend: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

int CmdLines(const Args& args, std::ostream& out, std::ostream& err) {
    std::optional<int32_t> w, h, c1, c2;
    std::optional<double> angle;
    if (args.size() == 3 || args.size() == 5) {
        w = ParseInt32(args[0]);
        h = ParseInt32(args[1]);
        angle = ParseDecimal(args[2]);
        if (args.size() == 5) {
            c1 = ParseColor(args[3]);
            c2 = ParseColor(args[4]);
        }
    }
    const bool colorsOk = args.size() == 3 || (c1 && c2);
    if (!w || !h || *w < 2 || *h < 2 || !angle || !colorsOk) {
        err << "usage: lvx lines W H ANGLE [COLOR1 COLOR2]\n"
               "  W, H >= 2; ANGLE in degrees (sign and fraction allowed);\n"
               "  colours in decimal or 0x-hex, 0x80000000 + index (0 to 24) taking\n"
               "  the classic Windows default of that system colour\n";
        return 2;
    }
    HeadlessGradientPort port;
    clsGradient gradient(port);
    gradient.Angle(static_cast<float>(*angle));
    if (c1) gradient.Color1(*c1);
    if (c2) gradient.Color2(*c2);
    GradientLines lines;
    try {
        lines = gradient.PlanLines(*w, *h);
    } catch (const std::exception& e) {
        // DrawLines gives 0 and draws nothing when its geometry fails.
        out << "n=0 colours=0 result=0\n";
        err << "lvx lines: " << e.what() << "\n";
        return 1;
    }
    out << "n=" << lines.points.size() << " colours=" << lines.colors.size()
        << " result=" << lines.DrawResult() << "\n";
    for (int32_t k = 0; k < lines.LineCount(); ++k) {
        const LinePoint& a = lines.points[static_cast<size_t>(2 * k)];
        const LinePoint& b = lines.points[static_cast<size_t>(2 * k) + 1];
        out << a.x << " " << a.y << " " << b.x << " " << b.y << " " << Hex(lines.colors[static_cast<size_t>(k)])
            << "\n";
    }
    return 0;
}

}  // namespace lvx::tool
