#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "arg_rules.h"
#include "commands.h"
#include "output_file.h"
#include "common/number_rules.h"
#include "render/classic_colors.h"
#include "render/cls_gradient.h"
#include "render/line_raster.h"
#include "settings/settings.h"

namespace lvx::tool {
namespace {

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
    // The picture as 0x00RRGGBB, top row first.
    const uint32_t* Pixels() const { return bits_.data(); }

private:
    int32_t w_, h_;
    std::vector<uint32_t> bits_;
};

// A system colour becomes the classic default of its index, as the saver's
// gradient resolves it when the colour is set.
int32_t Resolved(int32_t color) {
    HeadlessGradientPort port;
    clsGradient gradient(port);
    gradient.Color1(color);
    return gradient.Color1();
}

int32_t Side(const std::string& text) { return *ParseWhole(text, 2, kMaxSide); }

constexpr const char* kSideHelp = "in pixels, 2 to 1000000";

}  // namespace

void AddBlend(CLI::App& lvx, Io& io) {
    CLI::App* blend = lvx.add_subcommand("blend", "the colour table of a gradient");
    blend->footer("Prints the count, then one colour a line as 0xAABBGGRR, from COLOR1 to COLOR2.");
    struct Values {
        std::string c1, c2, steps;
    };
    auto v = std::make_shared<Values>();
    blend->add_option("COLOR1", v->c1, std::string("first ") + kColorHelp)->type_name("COLOUR")->required()->check(ColorRule());
    blend->add_option("COLOR2", v->c2, "last colour, as COLOR1")->type_name("COLOUR")->required()->check(ColorRule());
    blend->add_option("STEPS", v->steps, "number of colours (below 2 counts as 2), at most 2000000")
        ->type_name("N")
        ->required()
        ->check(WholeRule(std::numeric_limits<int32_t>::min(), kMaxSteps));
    blend->callback([&io, v] {
        std::vector<int32_t> table;
        try {
            const int32_t count =
                clsGradient::BlendColors(Resolved(*ParseColor(v->c1)), Resolved(*ParseColor(v->c2)),
                                         *ParseWhole(v->steps, std::numeric_limits<int32_t>::min(), kMaxSteps), table);
            io.out << count << "\n";
            for (int32_t color : table) io.out << Hex(color) << "\n";
        } catch (const std::exception& e) {
            io.err << "lvx blend: " << e.what() << "\n";
            io.code = 1;
        }
    });
}

void AddLines(CLI::App& lvx, Io& io) {
    CLI::App* linesCmd = lvx.add_subcommand("lines", "the lines and colours of one picture");
    linesCmd->footer(
        "Prints 'n=POINTS colours=N result=N', then one line 'x1 y1 x2 y2 0xAABBGGRR' per line in drawing\n"
        "order. Without colours, the saver's defaults.");
    struct Values {
        std::string w, h, angle, c1, c2;
    };
    auto v = std::make_shared<Values>();
    linesCmd->add_option("W", v->w, std::string("width ") + kSideHelp)->type_name("PX")->required()->check(WholeRule(2, kMaxSide));
    linesCmd->add_option("H", v->h, std::string("height ") + kSideHelp)->type_name("PX")->required()->check(WholeRule(2, kMaxSide));
    linesCmd->add_option("ANGLE", v->angle, kAngleHelp)->type_name("DEGREES")->required()->check(AngleRule());
    linesCmd->add_option("COLOR1", v->c1, std::string("first ") + kColorHelp)->type_name("COLOUR")->check(ColorRule());
    CLI::Option* second = linesCmd->add_option("COLOR2", v->c2, "last colour, as COLOR1")->type_name("COLOUR")->check(ColorRule());
    linesCmd->callback([&io, v, second] {
        if (!v->c1.empty() && second->count() == 0) {
            io.err << "lvx lines: COLOR2 is missing: give both colours or none\n";
            io.code = 2;
            return;
        }
        HeadlessGradientPort port;
        clsGradient gradient(port);
        gradient.Angle(static_cast<float>(*ParseAngle(v->angle)));
        if (!v->c1.empty()) {
            gradient.Color1(*ParseColor(v->c1));
            gradient.Color2(*ParseColor(v->c2));
        }
        GradientLines lines;
        try {
            lines = gradient.PlanLines(Side(v->w), Side(v->h));
        } catch (const std::exception& e) {
            // DrawLines gives 0 and draws nothing when its geometry fails.
            io.out << "n=0 colours=0 result=0\n";
            io.err << "lvx lines: " << e.what() << "\n";
            io.code = 1;
            return;
        }
        io.out << "n=" << lines.points.size() << " colours=" << lines.colors.size()
               << " result=" << lines.DrawResult() << "\n";
        for (int32_t k = 0; k < lines.LineCount() && io.out; ++k) {
            const LinePoint& a = lines.points[static_cast<size_t>(2 * k)];
            const LinePoint& b = lines.points[static_cast<size_t>(2 * k) + 1];
            io.out << a.x << " " << a.y << " " << b.x << " " << b.y << " "
                   << Hex(lines.colors[static_cast<size_t>(k)]) << "\n";
        }
    });
}

