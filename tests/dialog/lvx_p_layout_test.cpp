#include "dialog/lvx_p_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>

#include "common/cp932.h"
#include "common/dpi.h"

namespace lvx::dialog {
namespace {

TEST(TileTexture, WalkCoversTheLastPartialRowAndColumn) {
    struct Row {
        int32_t w, h, tileW, tileH;
        size_t tiles;
        Point last;
    };
    const Row rows[] = {
        {537, 325, 542, 24, 30, {542, 336}},    // the background panel
        {397, 133, 542, 24, 14, {542, 144}},    // the music group
        {97, 41, 542, 24, 6, {542, 48}},        // the background-colour group
        {48, 48, 24, 24, 16, {72, 72}},         // exact multiples: two extra rows and columns
        {1074, 650, 1084, 48, 30, {1084, 672}}, // the background panel at 192 dpi
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.w) + "x" + std::to_string(r.h));
        const std::vector<Point> origins = TileOrigins(r.w, r.h, r.tileW, r.tileH);
        ASSERT_EQ(origins.size(), r.tiles);
        EXPECT_EQ(origins.front(), (Point{0, 0}));
        EXPECT_EQ(origins.back(), r.last);
        // Every pixel of the panel lies in some tile.
        for (int32_t y = 0; y < r.h; y += 7) {
            for (int32_t x = 0; x < r.w; x += 7) {
                const bool covered = std::any_of(origins.begin(), origins.end(), [&](const Point& o) {
                    return x >= o.x && y >= o.y && x < o.x + r.tileW && y < o.y + r.tileH;
                });
                ASSERT_TRUE(covered) << x << "," << y;
            }
        }
    }
}

TEST(Layout, ScalesEdgesSoThatTheClientAreaKeepsItsPhysicalSize) {
    struct Row {
        int32_t dpi;
        Box client, musicGroup;
    };
    const Row rows[] = {
        {96, {0, 0, 537, 325}, {16, 44, 397, 133}},
        {120, {0, 0, 671, 406}, {20, 55, 496, 166}},
        {144, {0, 0, 806, 488}, {24, 66, 596, 200}},
        {192, {0, 0, 1074, 650}, {32, 88, 794, 266}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ClientBox(r.dpi), r.client) << r.dpi;
        EXPECT_EQ(ScaleBox(kPanels[PicC(0)].box, r.dpi), r.musicGroup) << r.dpi;
    }
    // Every group panel lies inside the background panel at every setting.
    for (int32_t dpi : {96, 120, 144, 192}) {
        const Box all = ClientBox(dpi);
        for (int p = 1; p < kPanelCount; ++p) {
            const Box b = ScaleBox(kPanels[p].box, dpi);
            EXPECT_LE(b.x + b.w, all.w) << p << " at " << dpi;
            EXPECT_LE(b.y + b.h, all.h) << p << " at " << dpi;
        }
    }
}

