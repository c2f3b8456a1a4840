#include "common/program_port.h"

#include "settings/settings.h"

namespace lvx {
namespace {

constexpr uint32_t SPI_SCREENSAVERRUNNING = 97;
constexpr int32_t VER_PLATFORM_WIN32_NT = 2;

}  // namespace

int16_t Is_WinNT(ProgramPort& port) {
    int32_t platformId = 0;
    int32_t result = port.QueryVersion(148, platformId);
    return (result == 1 && platformId == VER_PLATFORM_WIN32_NT) ? kTrue : kFalse;
}

void Clear_Saver_Flag(int16_t clear, ProgramPort& port) {
    int32_t running = static_cast<int16_t>(~clear);  // widened with its sign
    port.SetSystemParameter(SPI_SCREENSAVERRUNNING, running);
}

}  // namespace lvx
