#include "app/lvx_b.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <vector>

#include "commands.h"
#include "settings/fake_settings_port.h"

namespace lvx {
namespace {

// Records every platform call of start-up as one line of text.
class FakeAppPort : public AppPort {
public:
    std::set<std::string> openCaptions;
    int32_t versionResult = 1;
    int32_t platformId = 2;
    std::vector<std::string> calls;

    bool FindWindowByCaption(std::string_view caption) override {
        calls.push_back("find " + std::string(caption));
        return openCaptions.count(std::string(caption)) > 0;
    }
    void ShowCursor(bool show) override { calls.push_back(show ? "cursor show" : "cursor hide"); }
    int32_t QueryVersion(int32_t size, int32_t& id) override {
        calls.push_back("version " + std::to_string(size));
        id = platformId;
        return versionResult;
    }
    void PwdChangePassword(std::string_view provider, int32_t parent) override {
        calls.push_back("password " + std::string(provider) + " " + std::to_string(parent));
    }
    int32_t SetSystemParameter(uint32_t action, int32_t param) override {
        calls.push_back("spi " + std::to_string(action) + " " + std::to_string(param));
        return 1;
    }
    void OpenPreview(int32_t host) override { calls.push_back("preview " + std::to_string(host)); }
    void ShowSettingsDialog(Settings& s) override {
        calls.push_back("dialog size=" + std::to_string(s.PictureSize) + " bgm=" + std::to_string(s.BgmKind));
    }
    void RunSaver(Settings& s, bool saverMode) override {
        calls.push_back(std::string("saver ") + (saverMode ? "S" : "empty") + " count=" + std::to_string(s.PictureCount));
    }
    void EndProgram() override { calls.push_back("end"); }
};

const std::string kFindDialog = "find " + std::string(kDialogCaption);
const std::string kFindSaver = "find " + std::string(kSaverCaption);

struct MainRun {
    std::vector<std::string> calls;
    int settingsReads;
};

MainRun RunMain(std::string_view arg, int32_t platformId = 2, std::set<std::string> open = {}) {
    FakeAppPort app;
    app.platformId = platformId;
    app.openCaptions = std::move(open);
    testing::FakeSettingsPort files;
    Settings settings;
    Main(arg, settings, app, files);
    return {app.calls, files.reads};
}

using Calls = std::vector<std::string>;

TEST(Main, SaverModeHidesTheCursorOnceWhateverTheSpelling) {
    for (const char* arg : {"/S", "/s", "-s", "xs", "/s extra"}) {
        SCOPED_TRACE(arg);
        MainRun r = RunMain(arg);
        EXPECT_EQ(r.calls, (Calls{kFindDialog, kFindSaver, "cursor hide", "saver S count=12"}));
        EXPECT_GT(r.settingsReads, 0);
    }
}

TEST(Main, EmptyTextRunsTheSaverWithTheCursorVisible) {
    MainRun r = RunMain("");
    EXPECT_EQ(r.calls, (Calls{kFindDialog, kFindSaver, "saver empty count=12"}));
}

TEST(Main, SettingsModeOpensTheDialogThenEnds) {
    for (const char* arg : {"/c", "/C", "/c:4711"}) {
        SCOPED_TRACE(arg);
        EXPECT_EQ(RunMain(arg).calls, (Calls{kFindDialog, kFindSaver, "dialog size=214 bgm=0", "end"}));
    }
}

TEST(Main, OnlyTheDialogKeepsAMusicFileThatIsAwayForNow) {
    for (const char* arg : {"/c", "/s"}) {
        SCOPED_TRACE(arg);
        FakeAppPort app;
        testing::FakeSettingsPort files;
        files.files[testing::FakeSettingsPort::kIni] = "[Section]\r\n" + std::string(key::BgmKind) + "= 2\r\n" +
                                                        std::string(key::BgmFile) + "=E:\\a.mp3\r\n";
        Settings settings;
        Main(arg, settings, app, files);
        EXPECT_EQ(settings.BgmKind, arg[1] == 'c' ? 2 : 0);
    }
}

TEST(Main, PreviewEmbedsIntoTheHostWithoutReadingSettings) {
    MainRun r = RunMain("/p 4711");
    EXPECT_EQ(r.calls, (Calls{kFindDialog, kFindSaver, "preview 4711"}));
    EXPECT_EQ(r.settingsReads, 0);
    EXPECT_EQ(RunMain("/p").calls, (Calls{kFindDialog, kFindSaver, "preview 0"}));
    EXPECT_EQ(RunMain("/p abc").calls, (Calls{kFindDialog, kFindSaver, "preview 0"}));
    EXPECT_EQ(RunMain("/P  12.5x").calls, (Calls{kFindDialog, kFindSaver, "preview 12"}));
    EXPECT_EQ(RunMain("/p -5").calls, (Calls{kFindDialog, kFindSaver, "preview -5"}));
    // Too large for a window number: the set-up is skipped.
    EXPECT_EQ(RunMain("/p 99999999999").calls, (Calls{kFindDialog, kFindSaver}));
}

TEST(Main, PasswordChangeOnlyOnTheNineXFamilyAndOnlyForAWholeNumber) {
    EXPECT_EQ(RunMain("/a 4711", 1).calls,
              (Calls{kFindDialog, kFindSaver, "version 148", "password SCRSAVE 4711", "end"}));
    EXPECT_EQ(RunMain("/a  4711 ", 1).calls,
              (Calls{kFindDialog, kFindSaver, "version 148", "password SCRSAVE 4711", "end"}));
    EXPECT_EQ(RunMain("/a 4712.5", 1).calls,
              (Calls{kFindDialog, kFindSaver, "version 148", "password SCRSAVE 4712", "end"}));
    EXPECT_EQ(RunMain("/a xyz", 1).calls, (Calls{kFindDialog, kFindSaver, "version 148", "end"}));
    EXPECT_EQ(RunMain("/a 12ab", 1).calls, (Calls{kFindDialog, kFindSaver, "version 148", "end"}));
    EXPECT_EQ(RunMain("/a 4711", 2).calls, (Calls{kFindDialog, kFindSaver, "version 148", "end"}));
}

TEST(Main, OtherLettersAndShortTextsEndAtOnce) {
    for (const char* arg : {"/x", "/help", "S", "/", "x"}) {
        SCOPED_TRACE(arg);
        MainRun r = RunMain(arg);
        EXPECT_EQ(r.calls, (Calls{kFindDialog, kFindSaver, "end"}));
    }
}

TEST(Main, GuardEndsEveryModeWhenEitherWindowIsOpen) {
    for (const std::string& caption : {std::string(kSaverCaption), std::string(kDialogCaption)}) {
        for (const char* arg : {"/s", "/p 4711", "/c", "", "/a 1"}) {
            SCOPED_TRACE(caption + " " + arg);
            MainRun r = RunMain(arg, 1, {caption});
            EXPECT_EQ(r.calls, (Calls{kFindDialog, kFindSaver, "end"}));
            EXPECT_EQ(r.settingsReads, 0);
        }
    }
    // A caption that only resembles one is no guard.
    EXPECT_EQ(RunMain("/x", 2, {"Lumvex_K47_main"}).calls, (Calls{kFindDialog, kFindSaver, "end"}));
    EXPECT_EQ(RunMain("/p 1", 2, {std::string(kPreviewCaption)}).calls,
              (Calls{kFindDialog, kFindSaver, "preview 1"}));
}

TEST(IsWinNT, TrueOnlyForAnExactOneAndPlatformTwo) {
    FakeAppPort app;
    EXPECT_EQ(Is_WinNT(app), kTrue);
    EXPECT_EQ(app.calls, (Calls{"version 148"}));
    app.platformId = 1;
    EXPECT_EQ(Is_WinNT(app), kFalse);
    app.platformId = 2;
    app.versionResult = 0;
    EXPECT_EQ(Is_WinNT(app), kFalse);
    app.versionResult = 2;
    EXPECT_EQ(Is_WinNT(app), kFalse);
}

TEST(ClearSaverFlag, PassesTheComplementWidenedWithItsSign) {
    FakeAppPort app;
    Clear_Saver_Flag(kTrue, app);
    Clear_Saver_Flag(kFalse, app);
    EXPECT_EQ(app.calls, (Calls{"spi 97 0", "spi 97 -1"}));
}

TEST(ArgumentText, IsWhatFollowsTheProgramName) {
    EXPECT_EQ(ArgumentText("\"C:\\Program Files\\Lumvex_K47.scr\" /s"), "/s");
    EXPECT_EQ(ArgumentText("C:\\WINDOWS\\LUMVEX~1.SCR /p 1234"), "/p 1234");
    EXPECT_EQ(ArgumentText("Lumvex_K47.scr"), "");
    EXPECT_EQ(ArgumentText("\"a b.scr\""), "");
    EXPECT_EQ(ArgumentText("  x.scr   /c:4711  "), "/c:4711  ");
    EXPECT_EQ(ArgumentText("\"a b.scr\"/s"), "/s");
}

TEST(ModeLetter, IsTheSecondCharacterInUpperCase) {
    EXPECT_EQ(ModeLetter("/s"), "S");
    EXPECT_EQ(ModeLetter("S"), "");
    EXPECT_EQ(ModeLetter(""), "");
    EXPECT_EQ(ModeLetter("\xE3\x81\x82p 1"), "P");  // a multi-byte first character is one character
    EXPECT_EQ(WindowNumberText("/p 1234"), "1234");
    EXPECT_EQ(WindowNumberText("/p"), "");
    EXPECT_EQ(WindowNumberText("/p:99"), "99");
}

std::string Tool(tool::Args args) {
    args.insert(args.begin(), "mode");
    std::ostringstream out, err;
    int code = tool::Run(args, out, err);
    return std::to_string(code) + ":" + out.str();
}

TEST(LvxMode, PrintsTheLetterAndTheAction) {
    EXPECT_EQ(Tool({"/s"}), "0:letter=S action=saver cursor=hidden\n");
    EXPECT_EQ(Tool({""}), "0:letter= action=saver cursor=visible\n");
    EXPECT_EQ(Tool({"S"}), "0:letter= action=end\n");
    EXPECT_EQ(Tool({"/c:4711"}), "0:letter=C action=settings\n");
    EXPECT_EQ(Tool({"/p 4711"}), "0:letter=P action=preview host=4711\n");
    EXPECT_EQ(Tool({"/p"}), "0:letter=P action=preview host=0\n");
    EXPECT_EQ(Tool({"/a 4711"}), "0:letter=A action=password parent=4711\n");
    EXPECT_EQ(Tool({"/a xyz"}), "0:letter=A action=password skip\n");
    EXPECT_EQ(Tool({"/help"}), "0:letter=H action=end\n");
    EXPECT_EQ(Tool({"-p:17"}), "0:letter=P action=preview host=17\n");
    EXPECT_EQ(Tool({}), "2:");
}

}  // namespace
}  // namespace lvx
