#include "dialog/lvx_p_layout.h"

#include <algorithm>

#include "common/cp932.h"
#include "common/dpi.h"
#include "lvx_version.h"

#ifndef LVX_WEB_ADDRESS
#error "LVX_WEB_ADDRESS is set by src/dialog/CMakeLists.txt"
#endif

namespace lvx::dialog {

Box ScaleBox(const Box& b, int32_t dpi) {
    // Scale both edges, not the size, so that boxes that touch at 96 dpi
    // still touch at every other setting.
    const int32_t x = ScaleForDpi(b.x, dpi), y = ScaleForDpi(b.y, dpi);
    return {x, y, ScaleForDpi(b.x + b.w, dpi) - x, ScaleForDpi(b.y + b.h, dpi) - y};
}

const PanelDef kPanels[kPanelCount] = {
    {"Pic_B", -1, {0, 0, 537, 325}},   {"Pic_C", 0, {16, 44, 397, 133}}, {"Pic_C", 1, {424, 44, 97, 57}},
    {"Pic_C", 2, {120, 192, 293, 73}}, {"Pic_C", 3, {424, 136, 97, 41}}, {"Pic_C", 4, {424, 220, 97, 45}},
};

namespace {

constexpr int B = kPicB;
using K = Kind;
using A = Align;
using R = Routine;

ItemDef Img(std::string_view name, int index, int panel, Box box, uint8_t flags = 0, R routine = R::None) {
    return {name, index, panel, K::Image, box, {}, A::Left, flags, routine};
}
ItemDef Lbl(std::string_view name, int index, int panel, Box box, std::string_view text, A align = A::Left,
            uint8_t flags = 0, R routine = R::None) {
    return {name, index, panel, K::Label, box, text, align, flags, routine};
}

// Headings: a bar with its caption centred on it.
void Heading(std::vector<ItemDef>& items, int bar, int label, int32_t x, int32_t y, std::string_view text) {
    items.push_back(Img("Img_H", bar, B, {x, y, 95, 22}));
    items.push_back(Lbl("lbl", label, B, {x, y + 4, 95, 17}, text, A::Centre));
}

std::vector<ItemDef> MakeItems() {
    std::vector<ItemDef> v;
    // On the background panel.
    Heading(v, 0, 1, 16, 16, "BGM");
    Heading(v, 1, 7, 424, 16, "ﾋﾟｸﾁｬｰのｻｲｽﾞ");
    Heading(v, 2, 6, 424, 108, "背景色");
    Heading(v, 3, 0, 16, 192, "ｸﾞﾗﾃﾞｰｼｮﾝ");
    Heading(v, 4, 9, 424, 192, "ﾋﾟｸﾁｬｰの形状");
    v.push_back(Lbl("lbl", 3, B, {16, 272, 165, 13}, CreditText(), A::Left, kAutoSize));
    v.push_back(Lbl("lbl_URL", -1, B, {16, 292, 214, 13}, WebAddress(), A::Left,
                    kAutoSize | kHand | kUnderline | kWindowText, R::lbl_URL_Click));
    v.push_back(Img("Img_Button", 0, B, {324, 280, 95, 22}));
    v.push_back(Lbl("lbl_Button", 0, B, {324, 284, 93, 17}, "設定", A::Centre, kHand | kOnButton,
                    R::lbl_Button_MouseDown));
    v.push_back(Img("Img_Button", 1, B, {424, 280, 95, 22}));
    v.push_back(Lbl("lbl_Button", 1, B, {424, 284, 93, 17}, "ｷｬﾝｾﾙ", A::Centre, kHand | kOnButton,
                    R::lbl_Button_MouseDown));

    // Music group.
    const int c0 = PicC(0);
    const std::string_view kinds[3] = {"設定無し", "音楽CD", "MP3、WAV"};
    const int32_t kindWidths[3] = {49, 43, 60};
    for (int i = 0; i < 3; ++i) {
        const int32_t y = 12 + 24 * i;
        v.push_back(Img("Img_BGM", i, c0, {12, y, 13, 13}, kHand, R::Img_BGM_MouseDown));
        v.push_back(Lbl("lbl_BGM", i, c0, {28, y, kindWidths[i], 13}, kinds[i], A::Left, kHand, R::lbl_BGM_MouseDown));
    }
    v.push_back(Lbl("lbl", 2, c0, {144, 36, 66, 13}, "曲目をﾘﾋﾟｰﾄ"));
    v.push_back(Img("Img_Button", 2, c0, {100, 60, 95, 22}));
    v.push_back(Lbl("lbl_Button", 2, c0, {100, 64, 93, 17}, "参照...", A::Centre, kHand | kOnButton,
                    R::lbl_Button_MouseDown));
    v.push_back(Lbl("lbl", 5, c0, {39, 88, 54, 13}, "ﾌｧｲﾙ名 ：", A::Right));
    v.push_back({"lbl_Fname", -1, c0, K::FileName, {100, 88, 281, 29}, {}, A::Left, 0, R::None});

    // Picture size group.
    const int c1 = PicC(1);
    v.push_back(Img("Img_P_Rdm", -1, c1, {8, 8, 13, 13}, kHand, R::Img_P_Rdm_MouseDown));
    v.push_back(Lbl("lbl_P_Rdm", -1, c1, {24, 8, 32, 13}, "ﾗﾝﾀﾞﾑ", A::Left, kHand, R::lbl_P_Rdm_MouseDown));
    v.push_back(Lbl("lbl_Size", -1, c1, {40, 32, 14, 13}, {}, A::Left, kAutoSize));

    // Gradation group.
    const int c2 = PicC(2);
    v.push_back(Lbl("lbl", 8, c2, {12, 12, 68, 13}, "ﾗﾝﾀﾞﾑ色から"));
    const std::string_view ends[3] = {"白に", "黒に", "ﾗﾝﾀﾞﾑ色に"};
    const int32_t endWidths[3] = {25, 25, 57};
    for (int i = 0; i < 3; ++i) {
        const int32_t x = 92 + 52 * i + (i == 2 ? 4 : 0);  // 92, 144, 200
        v.push_back(Img("Img_Gra", i, c2, {x, 12, 13, 13}, kHand, R::Img_Gra_MouseDown));
        v.push_back(Lbl("lbl_Gra", i, c2, {x + 16, 12, endWidths[i], 13}, ends[i], A::Left, kHand, R::lbl_Gra_MouseDown));
    }
    v.push_back(Lbl("lbl", 10, c2, {12, 40, 109, 13}, "ｸﾞﾗﾃﾞｰｼｮﾝ色の転換", A::Left, kAutoSize));
    v.push_back(Lbl("lbl_Intv", -1, c2, {168, 40, 40, 13}, {}, A::Left, kAutoSize));

    // Background colour group.
    const int c3 = PicC(3);
    v.push_back(Img("Img_B_Rdm", -1, c3, {8, 8, 13, 13}, kHand, R::Img_B_Rdm_MouseDown));
    v.push_back(Lbl("lbl_B_Rdm", -1, c3, {24, 8, 32, 13}, "ﾗﾝﾀﾞﾑ", A::Left, kHand, R::lbl_B_Rdm_MouseDown));
    v.push_back({"lbl_B_C", -1, c3, K::Swatch, {64, 8, 21, 21}, {}, A::Left, kHand, R::lbl_B_C_Click});

    // Shape group: option, sample, caption.
    const int c4 = PicC(4);
    v.push_back(Img("Img_Shape", 0, c4, {8, 4, 13, 13}, kHand, R::Img_Shape_MouseDown));
    v.push_back({"Shape1", -1, c4, K::SquareShape, {24, 4, 13, 13}, {}, A::Left, 0, R::None});
    v.push_back(Lbl("lbl_Shape", 0, c4, {40, 4, 26, 13}, "四角", A::Left, kHand, R::lbl_Shape_MouseDown));
    v.push_back(Img("Img_Shape", 1, c4, {8, 24, 13, 13}, kHand, R::Img_Shape_MouseDown));
    v.push_back({"Shape2", -1, c4, K::CircleShape, {24, 24, 13, 13}, {}, A::Left, 0, R::None});
    v.push_back(Lbl("lbl_Shape", 1, c4, {40, 24, 13, 13}, "円", A::Left, kHand, R::lbl_Shape_MouseDown));
    return v;
}

}  // namespace

const std::vector<ItemDef> kItems = MakeItems();

const ControlDef kBgmRepeat = {"BGM_Repeat", PicC(0), {100, 32, 41, 21}};
const ControlDef kScrollSize = {"Scroll_Size", PicC(1), {4, 28, 29, 21}};
const ControlDef kScrollIntv = {"Scroll_Intv", PicC(2), {132, 36, 29, 21}};

int FindItem(std::string_view name, int index) {
    for (size_t i = 0; i < kItems.size(); ++i) {
        if (kItems[i].name == name && kItems[i].index == index) return static_cast<int>(i);
    }
    return -1;
}

std::vector<Box> ItemBoxes(int32_t dpi, const std::function<int32_t(int item)>& measuredWidth) {
    std::vector<Box> boxes;
    boxes.reserve(kItems.size());
    for (size_t i = 0; i < kItems.size(); ++i) {
        Box b = ScaleBox(kItems[i].box, dpi);
        if ((kItems[i].flags & kAutoSize) && measuredWidth) b.w = measuredWidth(static_cast<int>(i));
        boxes.push_back(b);
    }
    return boxes;
}

int HitTest(const std::vector<Box>& boxes, int panel, int32_t x, int32_t y) {
    for (size_t i = boxes.size(); i-- > 0;) {
        if (kItems[i].panel == panel && boxes[i].Contains(x, y)) return static_cast<int>(i);
    }
    return -1;
}

bool ShowsHand(int item, bool enabled) {
    return item >= 0 && static_cast<size_t>(item) < kItems.size() && (kItems[item].flags & kHand) && enabled;
}

Box ClientBox(int32_t dpi) { return ScaleBox(kPanels[kPicB].box, dpi); }

Box Centred(int32_t screenW, int32_t screenH, int32_t windowW, int32_t windowH) {
    return {(screenW - windowW) / 2, (screenH - windowH) / 2, windowW, windowH};
}

Box CentredInside(const Box& area, int32_t windowW, int32_t windowH) {
    auto place = [](int32_t low, int32_t length, int32_t size) {
        const int32_t centred = low + (length - size) / 2;
        return std::max(low, std::min(centred, low + length - size));
    };
    return {place(area.x, area.w, windowW), place(area.y, area.h, windowH), windowW, windowH};
}

std::vector<Point> TileOrigins(int32_t panelW, int32_t panelH, int32_t tileW, int32_t tileH) {
    std::vector<Point> origins;
    if (tileW <= 0 || tileH <= 0) return origins;
    int32_t x = 0, y = 0;
    for (;;) {
        origins.push_back({x, y});
        if (y > panelH) {
            if (x > panelW) break;
            x += tileW;
            y = 0;
        } else {
            y += tileH;
        }
    }
    return origins;
}

std::string IntervalText(int32_t seconds) { return std::to_string(seconds) + std::string(kIntervalSuffix); }

std::string RepeatText(int32_t track) { return track == 0 ? std::string() : std::to_string(track); }

std::vector<std::string> RepeatList() {
    std::vector<std::string> list;
    for (int i = 0; i <= 20; ++i) list.push_back(RepeatText(i));
    return list;
}

std::string_view WebAddress() { return LVX_WEB_ADDRESS; }

std::string_view CreditText() { return "Lumvex_K47 Ver." LVX_VERSION_TEXT; }

std::string_view PickFontFace(const std::function<bool(std::string_view face)>& installed) {
    // The design's face first (under its Japanese and its Latin name), then
    // the UI faces of later Windows versions that ship without it.
    static constexpr std::string_view kFaces[] = {"ＭＳ Ｐゴシック", "MS PGothic", "Meiryo UI", "Yu Gothic UI",
                                                  "MS UI Gothic", "メイリオ", "Meiryo"};
    for (std::string_view face : kFaces) {
        if (installed(face)) return face;
    }
    return {};
}

namespace {

// Byte offsets at which the characters of a text start, and its end.
std::vector<size_t> CharStarts(std::string_view text, bool cp932) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size();) {
        starts.push_back(i);
        if (cp932) {
            i += (IsLeadByte932(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
        } else {
            ++i;
            while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
        }
    }
    starts.push_back(text.size());
    return starts;
}

}  // namespace

std::vector<std::string> WrapLines(std::string_view text, int32_t width, int maxLines, bool cp932,
                                   const std::function<int32_t(std::string_view)>& measure) {
    std::vector<std::string> lines;
    if (text.empty() || maxLines <= 0) return lines;
    const std::vector<size_t> starts = CharStarts(text, cp932);
    const size_t chars = starts.size() - 1;
    size_t from = 0;  // in characters
    while (from < chars && static_cast<int>(lines.size()) < maxLines) {
        // The longest run of whole characters that fits, at least one.
        size_t to = from + 1;
        while (to < chars && measure(text.substr(starts[from], starts[to + 1] - starts[from])) <= width) ++to;
        if (to < chars) {
            // Break after the last "\" of the run, when that leaves something on this line.
            for (size_t k = to; k > from + 1; --k) {
                if (text[starts[k - 1]] == '\\' && starts[k] - starts[k - 1] == 1) {
                    to = k;
                    break;
                }
            }
        }
        lines.emplace_back(text.substr(starts[from], starts[to] - starts[from]));
        from = to;
    }
    if (from < chars) {
        // Too long: the last line shows the end of the text after "...".
        const std::string_view dots = "...";
        size_t tail = chars - 1;
        while (tail > 0 &&
               measure(std::string(dots) + std::string(text.substr(starts[tail - 1]))) <= width) {
            --tail;
        }
        lines.back() = std::string(dots) + std::string(text.substr(starts[tail]));
    }
    return lines;
}

}  // namespace lvx::dialog
