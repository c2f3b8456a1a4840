// The main module's zoom routines: the system's animated caption rectangle
// between the open point and a window.
#pragma once

#include <windows.h>

namespace lvx::win32 {

void Zoom_Open(HWND window);
void Zoom_Close(HWND window);

}  // namespace lvx::win32
