#include <png.h>

#include <cinttypes>
#include <cstdio>
#include <exception>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "render/classic_colors.h"
#include "render/cls_gradient.h"
#include "render/line_raster.h"
#include "common/number_rules.h"
#include "settings/settings.h"

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

// The largest picture lvx render draws: a side common PNG readers accept
// (libpng refuses wider by default) and an area of 64 Mi pixels, more than
// an 8K screen.
constexpr int32_t kMaxRenderSide = 1000000;
constexpr int64_t kMaxRenderPixels = int64_t{1} << 26;

// One window of w x h pixels whose picture is a bitmap in memory, top row
// first, so that Draw takes its memory path.
class MemoryPicturePort : public HeadlessGradientPort {
public:
    MemoryPicturePort(int32_t w, int32_t h)
        : w_(w), h_(h), bits_(static_cast<size_t>(w) * static_cast<size_t>(h), 0) {}
    bool ReadClientRect(GdiHandle, int32_t& right, int32_t& bottom) override {
        right = w_;
        bottom = h_;
        return true;
    }
    bool OpenPixels(GdiHandle, PixelSurface& pixels) override {
        pixels = {bits_.data(), w_, h_, w_};
        return true;
    }
    // The picture as 8-bit red, green, blue, top row first.
    std::vector<png_byte> Rgb() const {
        std::vector<png_byte> rgb;
        rgb.reserve(bits_.size() * 3);
        for (uint32_t pixel : bits_) {
            rgb.push_back(static_cast<png_byte>(pixel >> 16));
            rgb.push_back(static_cast<png_byte>(pixel >> 8));
            rgb.push_back(static_cast<png_byte>(pixel));
        }
        return rgb;
    }

private:
    int32_t w_, h_;
    std::vector<uint32_t> bits_;
};

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

int CmdRender(const Args& args, std::ostream& out, std::ostream& err) {
    (void)out;
    std::optional<int32_t> w, h, c1, c2;
    std::optional<double> angle;
    if (args.size() == 6 && !args[5].empty()) {
        w = ParseInt32(args[0]);
        h = ParseInt32(args[1]);
        angle = ParseDecimal(args[2]);
        c1 = ParseColor(args[3]);
        c2 = ParseColor(args[4]);
    }
    const bool sizeOk = w && h && *w >= 2 && *h >= 2 && *w <= kMaxRenderSide && *h <= kMaxRenderSide &&
                        int64_t{*w} * *h <= kMaxRenderPixels;
    HeadlessGradientPort colours;
    clsGradient gradient(colours);
    if (c1 && c2) {
        gradient.Color1(*c1);
        gradient.Color2(*c2);
    }
    // Off Windows a colour is plain RGB; a palette reference means nothing here.
    const bool colorsOk = c1 && c2 && (gradient.Color1() & 0xFF000000) == 0 && (gradient.Color2() & 0xFF000000) == 0;
    if (!sizeOk || !angle || !colorsOk) {
        err << "usage: lvx render W H ANGLE COLOR1 COLOR2 OUT.png\n"
               "  W, H from 2 to 1000000, W x H at most 67108864 pixels; ANGLE in degrees;\n"
               "  colours 0x00BBGGRR in decimal or 0x-hex, or 0x80000000 + index (0 to 24)\n"
               "  taking the classic Windows default of that system colour\n";
        return 2;
    }
    try {
        MemoryPicturePort port(*w, *h);
        clsGradient picture(port);
        picture.Angle(static_cast<float>(*angle));
        picture.Color1(gradient.Color1());
        picture.Color2(gradient.Color2());
        HandleTarget target(1, 1);
        if (picture.Draw(target) != kTrue) {
            err << "lvx render: nothing drawn: the lines of a " << *w << " x " << *h << " picture do not fit\n";
            return 1;
        }
        std::vector<png_byte> rgb = port.Rgb();
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(*w);
        image.height = static_cast<png_uint_32>(*h);
        image.format = PNG_FORMAT_RGB;
        if (png_image_write_to_file(&image, args[5].c_str(), 0, rgb.data(), 0, nullptr) == 0) {
            err << "lvx render: cannot write " << args[5] << ": " << image.message << "\n";
            png_image_free(&image);
            return 1;
        }
    } catch (const std::bad_alloc&) {
        err << "lvx render: not enough memory for a " << *w << " x " << *h << " picture\n";
        return 1;
    }
    return 0;
}

}  // namespace lvx::tool