void AddRender(CLI::App& lvx, Io& io) {
    CLI::App* render = lvx.add_subcommand("render", "one picture as a PNG file");
    render->footer(
        "Draws the picture as the saver draws into a bitmap and writes it as an 8-bit RGB PNG. An existing\n"
        "file is replaced only once the new one is complete; a device or pipe is written as it is.");
    struct Values {
        std::string w, h, angle, c1, c2, file;
    };
    auto v = std::make_shared<Values>();
    render->add_option("W", v->w, std::string("width ") + kSideHelp + "; W x H at most 67108864")
        ->type_name("PX")
        ->required()
        ->check(WholeRule(2, kMaxSide));
    render->add_option("H", v->h, std::string("height ") + kSideHelp)->type_name("PX")->required()->check(WholeRule(2, kMaxSide));
    render->add_option("ANGLE", v->angle, kAngleHelp)->type_name("DEGREES")->required()->check(AngleRule());
    render->add_option("COLOR1", v->c1, std::string("first ") + kColorHelp)->type_name("COLOUR")->required()->check(ColorRule());
    render->add_option("COLOR2", v->c2, "last colour, as COLOR1")->type_name("COLOUR")->required()->check(ColorRule());
    render->add_option("OUT", v->file, "the PNG file to write, or - for standard output")->type_name("FILE")->required();
    render->callback([&io, v] {
        const int32_t w = Side(v->w), h = Side(v->h);
        if (int64_t{w} * h > kMaxPixels) {
            io.err << "lvx render: a " << w << " x " << h << " picture has more than " << kMaxPixels << " pixels\n";
            io.code = 2;
            return;
        }
        if (v->file.empty()) {
            io.err << "lvx render: OUT is empty: name a file, or - for standard output\n";
            io.code = 2;
            return;
        }
        try {
            MemoryPicturePort port(w, h);
            clsGradient picture(port);
            picture.Angle(static_cast<float>(*ParseAngle(v->angle)));
            picture.Color1(*ParseColor(v->c1));
            picture.Color2(*ParseColor(v->c2));
            HandleTarget target(1, 1);
            if (picture.Draw(target) != kTrue) {
                io.err << "lvx render: nothing drawn: the lines of a " << w << " x " << h << " picture do not fit\n";
                io.code = 1;
                return;
            }
            std::string problem;
            const std::string png = EncodePng(w, h, port.Pixels(), problem);
            if (png.empty()) {
                io.err << "lvx render: cannot encode the picture: " << problem << "\n";
                io.code = 1;
                return;
            }
            const std::string why = WriteOutput(v->file, png, io.out);
            if (!why.empty()) {
                io.err << "lvx render: cannot write " << v->file << ": " << why << "\n";
                io.code = 1;
            }
        } catch (const std::bad_alloc&) {
            io.err << "lvx render: not enough memory for a " << w << " x " << h << " picture\n";
            io.code = 1;
        }
    });
}

}  // namespace lvx::tool
