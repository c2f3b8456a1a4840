// The preview window shown inside the display-settings dialog.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace lvx::win32 {

// Embeds the preview into the host window. Returns true when a preview
// window now exists and the caller must pump messages until WM_QUIT, which
// the preview posts once its window is gone. Returns false, having opened
// nothing, when the host is not a window: nothing could ever end such a
// preview, so the process should end instead.
bool Lvx_R_Open(int32_t hostWindow);

// The still picture of the saver shown by the preview.
inline constexpr int32_t kPreviewPictureWidth = 152;
inline constexpr int32_t kPreviewPictureHeight = 112;

// One tile of the picture: a square whose gradient runs from the dark
// colour at its top to the bright one at its bottom (0x00BBGGRR each).
struct PreviewTile {
    int32_t left = 0;
    int32_t top = 0;
    int32_t size = 0;
    int32_t dark = 0;
    int32_t bright = 0;
};
const std::array<PreviewTile, 12>& PreviewTiles();
// The tiles of the picture scaled to width x height: the grid and the tiles
// scale with it; at 152 x 112 exactly the tiles above.
std::array<PreviewTile, 12> PreviewTilesFor(int32_t width, int32_t height);

// The picture as the preview shows it at width x height (the preview fills
// its host): colours 0x00BBGGRR, row by row from the top. Empty when it could
// not be drawn.
std::vector<int32_t> Lvx_R_PicturePixels(int32_t width = kPreviewPictureWidth,
                                         int32_t height = kPreviewPictureHeight);

// The preview's size from the host's client area: the size in twips,
// 16-bit as the window's design keeps it (0 when a conversion overflows,
// the step then being skipped), and the pixel size it gives back.
struct PreviewSize {
    int16_t widthTwips = 0;
    int16_t heightTwips = 0;
    int32_t widthPixels = 0;
    int32_t heightPixels = 0;
};
PreviewSize PreviewSizeFromHost(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                double twipsPerPixelX, double twipsPerPixelY);

}  // namespace lvx::win32
