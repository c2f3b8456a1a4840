#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "commands.h"
#include "render/classic_colors.h"
#include "render/cls_gradient.h"

namespace lvx::tool {
namespace {

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun Lvx(const std::string& command, Args args) {
    args.insert(args.begin(), command);
    std::ostringstream out, err;
    int code = Run(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(LvxBlend, PrintsTheCountThenOneEntryALine) {
    ToolRun r = Lvx("blend", {"0xFFFFD0", "4194304", "4"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "4\n0x00FFFFD0\n0x00CFBF9C\n0x00A08068\n0x00400000\n");
    // A system colour is its classic default; fewer than two steps are two.
    r = Lvx("blend", {"0x80000005", "0", "-3"});
    EXPECT_EQ(r.out, "2\n0x00FFFFFF\n0x00000000\n");
}

TEST(LvxBlend, RejectsMalformedArguments) {
    for (Args args : {Args{"1", "2"}, Args{"0xZZ", "0", "3"}, Args{"1.5", "0", "3"}, Args{"0", "0", "2.5"},
                      Args{"0", "0x123456789", "3"}, Args{"0", "4294967296", "3"},
                      Args{"-16777216", "0", "3"}, Args{"0x01000000", "0", "3"}, Args{"0x80000019", "0", "3"},
                      Args{"0", "0", "2000001"}}) {
        ToolRun r = Lvx("blend", args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err.rfind("lvx blend: ", 0), 0u) << r.err;
    }
}

TEST(LvxLines, PrintsTheSummaryThenEveryLineInDrawingOrder) {
    ToolRun r = Lvx("lines", {"2", "2", "0"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "n=8 colours=4 result=8\n"
              "0 3 0 -1 0x00FFFFD0\n"
              "1 3 1 -1 0x00CFBF9C\n"
              "2 3 2 -1 0x00A08068\n"
              "3 3 3 -1 0x00400000\n");
}

TEST(LvxLines, TheAngleAndColoursGoThroughTheProperties) {
    // -270.0 is reduced to 90; 0x80000005 is the classic window colour, white.
    ToolRun reduced = Lvx("lines", {"2", "2", "-270.0", "0x80000005", "0"});
    ToolRun direct = Lvx("lines", {"2", "2", "90", "0xFFFFFF", "0"});
    EXPECT_EQ(reduced.code, 0);
    EXPECT_EQ(reduced.out, direct.out);
    EXPECT_EQ(reduced.out.substr(0, reduced.out.find('\n')), "n=8 colours=4 result=8");
    EXPECT_NE(reduced.out.find("3 2 -1 2 0x00FFFFFF\n"), std::string::npos);
}

TEST(LvxLines, RejectsSmallAreasAndMalformedArguments) {
    for (Args args : {Args{"1", "5", "0"}, Args{"5", "1", "0"}, Args{"5", "5"}, Args{"5", "5", "x"},
                      Args{"5", "5", "0", "1"}, Args{"5.5", "5", "0"}, Args{"5", "5", "0", "0x01000003", "0"},
                      Args{"5", "5", "0", "0", "0x80000020"}}) {
        ToolRun r = Lvx("lines", args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(LvxLines, SizesBeyondAnyPictureAreRefused) {
    // Such sizes once ran the geometry into its overflow; no picture is that large.
    ToolRun r = Lvx("lines", {"2000000000", "2000000000", "0"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("'2000000000' is not a whole number from 2 to 1000000"), std::string::npos) << r.err;
}

// A scratch folder for one test, removed with it.
class ScratchFolder {
public:
    ScratchFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("lvx-render-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    static inline int count_ = 0;
    std::filesystem::path path_;
};

struct Picture {
    bool read = false;
    png_uint_32 width = 0, height = 0;
    std::vector<png_byte> rgb;
    // 0x00BBGGRR, the way the colours were given.
    int32_t At(png_uint_32 x, png_uint_32 y) const {
        const png_byte* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return p[0] | p[1] << 8 | p[2] << 16;
    }
};

Picture ReadPng(const std::string& file) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return picture;
    picture.width = image.width;
    picture.height = image.height;
    // The file itself must be 8-bit RGB, no alpha, no palette.
    const bool rgb = image.format == PNG_FORMAT_RGB;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    picture.read = png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0 && rgb;
    return picture;
}

TEST(LvxRender, WritesThePictureAsAnRgbPng) {
    ScratchFolder folder;
    // At 0 degrees every column is its line's colour: red (0x0000FF) on the left.
    const std::string file = folder.File("a.png");
    ToolRun r = Lvx("render", {"5", "3", "0", "0x0000FF", "0xFF0000", file});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    Picture p = ReadPng(file);
    ASSERT_TRUE(p.read);
    ASSERT_EQ(p.width, 5u);
    ASSERT_EQ(p.height, 3u);
    HeadlessGradientPort port;
    clsGradient g(port);
    g.Angle(0);
    g.Color1(0x0000FF);
    g.Color2(0xFF0000);
    const GradientLines lines = g.PlanLines(5, 3);
    EXPECT_EQ(p.rgb[0], 255);
    EXPECT_EQ(p.rgb[1], 0);
    EXPECT_EQ(p.rgb[2], 0);
    for (png_uint_32 y = 0; y < 3; ++y) {
        for (png_uint_32 x = 0; x < 5; ++x) EXPECT_EQ(p.At(x, y), lines.colors[x]) << x << "," << y;
    }
}

TEST(LvxRender, TheAngleAndSystemColoursGoThroughTheProperties) {
    // -45 is 315: the classic window colour (white) top-left, the second colour bottom-right.
    ScratchFolder folder;
    ASSERT_EQ(Lvx("render", {"152", "112", "-45", "0x80000005", "0x400000", folder.File("a.png")}).code, 0);
    ASSERT_EQ(Lvx("render", {"152", "112", "315.0", "16777215", "4194304", folder.File("b.png")}).code, 0);
    Picture a = ReadPng(folder.File("a.png")), b = ReadPng(folder.File("b.png"));
    ASSERT_TRUE(a.read && b.read);
    EXPECT_EQ(a.rgb, b.rgb);
}

TEST(LvxRender, RejectsBadArgumentsAndWritesNothing) {
    ScratchFolder folder;
    const std::string file = folder.File("x.png");
    for (Args args : {Args{"5", "5", "0", "0", "0"}, Args{"1", "5", "0", "0", "0", file}, Args{"5", "1", "0", "0", "0", file},
                      Args{"5", "5", "x", "0", "0", file}, Args{"5", "5", "0", "0xZZ", "0", file},
                      Args{"5", "5", "0", "0", "0", ""}, Args{"1000001", "2", "0", "0", "0", file},
                      Args{"10000", "10000", "0", "0", "0", file}, Args{"5", "5", "0", "0x01000003", "0", file},
                      Args{"5", "5", "0", "0", "0x80000020", file}, Args{"5", "5", "0", "0", "0", file, "more"}}) {
        ToolRun r = Lvx("render", args);
        EXPECT_EQ(r.code, 2) << testing::PrintToString(args);
        EXPECT_EQ(r.err.rfind("lvx render: ", 0), 0u) << r.err;
        EXPECT_FALSE(std::filesystem::exists(file));
    }
}

TEST(LvxRender, AFileThatCannotBeWrittenIsOneLineAndExitOne) {
    ScratchFolder folder;
    for (const std::string& target : {folder.File("no/such/folder/x.png"), folder.File("")}) {
        ToolRun r = Lvx("render", {"4", "4", "0", "0", "0xFFFFFF", target});
        EXPECT_EQ(r.code, 1) << target;
        EXPECT_EQ(r.err.rfind("lvx render: cannot write " + target + ": ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

}  // namespace
}  // namespace lvx::tool
