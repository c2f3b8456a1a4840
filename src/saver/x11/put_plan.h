// Which parts of the hack's frame go to the X server after a pass. The
// server copies a shared-memory put that spans whole rows of the image with
// one memcpy per row, but a narrower one through a scratch pixmap and a
// generic blit that costs about half as much again per pixel: so the rows
// the pictures touch go out as full-width bands when these are not much
// larger than the pictures themselves, else the pictures one by one.
#pragma once

#include <cstdint>
#include <vector>

namespace lvx::x11 {

struct PutRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PutRect&) const = default;
};

// The rectangles to put so that every pixel of every picture inside the
// width x height frame reaches the screen: each picture clipped to the
// frame (none for one wholly outside or of size 0), or, when wholeRows and
// the bands' pixels are at most 3/2 of the pictures', the picture rows
// merged into full-width bands, top to bottom, none overlapping.
std::vector<PutRect> PlanPuts(int32_t width, int32_t height, const std::vector<PutRect>& pictures, bool wholeRows);

}  // namespace lvx::x11
