// The user's choices, shared by every window of the program, and the scratch
// value that receives the result of the last platform call.
#pragma once

#include <cstdint>
#include <string>

namespace lvx {

struct Settings {
    int16_t BgmKind = 0;          // 0 none, 1 audio CD, 2 music file
    int16_t BgmRepeat = 0;        // CD track to repeat, 0 = none
    std::string BgmFile;          // code-page-932 bytes, as stored in the file
    int16_t PictureSize = 0;      // edge of each picture in pixels
    int16_t SizeRandom = 0;
    int16_t ColorInterval = 0;    // seconds between colour changes
    int16_t Gradation = 0;        // 0 to white, 1 to black, 2 random
    int16_t BackColorRandom = 0;
    int32_t BackColor = 0;        // 0x00BBGGRR
    int16_t Shape = 0;            // 0 square, 1 circle
    int16_t PictureCount = 0;     // always 12 once loaded
};

// Result of the last platform or MCI call; nothing decides on it.
inline int32_t ApiResult = 0;

// Booleans of the original platform: true is -1.
constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

}  // namespace lvx
