#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "settings/fake_settings_port.h"
#include "common/number_rules.h"

namespace lvx {
namespace {

using testing::FakeSettingsPort;

std::string IniWith(std::string_view k, std::string_view value) {
    return "[Section]\r\n" + std::string(k) + "=" + std::string(value) + "\r\n";
}

Settings LoadWith(FakeSettingsPort& port) {
    Settings s;
    Load_ini_File(s, port);
    return s;
}

TEST(LoadIniFile, MissingFileGivesEveryDefault) {
    FakeSettingsPort port;
    Settings s = LoadWith(port);
    EXPECT_EQ(s.BgmKind, 0);
    EXPECT_EQ(s.BgmRepeat, 0);
    EXPECT_EQ(s.BgmFile, "");
    EXPECT_EQ(s.PictureSize, 214);
    EXPECT_EQ(s.SizeRandom, 0);
    EXPECT_EQ(s.ColorInterval, 15);
    EXPECT_EQ(s.Gradation, 1);
    EXPECT_EQ(s.BackColorRandom, 0);
    EXPECT_EQ(s.BackColor, 0);
    EXPECT_EQ(s.Shape, 0);
    EXPECT_EQ(s.PictureCount, 12);
}

TEST(LoadIniFile, PictureSizeDefaultAndBoundsFollowTheScreenWidth) {
    struct Row { double width; int def, lower, upper; };
    const Row rows[] = {{640, 134, 80, 160},   {800, 167, 100, 200},  {1024, 214, 128, 256},
                        {1280, 267, 160, 320}, {1366, 285, 170, 341}, {1600, 334, 200, 400},
                        {1920, 400, 240, 480}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.width);
        FakeSettingsPort port;
        port.width = r.width;
        EXPECT_EQ(LoadWith(port).PictureSize, r.def);
        port.Ini() = IniWith(key::PictureSize, " 1");
        EXPECT_EQ(LoadWith(port).PictureSize, r.lower);
        port.Ini() = IniWith(key::PictureSize, " 30000");
        EXPECT_EQ(LoadWith(port).PictureSize, r.upper);
    }
}

TEST(LoadIniFile, PictureSizeReadsDownwardThenBounds) {
    FakeSettingsPort port;
    const std::pair<const char*, int> cases[] = {
        {" 300", 256}, {" 100", 128}, {" 200", 200}, {"abc", 128}, {"150.9", 150}, {"  150.9  ", 150},
        {"99999", 128},  // does not fit 16 bits: stays 0, then the lower bound
        {"-5", 128}};
    for (auto [text, expected] : cases) {
        SCOPED_TRACE(text);
        port.Ini() = IniWith(key::PictureSize, text);
        EXPECT_EQ(LoadWith(port).PictureSize, expected);
    }
}

TEST(LoadIniFile, UnboundedFieldsKeepWhatTheFileHolds) {
    FakeSettingsPort port;
    port.Ini() = "[Section]\r\n" + std::string(key::ColorInterval) + "=-5\r\n" + std::string(key::Gradation) +
                 "= 7\r\n" + std::string(key::BgmKind) + "= 9\r\n";
    Settings s = LoadWith(port);
    EXPECT_EQ(s.ColorInterval, -5);
    EXPECT_EQ(s.Gradation, 7);
    EXPECT_EQ(s.BgmKind, 9);
    port.Ini() = IniWith(key::ColorInterval, " 0");
    EXPECT_EQ(LoadWith(port).ColorInterval, 0);
}

TEST(LoadIniFile, ColourAndShapeRoundToNearestEven) {
    FakeSettingsPort port;
    port.Ini() = IniWith(key::BackColor, " 16777215");
    EXPECT_EQ(LoadWith(port).BackColor, 16777215);
    port.Ini() = IniWith(key::BackColor, "1.5");
    EXPECT_EQ(LoadWith(port).BackColor, 2);
    port.Ini() = IniWith(key::BackColor, "2.5");
    EXPECT_EQ(LoadWith(port).BackColor, 2);
    port.Ini() = IniWith(key::BackColor, "-1");
    EXPECT_EQ(LoadWith(port).BackColor, -1);
    port.Ini() = IniWith(key::Shape, "70000");  // fits 32 bits, not 16
    EXPECT_EQ(LoadWith(port).Shape, 0);
    port.Ini() = IniWith(key::Shape, "0.5");
    EXPECT_EQ(LoadWith(port).Shape, 0);
    port.Ini() = IniWith(key::Shape, "1.5");
    EXPECT_EQ(LoadWith(port).Shape, 2);
}

TEST(LoadIniFile, NonNumbersAndOverflowLeaveZero) {
    FakeSettingsPort port;
    port.Ini() = "[Section]\r\n" + std::string(key::ColorInterval) + "=often\r\n" + std::string(key::Gradation) +
                 "=40000\r\n" + std::string(key::BackColor) + "=red\r\n";
    Settings s = LoadWith(port);
    EXPECT_EQ(s.ColorInterval, 0);
    EXPECT_EQ(s.Gradation, 0);
    EXPECT_EQ(s.BackColor, 0);
}

TEST(LoadIniFile, MusicFileIsDroppedWhenItCannotBeOpened) {
    FakeSettingsPort port;
    const std::string kind2 = std::string(key::BgmKind) + "= 2\r\n";
    const std::string kind1 = std::string(key::BgmKind) + "= 1\r\n";
    const std::string file = std::string(key::BgmFile) + "=C:\\Music\\a.mp3\r\n";

    port.Ini() = "[Section]\r\n" + kind2 + std::string(key::BgmFile) + "=\r\n";
    Settings s = LoadWith(port);
    EXPECT_EQ(s.BgmKind, 0);
    EXPECT_EQ(s.BgmFile, "");

    port.Ini() = "[Section]\r\n" + kind2 + file;
    s = LoadWith(port);
    EXPECT_EQ(s.BgmKind, 0);
    EXPECT_EQ(s.BgmFile, "");

    port.Ini() = "[Section]\r\n" + kind1 + file;
    s = LoadWith(port);
    EXPECT_EQ(s.BgmKind, 1);
    EXPECT_EQ(s.BgmFile, "");

    // The settings dialog keeps a choice whose file is away for now.
    port.Ini() = "[Section]\r\n" + kind2 + file;
    Settings kept;
    Load_ini_File(kept, port, true);
    EXPECT_EQ(kept.BgmKind, 2);
    EXPECT_EQ(kept.BgmFile, "C:\\Music\\a.mp3");

    port.readable.insert("C:\\Music\\a.mp3");
    port.Ini() = "[Section]\r\n" + kind2 + file;
    s = LoadWith(port);
    EXPECT_EQ(s.BgmKind, 2);
    EXPECT_EQ(s.BgmFile, "C:\\Music\\a.mp3");
}

TEST(FileExists, TrailingBackslashIsTestedWithoutItButKeptInTheSetting) {
    FakeSettingsPort port;
    port.readable.insert("C:\\Music\\a.mp3");
    EXPECT_EQ(File_Exists("C:\\Music\\a.mp3\\", port), kTrue);
    EXPECT_EQ(File_Exists("C:\\Music\\a.mp3", port), kTrue);
    EXPECT_EQ(File_Exists("C:\\Music\\b.mp3", port), kFalse);
    EXPECT_EQ(File_Exists("", port), kFalse);
    EXPECT_EQ(File_Exists("\\", port), kFalse);

    port.Ini() = "[Section]\r\n" + std::string(key::BgmKind) + "= 2\r\n" + std::string(key::BgmFile) +
                 "=C:\\Music\\a.mp3\\\r\n";
    Settings s = LoadWith(port);
    EXPECT_EQ(s.BgmKind, 2);
    EXPECT_EQ(s.BgmFile, "C:\\Music\\a.mp3\\");
}

TEST(FileExists, AFinalDoubleByteCharacterIsNotCut) {
    // "ソ" is 83 5C in code page 932: its trail byte is the backslash byte.
    FakeSettingsPort port;
    const std::string so = "C:\\Music\\\x83\x5C";
    port.readable.insert(so);
    EXPECT_EQ(File_Exists(so, port), kTrue);
}

TEST(GetIniString, ValuesAreCutTo255Bytes) {
    FakeSettingsPort port;
    port.Ini() = IniWith(key::BgmFile, std::string(300, 'x'));
    EXPECT_EQ(Get_ini_String(kSection, key::BgmFile, FakeSettingsPort::kIni, port), std::string(255, 'x'));
    // Never half a double-byte character.
    port.Ini() = IniWith(key::BgmFile, std::string(254, 'x') + "\x83\x5C" + "yy");
    EXPECT_EQ(Get_ini_String(kSection, key::BgmFile, FakeSettingsPort::kIni, port), std::string(254, 'x'));
    EXPECT_EQ(Get_ini_String(kSection, "missing", FakeSettingsPort::kIni, port), "");
    EXPECT_EQ(Get_ini_String(kSection, key::BgmFile, "C:\\nowhere.ini", port), "");
}

TEST(PutIniString, StoresOneValueAndReportsInApiResult) {
    FakeSettingsPort port;
    EXPECT_EQ(Put_ini_String(kSection, key::Shape, " 1", FakeSettingsPort::kIni, port), "");
    EXPECT_EQ(ApiResult, 1);
    EXPECT_EQ(port.Ini(), "[Section]\r\n" + std::string(key::Shape) + "= 1\r\n");
    port.failWrites = true;
    Put_ini_String(kSection, key::Shape, " 0", FakeSettingsPort::kIni, port);
    EXPECT_EQ(ApiResult, 0);
    EXPECT_EQ(port.Ini(), "[Section]\r\n" + std::string(key::Shape) + "= 1\r\n");
}

DialogValues DefaultDialog() { return DialogValues{"", 214, 15, 0}; }

TEST(SetIniFile, FreshFileHoldsTheTenKeysInOrder) {
    FakeSettingsPort port;
    Settings s;
    Load_ini_File(s, port);
    ASSERT_TRUE(Set_ini_File(s, DefaultDialog(), port));
    // The exact bytes: code-page-932 keys, a blank before each number.
    const std::string expected =
        "[Section]\r\n"
        "BGM\x8B\xE6\x95\xAA= 0\r\n"
        "BGM\xD8\xCB\xDF\xB0\xC4= 0\r\n"
        "BGM\xCC\xA7\xB2\xD9=\r\n"
        "\xCB\xDF\xB8\xC1\xAC\x82\xCC\xBB\xB2\xBD\xDE= 214\r\n"
        "\xBB\xB2\xBD\xDE\xD7\xDD\xC0\xDE\xD1= 0\r\n"
        "\x90\x46\x82\xCC\x93\x5D\x8A\xB7= 15\r\n"
        "\xB8\xDE\xD7\xC3\xDE\xB0\xBC\xAE\xDD= 1\r\n"
        "\x94\x77\x8C\x69\x90\x46\xD7\xDD\xC0\xDE\xD1= 0\r\n"
        "\x94\x77\x8C\x69\x90\x46= 0\r\n"
        "\x8C\x60\x8F\xF3= 0\r\n";
    EXPECT_EQ(port.Ini(), expected);
    EXPECT_EQ(port.writes, 1);
}

TEST(SetIniFile, TakesFourValuesFromTheDialogAndUpdatesOnlyBgmRepeat) {
    FakeSettingsPort port;
    Settings s;
    Load_ini_File(s, port);
    s.Gradation = 2;
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"7", 180, 30, 255}, port));
    EXPECT_EQ(s.BgmRepeat, 7);
    EXPECT_EQ(s.PictureSize, 214);   // from the file, not the scroll bar
    EXPECT_EQ(s.ColorInterval, 15);
    EXPECT_EQ(s.BackColor, 0);

    Settings again;
    Load_ini_File(again, port);
    EXPECT_EQ(again.BgmRepeat, 7);
    EXPECT_EQ(again.PictureSize, 180);
    EXPECT_EQ(again.ColorInterval, 30);
    EXPECT_EQ(again.BackColor, 255);
    EXPECT_EQ(again.Gradation, 2);
    EXPECT_NE(port.Ini().find(std::string(key::BgmRepeat) + "= 7\r\n"), std::string::npos);
    EXPECT_NE(port.Ini().find(std::string(key::BackColor) + "= 255\r\n"), std::string::npos);
}

