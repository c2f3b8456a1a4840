#include "render/classic_colors.h"

namespace lvx {

int32_t ClassicSystemColor(int32_t index) {
    // Red, green, blue of the classic scheme, by system-colour index.
    static constexpr unsigned char kRgb[25][3] = {
        {212, 208, 200},  //  0 scroll bar
        {58, 110, 165},   //  1 desktop
        {10, 36, 106},    //  2 active caption
        {128, 128, 128},  //  3 inactive caption
        {212, 208, 200},  //  4 menu
        {255, 255, 255},  //  5 window
        {0, 0, 0},        //  6 window frame
        {0, 0, 0},        //  7 menu text
        {0, 0, 0},        //  8 window text
        {255, 255, 255},  //  9 caption text
        {212, 208, 200},  // 10 active border
        {212, 208, 200},  // 11 inactive border
        {128, 128, 128},  // 12 application workspace
        {10, 36, 106},    // 13 highlight
        {255, 255, 255},  // 14 highlight text
        {212, 208, 200},  // 15 button face
        {128, 128, 128},  // 16 button shadow
        {128, 128, 128},  // 17 grey text
        {0, 0, 0},        // 18 button text
        {212, 208, 200},  // 19 inactive caption text
        {255, 255, 255},  // 20 button highlight
        {64, 64, 64},     // 21 3-D dark shadow
        {212, 208, 200},  // 22 3-D light
        {0, 0, 0},        // 23 tooltip text
        {255, 255, 225},  // 24 tooltip background
    };
    if (index < 0 || index > 24) return 0;
    const unsigned char* c = kRgb[index];
    return c[0] + c[1] * 256 + c[2] * 65536;
}

}  // namespace lvx
