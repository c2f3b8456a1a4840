// One-pixel lines written straight into 32-bit pixel memory, pixel for pixel
// as the platform's LineTo draws them with a solid pen one pixel wide.
//
// The rule, measured against LineTo: a line walks its major axis (x when
// |dx| >= |dy|, else y) one pixel a step from the start up to, not including,
// the end; at step t the minor coordinate is start + t * dminor / dmajor
// rounded to the nearest integer, an exact half going towards minus infinity.
// Pixels outside the surface are left out, nothing else changes: a line
// clipped by the surface keeps the pixels it would have had anyway.
#pragma once

#include <cstdint>

#include "render/cls_gradient.h"

namespace lvx {

// Ends and surface sizes up to this far from 0 are drawn exactly (GDI on the
// NT family takes no coordinate beyond it either); beyond it nothing is
// written and the caller is told.
inline constexpr int32_t kMaxPixelCoordinate = 1 << 27;

// A colour 0x00BBGGRR as the pixel value 0x00RRGGBB.
constexpr uint32_t PixelOf(int32_t color) {
    const auto c = static_cast<uint32_t>(color);
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Sets the pixels that LineTo sets from `from` up to, not including, `to`,
// clipped to the surface. False, with nothing written, when an end or the
// surface lies beyond kMaxPixelCoordinate.
bool RasteriseLine(const PixelSurface& surface, LinePoint from, LinePoint to, uint32_t pixel);

// The picture that drawing the lines of a plan one after the other leaves
// (line k in colors[k], later lines on top), written row by row. False, with
// nothing written, when the memory writes could differ from the platform's
// pens: a colour that is not plain RGB (a palette reference, say) or a
// coordinate beyond kMaxPixelCoordinate.
bool PaintLines(const PixelSurface& surface, const GradientLines& lines);

}  // namespace lvx
