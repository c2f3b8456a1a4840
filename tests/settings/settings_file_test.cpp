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


// Ten distinct values, so that a field read from or written under another
// field's key cannot pass; the path holds characters whose lead bytes are 9F
// and FA-FC and whose trail bytes are 5C (歃, 纊, 犾), and 髙 and 﨑.
struct TenValues {
    Settings settings;
    DialogValues dialog;
};

TenValues DistinctValues() {
    TenValues v;
    v.settings.BgmKind = 2;
    v.settings.BgmFile = "C:\\\x9F\x5C\\\xFA\x5C\xFB\x5C \xFB\xFC\xFA\xB1.mp3";
    v.settings.SizeRandom = 1;
    v.settings.Gradation = 3;  // kinds, flags and choices are stored unbounded
    v.settings.BackColorRandom = 0;
    v.settings.Shape = -4;
    v.dialog = DialogValues{"13", 201, 37, 0x00A1B2C3};
    return v;
}

TEST(SetIniFile, TenDistinctValuesRoundTrip) {
    FakeSettingsPort port;
    TenValues v = DistinctValues();
    port.readable.insert(v.settings.BgmFile);
    ASSERT_TRUE(Set_ini_File(v.settings, v.dialog, port));
    Settings back;
    Load_ini_File(back, port);
    struct Row { const char* field; int64_t got, want; };
    const Row rows[] = {
        {"BgmKind", back.BgmKind, 2},         {"BgmRepeat", back.BgmRepeat, 13},
        {"PictureSize", back.PictureSize, 201}, {"SizeRandom", back.SizeRandom, 1},
        {"ColorInterval", back.ColorInterval, 37}, {"Gradation", back.Gradation, 3},
        {"BackColorRandom", back.BackColorRandom, 0}, {"BackColor", back.BackColor, 0x00A1B2C3},
        {"Shape", back.Shape, -4},
    };
    for (const Row& r : rows) EXPECT_EQ(r.got, r.want) << r.field;
    EXPECT_EQ(back.BgmFile, v.settings.BgmFile);
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
    port.Ini() = Utf16File(u"[Other]\r\nname=\uD55C\U0001F600\r\n[Section]\r\n\u8272\u306E\u8EE2\u63DB= 30\r\n"
                           u"BGM\uFF8C\uFF67\uFF72\uFF99=C:\\\u66F2.mp3\r\n");
    port.readable.insert("C:\\\x8B\xC8.mp3");
    Settings s = LoadWith(port);
    EXPECT_EQ(s.ColorInterval, 30);
    EXPECT_EQ(s.BgmFile, "C:\\\x8B\xC8.mp3");  // 曲 in code page 932
    s.Shape = 1;
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"", 214, 45, 0}, port));
    const std::string& out = port.Ini();
    // Still UTF-16 with its mark; the other section is unchanged unit for unit.
    EXPECT_EQ(out.rfind(Utf16File(u"[Other]\r\nname=\uD55C\U0001F600\r\n[Section]\r\n\u8272\u306E\u8EE2\u63DB= 45\r\n"), 0),
              0u);
    EXPECT_NE(out.find(Utf16File(u"\u5F62\u72B6= 1\r\n").substr(2)), std::string::npos);
    EXPECT_NE(out.find(Utf16File(u"BGM\uFF8C\uFF67\uFF72\uFF99=C:\\\u66F2.mp3\r\n").substr(2)), std::string::npos);
    EXPECT_EQ(out.find(std::string(key::Shape)), std::string::npos);  // no code-page-932 line
    Settings back = LoadWith(port);
    EXPECT_EQ(back.Shape, 1);
    EXPECT_EQ(back.ColorInterval, 45);
}

TEST(SetIniFile, AUtf16MarkAloneMakesAUtf16File) {
    FakeSettingsPort port;
    port.Ini() = "\xFF\xFE";
    Settings s = LoadWith(port);
    ASSERT_TRUE(Set_ini_File(s, DefaultDialog(), port));
    EXPECT_EQ(port.Ini().rfind(Utf16File(u"[Section]\r\nBGM\u533A\u5206= 0\r\n"), 0), 0u);
}

// ---- Where a save goes, and what it refuses