TEST(SetIniFile, RepeatTextRules) {
    FakeSettingsPort port;
    Settings s;
    s.BgmRepeat = 5;
    Set_ini_File(s, DialogValues{"2.5", 200, 15, 0}, port);
    EXPECT_EQ(s.BgmRepeat, 2);
    Set_ini_File(s, DialogValues{"99999", 200, 15, 0}, port);  // out of range: unchanged
    EXPECT_EQ(s.BgmRepeat, 2);
    Set_ini_File(s, DialogValues{"", 200, 15, 0}, port);
    EXPECT_EQ(s.BgmRepeat, 0);
    EXPECT_NE(port.Ini().find(std::string(key::BgmRepeat) + "= 0\r\n"), std::string::npos);
    s.BgmRepeat = 4;
    Set_ini_File(s, DialogValues{"none", 200, 15, 0}, port);
    EXPECT_EQ(s.BgmRepeat, 0);
}

TEST(SetIniFile, KeepsEveryOtherLineOfAHandEditedFile) {
    FakeSettingsPort port;
    port.Ini() = "; my notes\r\n[Other]\r\nx=1\r\n\r\n[section]\r\nbgm\x8B\xE6\x95\xAA = 2 \r\nextra=keep\r\n\r\n[Tail]\r\ny=2";
    Settings s;
    Load_ini_File(s, port);
    s.BgmKind = 1;
    ASSERT_TRUE(Set_ini_File(s, DefaultDialog(), port));
    const std::string& out = port.Ini();
    EXPECT_EQ(out.rfind("; my notes\r\n[Other]\r\nx=1\r\n\r\n[section]\r\nbgm\x8B\xE6\x95\xAA= 1\r\nextra=keep\r\n", 0), 0u)
        << out;
    EXPECT_NE(out.find("\r\n\r\n[Tail]\r\ny=2"), std::string::npos);
    // New keys join the existing section, before the blank line that ends it.
    EXPECT_LT(out.find(std::string(key::Shape)), out.find("[Tail]"));
}

