#include "dialog/lvx_p_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "common/cp932.h"

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
