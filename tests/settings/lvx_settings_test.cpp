#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"

namespace lvx {
namespace {

std::string RunSettings(tool::Args args) {
    args.insert(args.begin(), "settings");
    std::ostringstream out, err;
    int code = tool::Run(args, out, err);
    return std::to_string(code) + ":" + out.str();
}

TEST(LvxSettings, MissingFilePrintsTheDefaults) {
    EXPECT_EQ(RunSettings({"--ini", "/nonexistent/Lumvex_K47.ini"}),
              "0:BgmKind=0\nBgmRepeat=0\nBgmFile=\nPictureSize=214\nSizeRandom=0\nColorInterval=15\n"
              "Gradation=1\nBackColorRandom=0\nBackColor=0\nShape=0\nPictureCount=12\n");
    EXPECT_NE(RunSettings({"--ini", "/nonexistent/x.ini", "--screen-width", "1920"}).find("PictureSize=400\n"),
              std::string::npos);
}

TEST(LvxSettings, ReadsAFileAsTheSaverWould) {
    auto path = std::filesystem::temp_directory_path() / ("lvx_settings_" + std::to_string(::getpid()) + ".ini");
    {
        std::ofstream f(path, std::ios::binary);
        f << "[Section]\r\n\x90\x46\x82\xCC\x93\x5D\x8A\xB7= 30\r\n\x94\x77\x8C\x69\x90\x46=-1\r\n"
             "\xCB\xDF\xB8\xC1\xAC\x82\xCC\xBB\xB2\xBD\xDE= 300\r\n";
    }
    std::string out = RunSettings({"--ini", path.string(), "--screen-width", "1366"});
    // On an absurdly wide screen the lower bound (37500) does not fit the field: the stored size stays.
    std::string wide = RunSettings({"--ini", path.string(), "--screen-width", "300000"});
    std::filesystem::remove(path);
    EXPECT_NE(wide.find("PictureSize=300\n"), std::string::npos) << wide;
    EXPECT_NE(out.find("ColorInterval=30\n"), std::string::npos) << out;
    EXPECT_NE(out.find("BackColor=-1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("PictureSize=300\n"), std::string::npos) << out;
}

TEST(LvxSettings, RejectsBadArguments) {
    EXPECT_EQ(RunSettings({}), "2:");
    EXPECT_EQ(RunSettings({"--ini", "x", "--screen-width", "wide"}), "2:");
    EXPECT_EQ(RunSettings({"--bogus"}), "2:");
}

}  // namespace
}  // namespace lvx