// The dialog's layout as designed: every item at 96 dpi with its panel, place,
// size and (where fixed) text. Texts that the dialog fills in are nullptr.
TEST(Layout, EveryItemAsDesigned) {
    struct Row {
        std::string_view name;
        int index, panel;
        Box box;
        const char* text;
    };
    const int B = kPicB, C0 = PicC(0), C1 = PicC(1), C2 = PicC(2), C3 = PicC(3), C4 = PicC(4);
    const Row rows[] = {
        {"Img_H", 0, B, {16, 16, 95, 22}, ""},             {"lbl", 1, B, {16, 20, 95, 17}, "BGM"},
        {"Img_H", 1, B, {424, 16, 95, 22}, ""},            {"lbl", 7, B, {424, 20, 95, 17}, "ﾋﾟｸﾁｬｰのｻｲｽﾞ"},
        {"Img_H", 2, B, {424, 108, 95, 22}, ""},           {"lbl", 6, B, {424, 112, 95, 17}, "背景色"},
        {"Img_H", 3, B, {16, 192, 95, 22}, ""},            {"lbl", 0, B, {16, 196, 95, 17}, "ｸﾞﾗﾃﾞｰｼｮﾝ"},
        {"Img_H", 4, B, {424, 192, 95, 22}, ""},           {"lbl", 9, B, {424, 196, 95, 17}, "ﾋﾟｸﾁｬｰの形状"},
        {"lbl", 3, B, {16, 272, 165, 13}, nullptr},        {"lbl_URL", -1, B, {16, 292, 214, 13}, nullptr},
        {"Img_Button", 0, B, {324, 280, 95, 22}, ""},      {"lbl_Button", 0, B, {324, 284, 93, 17}, "設定"},
        {"Img_Button", 1, B, {424, 280, 95, 22}, ""},      {"lbl_Button", 1, B, {424, 284, 93, 17}, "ｷｬﾝｾﾙ"},
        {"Img_BGM", 0, C0, {12, 12, 13, 13}, ""},          {"lbl_BGM", 0, C0, {28, 12, 49, 13}, "設定無し"},
        {"Img_BGM", 1, C0, {12, 36, 13, 13}, ""},          {"lbl_BGM", 1, C0, {28, 36, 43, 13}, "音楽CD"},
        {"Img_BGM", 2, C0, {12, 60, 13, 13}, ""},          {"lbl_BGM", 2, C0, {28, 60, 60, 13}, "MP3、WAV"},
        {"lbl", 2, C0, {144, 36, 66, 13}, "曲目をﾘﾋﾟｰﾄ"},
        {"Img_Button", 2, C0, {100, 60, 95, 22}, ""},      {"lbl_Button", 2, C0, {100, 64, 93, 17}, "参照..."},
        {"lbl", 5, C0, {39, 88, 54, 13}, "ﾌｧｲﾙ名 ："},     {"lbl_Fname", -1, C0, {100, 88, 281, 29}, nullptr},
        {"Img_P_Rdm", -1, C1, {8, 8, 13, 13}, ""},         {"lbl_P_Rdm", -1, C1, {24, 8, 32, 13}, "ﾗﾝﾀﾞﾑ"},
        {"lbl_Size", -1, C1, {40, 32, 14, 13}, nullptr},
        {"Img_B_Rdm", -1, C3, {8, 8, 13, 13}, ""},         {"lbl_B_Rdm", -1, C3, {24, 8, 32, 13}, "ﾗﾝﾀﾞﾑ"},
        {"lbl_B_C", -1, C3, {64, 8, 21, 21}, nullptr},
        {"lbl", 8, C2, {12, 12, 68, 13}, "ﾗﾝﾀﾞﾑ色から"},
        {"Img_Gra", 0, C2, {92, 12, 13, 13}, ""},          {"lbl_Gra", 0, C2, {108, 12, 25, 13}, "白に"},
        {"Img_Gra", 1, C2, {144, 12, 13, 13}, ""},         {"lbl_Gra", 1, C2, {160, 12, 25, 13}, "黒に"},
        {"Img_Gra", 2, C2, {200, 12, 13, 13}, ""},         {"lbl_Gra", 2, C2, {216, 12, 57, 13}, "ﾗﾝﾀﾞﾑ色に"},
        {"lbl", 10, C2, {12, 40, 109, 13}, "ｸﾞﾗﾃﾞｰｼｮﾝ色の転換"},
        {"lbl_Intv", -1, C2, {168, 40, 40, 13}, nullptr},
        {"Img_Shape", 0, C4, {8, 4, 13, 13}, ""},          {"Shape1", -1, C4, {24, 4, 13, 13}, nullptr},
        {"lbl_Shape", 0, C4, {40, 4, 26, 13}, "四角"},
        {"Img_Shape", 1, C4, {8, 24, 13, 13}, ""},         {"Shape2", -1, C4, {24, 24, 13, 13}, nullptr},
        {"lbl_Shape", 1, C4, {40, 24, 13, 13}, "円"},
    };
    EXPECT_EQ(std::size(rows), kItems.size()) << "an item that is not in the design, or one missing";
    for (const Row& r : rows) {
        const int at = FindItem(r.name, r.index);
        ASSERT_GE(at, 0) << r.name << "(" << r.index << ")";
        const ItemDef& item = kItems[static_cast<size_t>(at)];
        EXPECT_EQ(item.panel, r.panel) << r.name << "(" << r.index << ")";
        EXPECT_EQ(item.box, r.box) << r.name << "(" << r.index << ")";
        if (r.text != nullptr) { EXPECT_EQ(item.text, r.text) << r.name << "(" << r.index << ")"; }
    }
    struct Control {
        const ControlDef& def;
        int panel;
        Box box;
    };
    for (const Control& c : {Control{kBgmRepeat, C0, {100, 32, 41, 21}}, Control{kScrollSize, C1, {4, 28, 29, 21}},
                             Control{kScrollIntv, C2, {132, 36, 29, 21}}}) {
        EXPECT_EQ(c.def.panel, c.panel) << c.def.name;
        EXPECT_EQ(c.def.box, c.box) << c.def.name;
    }
    const Box panels[kPanelCount] = {{0, 0, 537, 325},   {16, 44, 397, 133}, {424, 44, 97, 57},
                                     {120, 192, 293, 73}, {424, 136, 97, 41}, {424, 220, 97, 45}};
    for (int p = 0; p < kPanelCount; ++p) EXPECT_EQ(kPanels[p].box, panels[p]) << p;
}

