// Code page 932 and UTF-16 in the web build, converted by the browser's own
// Shift_JIS decoder (the WHATWG one, which is code page 932): a byte
// sequence or character the other side cannot hold becomes "?", as the
// platform's own conversions do.
#pragma once

#include <string>
#include <string_view>

namespace lvx::web {

std::u16string DecodeCp932(std::string_view bytes);
std::string EncodeCp932(std::u16string_view text);

}  // namespace lvx::web
