#include "dialog/zoom.h"

namespace lvx {
namespace {

ScreenRect OpenPoint() { return {OpenPointX, OpenPointY, OpenPointX, OpenPointY}; }

}  // namespace

ZoomRects ZoomOpenRects(const ScreenRect& window) { return {OpenPoint(), window}; }

ZoomRects ZoomCloseRects(const ScreenRect& window) { return {window, OpenPoint()}; }

}  // namespace lvx
