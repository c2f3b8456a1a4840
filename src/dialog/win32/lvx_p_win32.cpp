#include "dialog/win32/lvx_p_win32.h"

namespace lvx::win32 {

// The dialog arrives with its own change; until then it closes at once.
void Lvx_P_ShowModal(Settings&) {}

}  // namespace lvx::win32
