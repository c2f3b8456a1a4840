// A whole frame of the saver painted in memory: the background, then the
// pictures, each a gradient square or circle, stacked as the Windows program
// stacks its picture windows. Every front end that paints its own frame (the
// X11 hack, the web page, `lvx frame`) paints it here, so that the same
// pictures give the same pixels everywhere.
//
// Stacking order: picture 0 lies on top, picture 11 at the bottom. The
// Windows program makes its pictures as child windows in index order and
// each new child goes below its older siblings, so where two pictures
// overlap (a 400-px picture in a 360-px cell, say) the lower index is seen.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "render/cls_gradient.h"
#include "render/line_raster.h"

namespace lvx {

enum class PictureShape { Square, Circle };

// One picture in frame pixels. left/top may be negative and the picture may
// reach past any edge of the frame: only what lies inside is painted.
// Colours are 0x00BBGGRR as clsGradient's setters store them once resolved
// (a system colour already looked up); the high byte is ignored.
struct FramePicture {
    int32_t left = 0;
    int32_t top = 0;
    int32_t size = 0;  // width and height; 1 or less paints nothing, as Draw does
    int32_t color1 = 0;
    int32_t color2 = 0;
};

// What one frame shows. pictures[i] is picture i of the saver (core order,
// not stacking order); the angle is in degrees as clsGradient::Angle takes it.
struct FrameScene {
    int32_t backColor = 0;  // 0x00BBGGRR
    float angle = 0;
    PictureShape shape = PictureShape::Square;
    std::vector<FramePicture> pictures;
    // Bits set in every pixel painted: 0xFF000000 gives a canvas's opaque
    // alpha byte, so that its front end hands the frame over uncopied.
    uint32_t highBits = 0;
};

// Per row of a size x size picture, the first and one-past-last column
// inside its outline: every column for a square, for a circle the pixels
// whose centres lie inside the circle inscribed in (0, 0)-(size, size).
std::vector<std::pair<int32_t, int32_t>> PictureOutline(int32_t size, PictureShape shape);

// A part of the frame kept in memory of its own: frame pixel (x + u, y + v)
// is surface pixel (u, v). A front end that puts the pictures one by one
// keeps one region per picture, each in rows of its own width.
struct FrameRegion {
    PixelSurface surface;
    int32_t x = 0;
    int32_t y = 0;
};

// Paints scenes into a frame of 32-bit pixels (0x00RRGGBB, PixelSurface's
// layout, either row order), each picture's rows straight into the frame
// as far as they show. Holds only scratch memory between calls; the lines
// are planned once per call for each picture size.
class FrameComposer {
public:
    // Writes exactly the frame's width x height pixels and nothing outside.
    // With clearBackground every pixel is set: the background, then the
    // pictures from the bottom of the stack to the top, each clipped to its
    // outline and to the frame. Without it only the pictures' outlines are
    // written: the caller keeps the frame of an earlier call with the same
    // background, positions, sizes and shape, which then comes out the same
    // as with clearing. Each picture gets exactly the pixels clsGradient's
    // Draw paints on a size x size bitmap at that angle and with those
    // colours. Returns the number of pictures painted; a picture whose
    // gradient cannot be planned (a size beyond any screen) is left out.
    int Compose(const PixelSurface& frame, const FrameScene& scene, bool clearBackground);
    // The same for the parts of a frame the regions hold, each painted as
    // Compose paints the frame there and nothing outside it; where regions
    // overlap each gets the same pixels. The lines and each picture's
    // colours are worked out once for all the regions.
    int ComposeRegions(const std::vector<FrameRegion>& regions, const FrameScene& scene, bool clearBackground);

private:
    GradientLines lines_;
    SweepPainter sweep_;
    SweepPainter::Colours colours_;
    std::vector<std::pair<int32_t, int32_t>> outline_;
    std::vector<uint32_t> picture_;
    std::vector<FrameRegion> whole_;
};

}  // namespace lvx
