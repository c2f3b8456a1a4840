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
        {"\t150.9\t", 150}, {" 150\v\f\x1A", 150},  // blanks as the platform trims them
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
    // Characters whose trail byte is the backslash byte 5C, at both ends of
    // both lead-byte ranges (FC 5C is unassigned, but still one character).
    for (const char* c : {"\x83\x5C", "\x9F\x5C", "\xE0\x5C", "\xFA\x5C", "\xFB\x5C", "\xFC\x5C"}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c[0])));
        FakeSettingsPort port;
        const std::string name = "C:\\Music\\" + std::string(c);
        port.readable.insert(name);
        EXPECT_EQ(File_Exists(name, port), kTrue);
        // A real final backslash after it is still dropped.
        EXPECT_EQ(File_Exists(name + "\\", port), kTrue);
    }
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

// Ten distinct values, so that a field read from or written under another
// field's key cannot pass; the path holds characters whose lead bytes are 9F
// and FA-FC with the trail byte 5C (歃, 纊, 犾), and 髙 and 﨑.
TEST(SetIniFile, SaveThenLoadRoundTripsEveryField) {
    FakeSettingsPort port;
    Settings s;
    s.BgmKind = 2;
    s.BgmFile = "C:\\\x9F\x5C\\\xFA\x5C\xFB\x5C \xFB\xFC\xFA\xB1.mp3";
    port.readable.insert(s.BgmFile);
    s.SizeRandom = 1;
    s.Gradation = 3;  // kinds, flags and choices are stored unbounded
    s.BackColorRandom = 0;
    s.Shape = -4;
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"13", 201, 37, 0x00A1B2C3}, port));
    Settings back;
    Load_ini_File(back, port);
    EXPECT_EQ(back.BgmKind, 2);
    EXPECT_EQ(back.BgmRepeat, 13);
    EXPECT_EQ(back.BgmFile, s.BgmFile);
    EXPECT_EQ(back.PictureSize, 201);
    EXPECT_EQ(back.SizeRandom, 1);
    EXPECT_EQ(back.ColorInterval, 37);
    EXPECT_EQ(back.Gradation, 3);
    EXPECT_EQ(back.BackColorRandom, 0);
    EXPECT_EQ(back.BackColor, 0x00A1B2C3);
    EXPECT_EQ(back.Shape, -4);
}

TEST(LoadIniFile, ScreensTooWideForTheFieldLeaveThePictureSize) {
    // S = Wpx / 4 rounded down; a default, bound or S that does not fit is a
    // failed step, never a wrapped number.
    struct Row { double width; const char* stored; int expected; };
    const Row rows[] = {
        {300000, nullptr, 0},    // default 62500 does not fit 16 bits
        {300000, " 200", 200},   // the lower bound 37500 does not fit: 200 stays
        {262136, " 200", 32767}, // lower bound 32767 fits exactly
        {1e12, nullptr, 0},      // S does not fit 32 bits
        {1e12, " 300", 300},
        {3, " 5", 0},            // upper bound 0 on a 3-pixel screen
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.width);
        FakeSettingsPort port;
        port.width = r.width;
        if (r.stored != nullptr) port.Ini() = IniWith(key::PictureSize, r.stored);
        EXPECT_EQ(LoadWith(port).PictureSize, r.expected);
    }
}

TEST(LoadIniFile, AValueEndsAtItsNulAndASaveKeepsIt) {
    using namespace std::string_literals;
    FakeSettingsPort port;
    port.Ini() = "[Section]\r\n"s + std::string(key::BgmKind) + "=1\0 more"s + "\r\n";
    Settings s = LoadWith(port);
    EXPECT_EQ(s.BgmKind, 1);
    ASSERT_TRUE(Set_ini_File(s, DefaultDialog(), port));
    EXPECT_EQ(LoadWith(port).BgmKind, 1);
}

