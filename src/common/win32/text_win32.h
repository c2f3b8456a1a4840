// Conversions at the boundary between the platform's UTF-16 and the texts of
// the core: UTF-8 for captions and argument texts, code page 932 for the
// settings file.
#pragma once

#include <string>
#include <string_view>

namespace lvx::win32 {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
std::wstring Cp932ToWide(std::string_view bytes);
// False (and no bytes) when code page 932 cannot hold the text exactly: no
// character is replaced by a look-alike.
bool WideToCp932(std::wstring_view text, std::string& bytes);
// For texts that are only shown: what code page 932 cannot hold becomes "?".
std::string WideToCp932Replacing(std::wstring_view text);
// A path in code page 932; one that it cannot hold is given as its short
// (8.3) form, which the platform keeps in plain ASCII, or as nothing when
// there is no short form.
std::string PathToCp932(const std::wstring& path);

}  // namespace lvx::win32
