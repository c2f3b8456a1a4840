// What the sound module needs of the platform: the multimedia control
// interface's string commands and looping wave output.
//
// Texts: every text that crosses these ports, and every text the sound module
// hands back, is code-page-932 bytes. The music path comes from the settings
// file in that code page, so a command that carries it is built without any
// conversion in the core; the commands themselves are plain ASCII. The Windows
// ports convert code page 932 to UTF-16 and call the wide-character functions,
// so a path plays whatever the system's own code page (a path that code page
// 932 cannot hold is stored in the settings file as its short 8.3 form).
// Texts coming back (returned and error texts) are converted to code page
// 932; a character it cannot hold becomes "?". Nothing shows these texts.
#pragma once

#include <cstdint>
#include <string>

namespace lvx {

class MciPort {
public:
    virtual ~MciPort() = default;
    // Sends one command string without a callback window. returnLength is the
    // size in characters of the buffer that receives the command's text (0: no
    // buffer). returned gets that buffer's text up to its first NUL; the buffer
    // starts empty on every call. Returns 0 on success, else the MCI error code.
    virtual int32_t SendString(const std::string& command, std::string& returned, uint32_t returnLength) = 0;
    // The platform's text for an MCI error code, looked up into a buffer of
    // length characters; false when the platform has no text for it.
    virtual bool ErrorText(int32_t code, std::string& text, uint32_t length) = 0;
};

class WavePort {
public:
    virtual ~WavePort() = default;
    // Number of wave-output devices.
    virtual uint32_t OutputDeviceCount() = 0;
    // Plays a sound file with the given sound flags (values below); the
    // platform's result (1 = accepted, 0 = refused).
    virtual int32_t PlayFile(const std::string& path, uint32_t flags) = 0;
    // Stops the sound this process plays; the platform's result.
    virtual int32_t StopSound() = 0;
};

// Sound flags as the platform numbers them.
namespace snd {
inline constexpr uint32_t kAsync = 0x0001;
inline constexpr uint32_t kNoDefault = 0x0002;
inline constexpr uint32_t kLoop = 0x0008;
inline constexpr uint32_t kFilename = 0x00020000;
}  // namespace snd

}  // namespace lvx