// Files whose lines the platform reads in a way of its own: what a load
// gives, a save of the same values must give again, and a key the program
// does not know keeps its value.
TEST(SetIniFile, ASaveKeepsWhatAnOddFileMeans) {
    using namespace std::string_literals;
    const std::string interval(key::ColorInterval), shape(key::Shape), music(key::BgmFile);
    struct Row {
        const char* what;
        std::string file;
        int16_t colorInterval;
        int16_t shape;
        std::string bgmFile;
    };
    const Row rows[] = {
        // What the fuzzer found: a blank joins the lead byte FA after the NUL;
        // a save that kept the name up to "=" wrote FA "=", one character.
        {"a NUL then a lead byte in a key", "[Section]\r"s + interval + "\0\xFA =3"s, 3, 0, ""},
        {"... with an LF", "[Section]\n"s + interval + "\0\xFA =3"s, 3, 0, ""},
        {"... with a key after it", "[Section]\r\n"s + interval + "\0\xFA =3\r\n"s + shape + "=1\r\n", 3, 1, ""},
        // A value cut at a NUL right after a lead byte; written back with an
        // LF alone, the lead byte would take the LF and hide the next line.
        {"a music path ending in a lead byte", "[Section]\n"s + music + "=C:\\a\xFA\0x\n"s + shape + "=1\n", 15, 1,
         "C:\\a\xFA"},
        {"a lead byte takes a CR", "[Section]\r\n"s + shape + "=1\xFA\r"s + interval + "=5\r\n", 15, 0, ""},
        // A CR taken as a trail byte before a NUL; on the next load the line's
        // end followed it, and trimming took it for a blank.
        {"a lead byte takes a CR at the value's end", "[Section]\n"s + music + "=\x97\r\0"s, 15, 0, "\x97\r"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        FakeSettingsPort port;
        port.Ini() = "[Other]\r\nj=7\r\n" + r.file;
        if (!r.bgmFile.empty()) port.readable.insert(r.bgmFile);
        Settings s;
        Load_ini_File(s, port);
        EXPECT_EQ(s.ColorInterval, r.colorInterval);
        EXPECT_EQ(s.Shape, r.shape);
        EXPECT_EQ(s.BgmFile, r.bgmFile);
        Settings saved = s;
        ASSERT_TRUE(Set_ini_File(saved, DialogValues{std::to_string(s.BgmRepeat), s.PictureSize, s.ColorInterval,
                                                     s.BackColor},
                                 port));
        Settings back;
        Load_ini_File(back, port);
        EXPECT_EQ(back.ColorInterval, r.colorInterval);
        EXPECT_EQ(back.Shape, r.shape);
        EXPECT_EQ(back.BgmFile, r.bgmFile);
        EXPECT_EQ(back.PictureSize, s.PictureSize);
        EXPECT_EQ(Get_ini_String("Other", "j", SettingsFilePath(port), port), "7");
    }
}

// ---- Files in UTF-16

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

TEST(SetIniFile, AUtf16FileIsReadAndWrittenInUtf16) {
    FakeSettingsPort port;
    // Another section holds text that code page 932 cannot hold (한, 😀).
    const std::u16string other = u"[Other]\r\nname=\uD55C\U0001F600\r\n[Section]\r\n";
    port.Ini() = Utf16File(other + u"\u8272\u306E\u8EE2\u63DB= 30\r\n");  // 色の転換
    EXPECT_EQ(LoadWith(port).ColorInterval, 30);
    Settings s;
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"", 214, 45, 0}, port));
    // Still UTF-16 with its mark, the other section unchanged unit for unit.
    EXPECT_EQ(port.Ini().rfind(Utf16File(other + u"\u8272\u306E\u8EE2\u63DB= 45\r\n"), 0), 0u);
    EXPECT_EQ(LoadWith(port).ColorInterval, 45);
    // A file of the mark alone becomes a UTF-16 file.
    port.Ini() = "\xFF\xFE";
    ASSERT_TRUE(Set_ini_File(s, DefaultDialog(), port));
    EXPECT_EQ(port.Ini().rfind(Utf16File(u"[Section]\r\nBGM\u533A\u5206= 0\r\n"), 0), 0u);
}

// ---- Where a save goes, and what it refuses

