// The settings dialog.
#pragma once

#include "settings/settings.h"

namespace lvx::win32 {

// Shows the dialog modally with no owner; returns when it has closed.
void Lvx_P_ShowModal(Settings& settings);

}  // namespace lvx::win32
