// The zoom animations of the settings dialog: a caption rectangle that grows
// from the mouse position at opening to the dialog, and shrinks back to the
// same point at closing.
#pragma once

#include <cstdint>

namespace lvx {

// Where the mouse pointer was when the dialog was loaded, in screen pixels.
inline int16_t OpenPointX = 0;
inline int16_t OpenPointY = 0;

struct ScreenRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct ZoomRects {
    ScreenRect from;
    ScreenRect to;
};

// Opening: from the zero-size rectangle at the open point to the window's
// rectangle; closing: the same the other way round.
ZoomRects ZoomOpenRects(const ScreenRect& window);
ZoomRects ZoomCloseRects(const ScreenRect& window);

}  // namespace lvx
