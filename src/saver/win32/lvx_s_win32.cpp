#include "saver/win32/lvx_s_win32.h"

namespace lvx::win32 {

// The saver window arrives with its own change; until then it returns at once.
void Lvx_S_Run(Settings&, bool) {}

}  // namespace lvx::win32