TEST(SetIniFile, SaveLocationAndRefusals) {
    const std::string kProgram = FakeSettingsPort::kIni;
    const std::string kUser = FakeSettingsPort::kUserIni;
    const std::string kOld = IniWith(key::Shape, " 1") + "[Mine]\r\nkeep=1\r\n";
    struct Row {
        const char* what;
        void (*setup)(FakeSettingsPort&, const std::string& old);
        bool saved;
        SaveFailure why;
        const char* savedTo;  // the file that holds the new keys, or nullptr
    };
    const Row rows[] = {
        {"the program's folder", [](FakeSettingsPort&, const std::string&) {}, true, SaveFailure::None,
         FakeSettingsPort::kIni},
        {"program folder not writable: the user's own copy",
         [](FakeSettingsPort& p, const std::string&) { p.failingFolders.insert("C:\\Prog"); }, true,
         SaveFailure::None, FakeSettingsPort::kUserIni},
        {"... and no user folder",
         [](FakeSettingsPort& p, const std::string&) {
             p.failingFolders.insert("C:\\Prog");
             p.userFolder.clear();
         },
         false, SaveFailure::CannotWrite, nullptr},
        {"... and the user folder not writable either",
         [](FakeSettingsPort& p, const std::string&) { p.failWrites = true; }, false, SaveFailure::CannotWrite,
         nullptr},
        {"a read-only file is not replaced, nor copied",
         [](FakeSettingsPort& p, const std::string&) { p.readOnly.insert(FakeSettingsPort::kIni); }, false,
         SaveFailure::ReadOnlyFile, nullptr},
        {"a file that cannot be read is not replaced, nor copied",
         [](FakeSettingsPort& p, const std::string&) {
             p.unreadable.insert(FakeSettingsPort::kIni);
             p.failingFolders.insert("C:\\Prog");
         },
         false, SaveFailure::CannotRead, nullptr},
        {"once the user's copy exists, it takes every save",
         [](FakeSettingsPort& p, const std::string& old) { p.files[FakeSettingsPort::kUserIni] = old; }, true,
         SaveFailure::None, FakeSettingsPort::kUserIni},
        {"a read-only user copy",
         [](FakeSettingsPort& p, const std::string& old) {
             p.files[FakeSettingsPort::kUserIni] = old;
             p.readOnly.insert(FakeSettingsPort::kUserIni);
         },
         false, SaveFailure::ReadOnlyFile, nullptr},
        {"a user copy that cannot be read",
         [](FakeSettingsPort& p, const std::string&) { p.unreadable.insert(FakeSettingsPort::kUserIni); }, false,
         SaveFailure::CannotRead, nullptr},
        {"a user copy whose folder cannot be written goes nowhere else",
         [](FakeSettingsPort& p, const std::string& old) {
             p.files[FakeSettingsPort::kUserIni] = old;
             p.failingFolders.insert("C:\\Users\\me\\AppData\\Roaming\\Lumvex_K47");
         },
         false, SaveFailure::CannotWrite, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        FakeSettingsPort port;
        port.userFolder = FakeSettingsPort::kUserFolder;
        port.Ini() = kOld;
        r.setup(port, kOld);
        const auto before = port.files;
        Settings s;
        Load_ini_File(s, port);
        s.Gradation = 2;
        SaveFailure why = SaveFailure::None;
        ApiResult = 7;
        EXPECT_EQ(Set_ini_File(s, DefaultDialog(), port, &why), r.saved);
        EXPECT_EQ(why, r.why);
        EXPECT_EQ(ApiResult, r.saved ? 1 : 0);
        for (const auto& [path, bytes] : port.files) {
            if (r.savedTo != nullptr && path == r.savedTo) continue;
            // Every other file is as it was, and none was made.
            ASSERT_TRUE(before.count(path)) << path;
            EXPECT_EQ(bytes, before.at(path)) << path;
        }
        if (r.savedTo != nullptr) {
            const std::string& out = port.files[r.savedTo];
            EXPECT_NE(out.find("[Mine]\r\nkeep=1\r\n"), std::string::npos) << "the user's other lines go along";
            EXPECT_NE(out.find(std::string(key::Gradation) + "= 2\r\n"), std::string::npos);
            Settings back;
            Load_ini_File(back, port);
            EXPECT_EQ(back.Gradation, 2) << "the next load reads what was saved";
        }
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
