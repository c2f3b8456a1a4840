// What the running saver needs of the program as a whole: the pointer's
// visibility, the platform's version and system parameters, and ending the
// process. Each front end (the Windows program, the X11 hack) provides it.
#pragma once

#include <cstdint>

namespace lvx {

class ProgramPort {
public:
    virtual ~ProgramPort() = default;
    virtual void ShowCursor(bool show) = 0;
    // GetVersionExA with the given record size: the call's result and the platform id.
    virtual int32_t QueryVersion(int32_t structSize, int32_t& platformId) = 0;
    virtual int32_t SetSystemParameter(uint32_t action, int32_t param) = 0;
    // Ends the process at once; a port that returns lets the caller unwind.
    virtual void EndProgram() = 0;
};

int16_t Is_WinNT(ProgramPort& port);
void Clear_Saver_Flag(int16_t clear, ProgramPort& port);

}  // namespace lvx
