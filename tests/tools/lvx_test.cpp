#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"

namespace lvx::tool {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun Lvx(const Args& words) {
    std::ostringstream out, err;
    const int code = tool::Run(words, out, err);
    return {code, out.str(), err.str()};
}

// A stream whose every write fails, as a full disk does.
class FullBuffer : public std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

class LvxTool : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("lvx-tool-" + std::to_string(getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

// How the command line is read: where help goes, how a bad word is named,
// what is refused before any work starts. Out "-" means out is empty.
TEST_F(LvxTool, CommandLineTable) {
    struct Row {
        Args words;
        int code;
        std::string outStarts, errHas;
    };
    const Row rows[] = {
        {{"--help"}, 0, "lvx shows what the Lumvex_K47", ""},
        {{"-h"}, 0, "lvx shows what", ""},
        {{"help"}, 0, "lvx shows what", ""},
        {{"help", "blend"}, 0, "the colour table of a gradient\nUsage: lvx blend", ""},
        {{"render", "--help"}, 0, "one picture as a PNG file\nUsage: lvx render", ""},
        {{"--version"}, 0, "lvx 1.", ""},
        {{}, 2, "-", "lvx: no command given"},
        {{"paint"}, 2, "-", "lvx: unknown command 'paint'"},
        {{"--paint"}, 2, "-", "--paint"},
        {{"blend", "0", "0xFFFFFF", "2147483647"}, 2, "-", "STEPS: '2147483647' is not a whole number"},
        {{"blend", "0", "red", "3"}, 2, "-", "COLOR2: 'red' is not a colour"},
        {{"lines", "4", "4", "north"}, 2, "-", "ANGLE: 'north' is not an angle"},
        {{"lines", "4", "4", "45", "0x01000003", "0"}, 2, "-", "COLOR1: '0x01000003' is not a colour"},
        {{"lines", "4", "4", "45", "0"}, 2, "-", "COLOR2 is missing"},
        {{"lines", "1000001", "4", "45"}, 2, "-", "W: '1000001' is not a whole number from 2 to 1000000"},
        {{"render", "20000", "20000", "0", "0", "0", "x.png"}, 2, "-", "more than 67108864 pixels"},
        {{"cells", "1024", "768", "100", "5"}, 2, "-", "not expected: 5"},
        {{"settings", "--ini", "a.ini", "--ini", "b.ini"}, 2, "-", "--ini"},
        {{"settings", "--ini=/nonexistent/a.ini", "--screen-width=0"}, 2, "-", "--screen-width: '0'"},
        // Both forms of an option, and a text that looks like an option.
        {{"settings", "--ini=/nonexistent/a.ini", "--screen-width=1920"}, 0, "BgmKind=0\n", "showing the defaults"},
        {{"settings", "--screen-width", "1920", "--ini", "/nonexistent/a.ini"}, 0, "BgmKind=0\n", "No such file"},
        {{"mode", "-s"}, 0, "letter=S action=saver cursor=hidden\n", ""},
        {{"lines", "4", "4", "-45", "0x80000005", "16777215"}, 0, "n=", ""},
        // A frame of the running saver.
        {{"frame", "--help"}, 0, "one whole frame of the running saver", ""},
        {{"frame", "0", "10", "1", "1", "x.png"}, 2, "-", "WIDTH: '0' is not a whole number from 1 to 16384"},
        {{"frame", "10", "16385", "1", "1", "x.png"}, 2, "-", "HEIGHT: '16385'"},
        {{"frame", "10", "10", "18446744073709551616", "1", "x.png"}, 2, "-", "SEED: '18446744073709551616'"},
        {{"frame", "10", "10", "-1", "1", "x.png"}, 2, "-", "SEED: '-1'"},
        {{"frame", "10", "10", "1", "1000001", "x.png"}, 2, "-", "PASS: '1000001' is not a whole number from 0 to 1000000"},
        {{"frame", "16384", "16384", "1", "0", "x.png"}, 2, "-", "more than 67108864 pixels"},
        {{"frame", "10", "10", "1", "0", ""}, 2, "-", "OUTPUT is empty"},
        {{"frame", "6", "4", "18446744073709551615", "2", "--ini", "/nonexistent/a.ini", "-"}, 0, "\x89PNG",
         "drawing with the defaults"},
    };
    for (const Row& row : rows) {
        const ToolRun r = Lvx(row.words);
        const std::string what = testing::PrintToString(row.words);
        EXPECT_EQ(r.code, row.code) << what << "\n" << r.err;
        if (row.outStarts == "-") {
            EXPECT_EQ(r.out, "") << what;
        } else {
            EXPECT_EQ(r.out.rfind(row.outStarts, 0), 0u) << what << "\n" << r.out;
        }
        if (row.errHas.empty()) {
            EXPECT_EQ(r.err, "") << what;
        } else {
            EXPECT_NE(r.err.find(row.errHas), std::string::npos) << what << "\n" << r.err;
        }
    }
    // The value named by --screen-width counts, whichever form gave it.
    EXPECT_NE(Lvx({"settings", "--ini=/nonexistent/a.ini", "--screen-width=1920"}).out.find("PictureSize=400\n"),
              std::string::npos);
}

TEST_F(LvxTool, ASettingsFileThatCannotBeReadGivesTheDefaultsAndSaysWhy) {
    const std::string defaults = Lvx({"settings", "--ini", "/nonexistent/a.ini"}).out;
    ASSERT_NE(defaults.find("ColorInterval=15\n"), std::string::npos);
    const ToolRun folder = Lvx({"settings", "--ini", dir_.string()});
    EXPECT_EQ(folder.code, 0);
    EXPECT_EQ(folder.out, defaults);
    EXPECT_NE(folder.err.find("it is a folder"), std::string::npos) << folder.err;
    std::ofstream(File("ok.ini")) << "[x]\r\n";
    EXPECT_EQ(Lvx({"settings", "--ini", File("ok.ini")}).err, "");
}

TEST_F(LvxTool, OutputThatCannotBeWrittenFails) {
    for (const Args& words : {Args{"lines", "4", "4", "45"}, Args{"blend", "0", "255", "4"},
                              Args{"cells", "1024", "768", "100"}, Args{"mode", "/s"},
                              Args{"settings", "--ini", "/nonexistent/a.ini"}, Args{"--help"},
                              Args{"render", "4", "4", "0", "0", "255", "-"},
                              Args{"frame", "4", "4", "0", "0", "-"}}) {
        FullBuffer full;
        std::ostream out(&full);
        std::ostringstream err;
        EXPECT_EQ(tool::Run(words, out, err), 1) << testing::PrintToString(words);
        EXPECT_NE(err.str().find("cannot write"), std::string::npos) << testing::PrintToString(words) << err.str();
    }
}

TEST_F(LvxTool, RenderReplacesOnlyWhatItMadeAndKeepsWhatItDidNot) {
    // A PNG on standard output.
    const ToolRun piped = Lvx({"render", "8", "8", "0", "1", "2", "-"});
    EXPECT_EQ(piped.code, 0);
    EXPECT_EQ(piped.out.substr(0, 8), "\x89PNG\r\n\x1a\n");

    // An existing file is replaced whole, keeps its mode, and nothing is left beside it.
    const std::string png = File("a.png");
    std::ofstream(png) << "old";
    ASSERT_EQ(::chmod(png.c_str(), 0640), 0);
    EXPECT_EQ(Lvx({"render", "8", "8", "0", "1", "2", png}).code, 0);
    std::ifstream in(png, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, piped.out);
    EXPECT_EQ(fs::status(png).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

    // A device that reports a full disk: the failure is reported, and neither the
    // device nor the link naming it is removed.
    fs::create_symlink("/dev/full", File("full"));
    const ToolRun full = Lvx({"render", "8", "8", "0", "1", "2", File("full")});
    EXPECT_EQ(full.code, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
    EXPECT_TRUE(fs::is_symlink(File("full")));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

// The real program: its streams, its exit codes.
TEST_F(LvxTool, TheProgramReportsAFullStandardOutput) {
    const auto status = [](const std::string& command) {
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    const std::string lvx = LVX_TOOL;
    EXPECT_EQ(status(lvx + " lines 4 4 45 >/dev/full 2>/dev/null"), 1);
    EXPECT_EQ(status(lvx + " --help >/dev/null 2>" + File("err")), 0);
    EXPECT_EQ(fs::file_size(File("err")), 0u);
    EXPECT_EQ(status(lvx + " --bogus >/dev/null 2>/dev/null"), 2);
    EXPECT_EQ(status(lvx + " lines 4 4 45 >" + File("out") + " 2>/dev/null"), 0);
    EXPECT_GT(fs::file_size(File("out")), 0u);
}

}  // namespace
}  // namespace lvx::tool
