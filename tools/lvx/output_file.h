// Where lvx puts a file it makes, without ever harming what stood there.
#pragma once

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

}  // namespace lvx::tool
