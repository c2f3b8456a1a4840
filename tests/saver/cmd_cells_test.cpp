#include <gtest/gtest.h>

#include <sstream>

#include "commands.h"

namespace lvx::tool {
namespace {

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun Cells(Args args) {
    args.insert(args.begin(), "cells");
    std::ostringstream out, err;
    int code = Run(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(LvxCells, GridThenOnePictureALine) {
    EXPECT_EQ(Cells({"1024", "768", "100"}).out,
              "CellWidth=256 CellHeight=256\n"
              "0 78 78\n1 334 78\n2 590 78\n3 846 78\n"
              "4 78 334\n5 334 334\n6 590 334\n7 846 334\n"
              "8 78 590\n9 334 590\n10 590 590\n11 846 590\n");
    // Halves stay; a picture larger than its cell sits at a negative offset.
    ToolRun r = Cells({"1366", "768", "341"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n', r.out.find('\n') + 1) + 1),
              "CellWidth=342 CellHeight=256\n0 0.5 -42.5\n");
    EXPECT_NE(r.out.find("\n11 1026.5 469.5\n"), std::string::npos);
    EXPECT_NE(Cells({"1366", "768", "187"}).out.find("\n0 77.5 34.5\n"), std::string::npos);
    EXPECT_NE(Cells({"4", "3", "5"}).out.find("\n0 -2 -2\n1 -1 -2\n"), std::string::npos);
    EXPECT_NE(Cells({"2", "3", "1"}).out.find("CellWidth=0 CellHeight=1\n0 -0.5 0\n"), std::string::npos);
}

TEST(LvxCells, RejectsWhatIsNotAScreenOrPictureSize) {
    for (Args args : {Args{"1024", "768"}, Args{"1024", "768", "100", "1"}, Args{"x", "768", "100"},
                      Args{"1024.5", "768", "100"}, Args{"-1", "768", "100"}, Args{"32768", "768", "100"},
                      Args{"1024", "768", "40000"}, Args{"1024", "768", "1e2"}}) {
        ToolRun r = Cells(args);
        EXPECT_EQ(r.code, 2) << args.size();
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(r.err.rfind("lvx cells: ", 0), 0u) << r.err;
    }
}

}  // namespace
}  // namespace lvx::tool