// A window that moves between monitors is laid out again for each DPI: the
// layout at every step is the one made for that DPI from the start, and
// coming back to 96 gives the design's pixels again.
TEST(Layout, LaidOutAgainAt96Then144Then192) {
    auto measure = [](int32_t dpi) { return [dpi](int item) { return ScaleForDpi(10 + item, dpi); }; };
    const std::vector<Box> at96 = ItemBoxes(96, measure(96));
    for (int32_t dpi : {96, 144, 192, 96}) {
        const std::vector<Box> boxes = ItemBoxes(dpi, measure(dpi));
        ASSERT_EQ(boxes.size(), kItems.size());
        for (size_t i = 0; i < kItems.size(); ++i) {
            const Box& design = kItems[i].box;
            const Box& b = boxes[i];
            SCOPED_TRACE(std::string(kItems[i].name) + "(" + std::to_string(kItems[i].index) + ") at " +
                         std::to_string(dpi));
            EXPECT_EQ(b.x, ScaleForDpi(design.x, dpi));
            EXPECT_EQ(b.y, ScaleForDpi(design.y, dpi));
            if (!(kItems[i].flags & kAutoSize)) { EXPECT_EQ(b.x + b.w, ScaleForDpi(design.x + design.w, dpi)); }
            if (dpi == 96) { EXPECT_EQ(b, at96[i]); }
        }
        EXPECT_EQ(ClientBox(dpi).w, ScaleForDpi(537, dpi));
        EXPECT_EQ(ClientBox(dpi).h, ScaleForDpi(325, dpi));
    }
}