TEST(SetIniFile, SaveLocationAndRefusals) {
    const std::string kProgram = FakeSettingsPort::kIni, kUser = FakeSettingsPort::kUserIni;
    const std::string kOld = IniWith(key::Shape, " 1") + "[Mine]\r\nkeep=1\r\n";
    enum Where { Program, User, Nowhere };
    struct Row {
        const char* what;
        bool userCopy;             // the user's copy exists (a save went there before)
        std::string shutFolder;    // a folder that cannot be written
        bool noUserFolder;
        std::string readOnly, unreadable;
        Where savedTo;
        SaveFailure why;
    };
    const std::string kProg = "C:\\Prog", kAll = "*", kUserDir = "C:\\Users\\me\\AppData\\Roaming\\Lumvex_K47";
    const Row rows[] = {
        {"the program's folder", false, "", false, "", "", Program, SaveFailure::None},
        {"program folder shut: the user's own copy", false, kProg, false, "", "", User, SaveFailure::None},
        {"... and no user folder", false, kProg, true, "", "", Nowhere, SaveFailure::CannotWrite},
        {"... and the user folder shut too", false, kAll, false, "", "", Nowhere, SaveFailure::CannotWrite},
        {"a read-only file: not replaced, not copied", false, kProg, false, kProgram, "", Nowhere,
         SaveFailure::ReadOnlyFile},
        {"an unreadable file: not replaced, not copied", false, kProg, false, "", kProgram, Nowhere,
         SaveFailure::CannotRead},
        {"once the user's copy exists, it takes every save", true, "", false, "", "", User, SaveFailure::None},
        {"a read-only user copy", true, "", false, kUser, "", Nowhere, SaveFailure::ReadOnlyFile},
        {"an unreadable user copy", true, "", false, "", kUser, Nowhere, SaveFailure::CannotRead},
        {"a shut user copy goes nowhere else", true, kUserDir, false, "", "", Nowhere, SaveFailure::CannotWrite},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        FakeSettingsPort port;
        port.userFolder = r.noUserFolder ? "" : FakeSettingsPort::kUserFolder;
        port.Ini() = kOld;
        if (r.userCopy) port.files[kUser] = kOld;
        port.failWrites = r.shutFolder == kAll;
        port.failingFolders.insert(r.shutFolder);
        port.readOnly.insert(r.readOnly);
        port.unreadable.insert(r.unreadable);
        const auto before = port.files;
        Settings s;
        Load_ini_File(s, port);
        s.Gradation = 2;
        SaveFailure why = SaveFailure::None;
        EXPECT_EQ(Set_ini_File(s, DefaultDialog(), port, &why), r.savedTo != Nowhere);
        EXPECT_EQ(why, r.why);
        EXPECT_EQ(ApiResult, r.savedTo != Nowhere ? 1 : 0);
        const std::string savedPath = r.savedTo == Program ? kProgram : r.savedTo == User ? kUser : "";
        for (const auto& [path, bytes] : port.files) {
            if (path == savedPath) continue;
            ASSERT_TRUE(before.count(path)) << path << " was made";
            EXPECT_EQ(bytes, before.at(path)) << path << " was changed";
        }
        if (r.savedTo == Nowhere) continue;
        const std::string& out = port.files[savedPath];
        EXPECT_NE(out.find("[Mine]\r\nkeep=1\r\n"), std::string::npos) << "the user's other lines go along";
        EXPECT_EQ(LoadWith(port).Gradation, 2) << "the next load reads what was saved";
    }
}

TEST(LoadIniFile, TheUsersOwnCopyIsReadFirst) {
    FakeSettingsPort port;
    port.userFolder = FakeSettingsPort::kUserFolder;
    port.Ini() = IniWith(key::ColorInterval, " 20");
    EXPECT_EQ(LoadWith(port).ColorInterval, 20);
    EXPECT_EQ(SettingsFilePath(port), FakeSettingsPort::kIni);
    port.files[FakeSettingsPort::kUserIni] = IniWith(key::ColorInterval, " 40");
    EXPECT_EQ(LoadWith(port).ColorInterval, 40);
    EXPECT_EQ(SettingsFilePath(port), FakeSettingsPort::kUserIni);
    // One that cannot be read still stands for the settings: defaults, not
    // the program's older file.
    port.files.erase(FakeSettingsPort::kUserIni);
    port.unreadable.insert(FakeSettingsPort::kUserIni);
    EXPECT_EQ(LoadWith(port).ColorInterval, 15);
}

TEST(PutIniString, LeavesAFileThatCannotBeReadOrIsReadOnly) {
    FakeSettingsPort port;
    port.Ini() = IniWith(key::Shape, " 1");
    port.unreadable.insert(FakeSettingsPort::kIni);
    Put_ini_String(kSection, key::Shape, " 0", FakeSettingsPort::kIni, port);
    EXPECT_EQ(ApiResult, 0);
    EXPECT_EQ(LoadWith(port).Shape, 0);  // loading reads it as missing
    port.unreadable.clear();
    port.readOnly.insert(FakeSettingsPort::kIni);
    Put_ini_String(kSection, key::Shape, " 0", FakeSettingsPort::kIni, port);
    EXPECT_EQ(ApiResult, 0);
    EXPECT_EQ(port.Ini(), IniWith(key::Shape, " 1"));
    EXPECT_EQ(port.writes, 1);
}

}  // namespace
}  // namespace lvx
