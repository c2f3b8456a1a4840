// The preview window shown inside the display-settings dialog.
#pragma once

#include <cstdint>

namespace lvx::win32 {

// Embeds the preview into the host window. Returns true when a preview
// window now exists and the caller must pump messages until it is gone.
bool Lvx_R_Open(int32_t hostWindow);

}  // namespace lvx::win32
