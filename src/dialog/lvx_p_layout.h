// The settings dialog's layout: its panels, the windowless images and labels
// that the panels paint and hit-test, and its three real child controls. All
// positions are 96-dpi pixels relative to the containing panel; ScaleBox
// turns them into pixels at another dpi.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lvx::dialog {

struct Box {
    int32_t x = 0, y = 0, w = 0, h = 0;
    bool Contains(int32_t px, int32_t py) const { return px >= x && py >= y && px < x + w && py < y + h; }
    bool operator==(const Box&) const = default;
};

Box ScaleBox(const Box& box, int32_t dpi);

// Pic_B is panel 0, Pic_C(i) is panel 1 + i. Pic_B fills the client area;
// the group panels lie on it.
inline constexpr int kPanelCount = 6;
inline constexpr int kPicB = 0;
constexpr int PicC(int i) { return 1 + i; }
struct PanelDef {
    std::string_view name;
    int index;  // -1 where the control is not an array member
    Box box;    // in Pic_B (Pic_B itself: in the client area)
};
extern const PanelDef kPanels[kPanelCount];

enum class Kind : uint8_t {
    Image,        // shows a picture of a store
    Label,        // text over the texture
    Swatch,       // the colour swatch lbl_B_C: an opaque box with a border
    FileName,     // lbl_Fname: the music path in code page 932, with a border, two lines
    SquareShape,  // Shape1: white square with an outline
    CircleShape,  // Shape2: white circle with an outline
};
enum class Align : uint8_t { Left, Centre, Right };

// The event routine a press (or a click) on an item runs.
enum class Routine : uint8_t {
    None,
    Img_P_Rdm_MouseDown,
    lbl_P_Rdm_MouseDown,
    Img_B_Rdm_MouseDown,
    lbl_B_Rdm_MouseDown,
    Img_BGM_MouseDown,
    lbl_BGM_MouseDown,
    Img_Gra_MouseDown,
    lbl_Gra_MouseDown,
    Img_Shape_MouseDown,
    lbl_Shape_MouseDown,
    lbl_Button_MouseDown,  // the release runs lbl_Button_MouseUp
    lbl_B_C_Click,         // a click: press and release of the left button on the item
    lbl_URL_Click,
};

enum ItemFlags : uint8_t {
    kHand = 1,        // the hand cursor while the mouse is over it
    kAutoSize = 2,    // the label's width is its text's
    kUnderline = 4,   // the link
    kWindowText = 8,  // drawn in the system window-text colour (the link)
    kOnButton = 16,   // a caption on a button picture
};

struct ItemDef {
    std::string_view name;
    int index;  // -1 where the control is not an array member
    int panel;
    Kind kind;
    Box box;
    std::string_view text;  // UTF-8; dynamic texts are filled in by the dialog
    Align align;
    uint8_t flags;
    Routine routine;
};

// Painted in this order, so later items lie over earlier ones.
extern const std::vector<ItemDef> kItems;

// The item's position in kItems, or -1.
int FindItem(std::string_view name, int index = -1);

// The real child controls.
struct ControlDef {
    std::string_view name;
    int panel;
    Box box;
};
extern const ControlDef kBgmRepeat;   // editable combo box
extern const ControlDef kScrollSize;  // vertical scroll bar used as a spinner
extern const ControlDef kScrollIntv;

// The items' boxes at a dpi; an auto-sized label takes its measured width.
std::vector<Box> ItemBoxes(int32_t dpi, const std::function<int32_t(int item)>& measuredWidth);
// The topmost item of the panel under (x, y), or -1.
int HitTest(const std::vector<Box>& boxes, int panel, int32_t x, int32_t y);
// Whether the pointer over the item is the hand: items the set-up gives the
// hand, as long as they take the mouse (a disabled caption does not).
bool ShowsHand(int item, bool enabled);

// The client area at a dpi: the background panel, 537 x 325 at 96 dpi.
Box ClientBox(int32_t dpi);
// Left and top that centre a window of the given size on the screen.
Box Centred(int32_t screenW, int32_t screenH, int32_t windowW, int32_t windowH);
// A window of the given size centred in an area (a monitor's work area, in
// screen pixels) and kept wholly inside it; one larger than the area keeps
// its top-left corner (title bar and system menu) on it.
Box CentredInside(const Box& area, int32_t windowW, int32_t windowH);

// Tile_Texture's walk over a panel: the top-left corners at which the whole
// tile is copied. Down each column until a tile has started below the bottom
// edge, then the next column, until a column has started right of the right
// edge; so the last partial row and column are covered.
struct Point {
    int32_t x = 0, y = 0;
    bool operator==(const Point&) const = default;
};
std::vector<Point> TileOrigins(int32_t panelW, int32_t panelH, int32_t tileW, int32_t tileH);

// Texts of the dialog.
inline constexpr std::string_view kIntervalSuffix = "\xE7\xA7\x92\xE6\xAF\x8E";  // 秒毎
std::string IntervalText(int32_t seconds);                                   // "15秒毎"
std::string RepeatText(int32_t track);                                       // "" for 0, else the number
std::vector<std::string> RepeatList();                                       // "", "1" .. "20"
std::string_view WebAddress();                                               // the maker's page (set by the build)
std::string_view CreditText();                                               // "Lumvex_K47 Ver." and the version

// The caption face: the first of the Japanese UI faces that is installed, or
// empty (then the platform's font mapper picks a Japanese face by character
// set).
std::string_view PickFontFace(const std::function<bool(std::string_view face)>& installed);

// Breaks a text into at most maxLines lines no wider than width, preferring
// to break after a "\"; a text too long for them keeps its end (the file
// name) and starts the last line with "...". Texts are UTF-8 or code page 932
// (cp932 = true), measured by the caller.
std::vector<std::string> WrapLines(std::string_view text, int32_t width, int maxLines, bool cp932,
                                   const std::function<int32_t(std::string_view)>& measure);

}  // namespace lvx::dialog
