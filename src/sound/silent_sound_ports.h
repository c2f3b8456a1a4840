// Sound ports for a front end that plays nothing (the web page, lvx, the
// Linux hack): they answer as a machine without sound, so the music logic
// stays quiet.
#pragma once

#include <string>

#include "sound/sound_ports.h"

namespace lvx {

class SilentMci final : public MciPort {
public:
    int32_t SendString(const std::string&, std::string& returned, uint32_t) override {
        returned.clear();
        return 266;  // no device of this kind
    }
    bool ErrorText(int32_t, std::string&, uint32_t) override { return false; }
};

class SilentWave final : public WavePort {
public:
    uint32_t OutputDeviceCount() override { return 0; }
    int32_t PlayFile(const std::string&, uint32_t) override { return 0; }
    int32_t StopSound() override { return 0; }
};

}  // namespace lvx