TEST(SetIniFile, AFailedWriteIsReportedAndChangesNothing) {
    FakeSettingsPort port;
    port.Ini() = IniWith(key::Shape, " 1");
    const std::string before = port.Ini();
    port.failWrites = true;
    Settings s;
    Load_ini_File(s, port);
    EXPECT_FALSE(Set_ini_File(s, DefaultDialog(), port));
    EXPECT_EQ(ApiResult, 0);
    EXPECT_EQ(port.Ini(), before);
}

TEST(SetIniFile, SaveThenLoadRoundTripsEveryField) {
    FakeSettingsPort port;
    port.readable.insert("C:\\My Music\\\x8B\xC8.mp3");
    Settings s;
    s.BgmKind = 2;
    s.BgmFile = "C:\\My Music\\\x8B\xC8.mp3";
    s.SizeRandom = 1;
    s.Gradation = 0;
    s.BackColorRandom = 1;
    s.Shape = 1;
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"20", 256, 60, 0x123456}, port));
    Settings back;
    Load_ini_File(back, port);
    EXPECT_EQ(back.BgmKind, 2);
    EXPECT_EQ(back.BgmRepeat, 20);
    EXPECT_EQ(back.BgmFile, s.BgmFile);
    EXPECT_EQ(back.PictureSize, 256);
    EXPECT_EQ(back.SizeRandom, 1);
    EXPECT_EQ(back.ColorInterval, 60);
    EXPECT_EQ(back.Gradation, 0);
    EXPECT_EQ(back.BackColorRandom, 1);
    EXPECT_EQ(back.BackColor, 0x123456);
    EXPECT_EQ(back.Shape, 1);
}

}  // namespace
}  // namespace lvx
