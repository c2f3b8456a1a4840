// Where lvx puts a file it makes, without ever harming what stood there.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace lvx::tool {

// Writes bytes to path. "-" means out. A path that names something other
// than a regular file (a device, a pipe) is written in place; a regular or
// new file is written beside it and renamed over it only once complete, so
// a failure leaves the old file as it was. Returns "" on success, otherwise
// why it failed; on failure nothing this call did not create is removed.
std::string WriteOutput(const std::string& path, std::string_view bytes, std::ostream& out);

// An 8-bit RGB PNG of w x h pixels from 0x00RRGGBB values, top row first;
// empty with why set when it cannot be encoded.
std::string EncodePng(int32_t w, int32_t h, const uint32_t* pixels, std::string& why);

}  // namespace lvx::tool
