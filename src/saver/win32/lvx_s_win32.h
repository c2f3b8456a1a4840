// The full-screen saver window.
#pragma once

#include "settings/settings.h"

namespace lvx::win32 {

// Loads the saver window and runs it; the saver's ending ends the process.
// saverMode: started with "S" (password and cursor rules of the ending).
void Lvx_S_Run(Settings& settings, bool saverMode);

}  // namespace lvx::win32