TEST(Layout, HitTestFindsTheTopmostItemAtEveryDpi) {
    struct Row {
        int panel;
        int32_t x, y;  // at 96 dpi
        std::string_view name;
        int index;
    };
    const Row rows[] = {
        {PicC(0), 15, 15, "Img_BGM", 0},   {PicC(0), 30, 40, "lbl_BGM", 1},    {PicC(0), 26, 40, "", -1},
        {PicC(0), 150, 70, "lbl_Button", 2}, {PicC(0), 150, 62, "Img_Button", 2}, {kPicB, 330, 290, "lbl_Button", 0},
        {kPicB, 430, 290, "lbl_Button", 1}, {kPicB, 430, 281, "Img_Button", 1}, {kPicB, 20, 295, "lbl_URL", -1},
        {PicC(3), 70, 15, "lbl_B_C", -1},   {PicC(4), 45, 28, "lbl_Shape", 1},  {PicC(4), 28, 28, "Shape2", -1},
        {PicC(2), 205, 15, "Img_Gra", 2},   {PicC(1), 10, 10, "Img_P_Rdm", -1}, {kPicB, 300, 100, "", -1},
    };
    for (int32_t dpi : {96, 192}) {
        const std::vector<Box> boxes = ItemBoxes(dpi, [dpi](int) { return 100 * dpi / 96; });
        for (const Row& r : rows) {
            const int found = HitTest(boxes, r.panel, r.x * dpi / 96, r.y * dpi / 96);
            const int wanted = r.name.empty() ? -1 : FindItem(r.name, r.index);
            EXPECT_EQ(found, wanted) << r.name << r.index << " at " << r.x << "," << r.y << ", " << dpi << " dpi";
        }
    }
}

TEST(Texts, NumbersAndTheFontFace) {
    EXPECT_EQ(IntervalText(15), "15秒毎");
    EXPECT_EQ(IntervalText(30), "30秒毎");
    EXPECT_EQ(RepeatText(0), "");
    EXPECT_EQ(RepeatText(7), "7");
    // The credit names the program's three-part version, as "Ver.1.1.0".
    EXPECT_THAT(std::string(CreditText()), testing::MatchesRegex("Lumvex_K47 Ver\\.[0-9]+\\.[0-9]+\\.[0-9]+"));
    EXPECT_EQ(kItems[static_cast<size_t>(FindItem("lbl_URL"))].text, WebAddress());
    EXPECT_FALSE(WebAddress().empty());

    struct Row {
        std::set<std::string_view> installed;
        std::string_view face;
    };
    const Row rows[] = {
        {{"ＭＳ Ｐゴシック", "Meiryo UI"}, "ＭＳ Ｐゴシック"},
        {{"MS PGothic"}, "MS PGothic"},
        {{"Yu Gothic UI", "Meiryo UI"}, "Meiryo UI"},
        {{"Yu Gothic UI", "Arial"}, "Yu Gothic UI"},
        {{"Arial"}, ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(PickFontFace([&](std::string_view f) { return r.installed.count(f) > 0; }), r.face);
    }
}

TEST(Texts, FileNamesWrapOntoTwoLinesAndKeepTheirEnd) {
    auto bytes = [](std::string_view s) { return static_cast<int32_t>(s.size()); };
    struct Row {
        std::string text;
        int32_t width;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"", 10, {}},
        {"C:\\a.mp3", 10, {"C:\\a.mp3"}},
        {"C:\\Music\\Album\\song.mp3", 16, {"C:\\Music\\Album\\", "song.mp3"}},  // after a folder
        {"ABCDEFGHIJKLMNOPQRST", 10, {"ABCDEFGHIJ", "KLMNOPQRST"}},  // no "\": where it must
        // Too long: the end of the file name stays in sight.
        {"C:\\LongFolderName.mp3", 10, {"C:\\", "...ame.mp3"}},
        {"C:\\one\\two\\three\\four\\five.mp3", 10, {"C:\\one\\", "...ive.mp3"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const std::vector<std::string> got = WrapLines(r.text, r.width, 2, true, bytes);
        EXPECT_EQ(got, r.lines);
        for (const std::string& line : got) EXPECT_LE(bytes(line), r.width);
    }
    // A double-byte character of code page 932 is never cut in two, even
    // where its second byte is a "\" (as in 表).
    const std::string kanji = "\x95\x5C\x95\x5C\x95\x5C\x95\x5C\x95\x5C\x95\x5C";  // 表表表表表表
    EXPECT_EQ(WrapLines(kanji, 5, 3, true, bytes), (std::vector<std::string>{"\x95\x5C\x95\x5C", "\x95\x5C\x95\x5C", "\x95\x5C\x95\x5C"}));
}

}  // namespace
}  // namespace lvx::dialog
