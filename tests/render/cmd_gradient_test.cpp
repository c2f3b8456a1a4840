#include <gtest/gtest.h>

#include <sstream>

#include "commands.h"

namespace lvx::tool {
namespace {

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun Lvx(int (*command)(const Args&, std::ostream&, std::ostream&), Args args) {
    std::ostringstream out, err;
    int code = command(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(LvxBlend, PrintsTheCountThenOneEntryALine) {
    ToolRun r = Lvx(CmdBlend, {"0xFFFFD0", "4194304", "4"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "4\n0x00FFFFD0\n0x00CFBF9C\n0x00A08068\n0x00400000\n");
    r = Lvx(CmdBlend, {"-16777216", "0x7f0000ff", "-3"});
    EXPECT_EQ(r.out, "2\n0xFF000000\n0x7F0000FF\n");
}

TEST(LvxBlend, RejectsMalformedArguments) {
    for (Args args : {Args{"1", "2"}, Args{"0xZZ", "0", "3"}, Args{"1.5", "0", "3"}, Args{"0", "0", "2.5"},
                      Args{"0", "0x123456789", "3"}, Args{"0", "4294967296", "3"}}) {
        ToolRun r = Lvx(CmdBlend, args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("usage: lvx blend"), std::string::npos);
    }
}

TEST(LvxLines, PrintsTheSummaryThenEveryLineInDrawingOrder) {
    ToolRun r = Lvx(CmdLines, {"2", "2", "0"});
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
    ToolRun reduced = Lvx(CmdLines, {"2", "2", "-270.0", "0x80000005", "0"});
    ToolRun direct = Lvx(CmdLines, {"2", "2", "90", "0xFFFFFF", "0"});
    EXPECT_EQ(reduced.code, 0);
    EXPECT_EQ(reduced.out, direct.out);
    EXPECT_EQ(reduced.out.substr(0, reduced.out.find('\n')), "n=8 colours=4 result=8");
    EXPECT_NE(reduced.out.find("3 2 -1 2 0x00FFFFFF\n"), std::string::npos);
}

TEST(LvxLines, RejectsSmallAreasAndMalformedArguments) {
    for (Args args : {Args{"1", "5", "0"}, Args{"5", "1", "0"}, Args{"5", "5"}, Args{"5", "5", "x"},
                      Args{"5", "5", "0", "1"}, Args{"5.5", "5", "0"}}) {
        ToolRun r = Lvx(CmdLines, args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(LvxLines, AFailedGeometryReportsAZeroResult) {
    ToolRun r = Lvx(CmdLines, {"2000000000", "2000000000", "0"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "n=0 colours=0 result=0\n");
}

}  // namespace
}  // namespace lvx::tool
