#include "app/win32/lvx_r_win32.h"

namespace lvx::win32 {

// The preview window arrives with its own change; until then nothing opens.
bool Lvx_R_Open(int32_t) { return false; }

}  // namespace lvx::win32
