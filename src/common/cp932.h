// Code page 932 (Shift-JIS), the encoding of the settings file and of the
// texts the sound module hands to MCI.
#pragma once

namespace lvx {

// True when byte c starts a double-byte character in code page 932.
inline bool IsLeadByte932(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace lvx
