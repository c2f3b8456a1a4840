// Lines that the platform's own profile reader reads in a way of its own,
// measured with GetPrivateProfileStringA: each row is a file, the section and
// key asked for, and what the platform returns (nothing: no such key). The
// native tests hold the project's reader to these answers; the Windows tests
// hold the platform to them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lvx::testing {

struct OddLine {
    const char* what;
    std::string file;
    std::string section, key;
    std::optional<std::string> value;
    // Wine 8 reads a file with a UTF-8 byte-order mark as UTF-8; Windows
    // does not know that mark. Such rows are not put to Wine.
    bool windowsOnly = false;
    // Rows with double-byte characters: put to the platform only where its
    // code page is 932 (elsewhere their bytes are two characters of its own).
    bool cp932Only = false;
};

inline const std::vector<OddLine>& OddLines() {
    using namespace std::string_literals;
    static const std::vector<OddLine> rows = {
        {"a [ line without ] ends no section", "[Section]\r\n[abc\r\nk=2\r\n", "Section", "k", "2"},
        {"... it is a key", "[Section]\r\n[abc=5\r\n", "Section", "[abc", "5"},
        {"the name runs to the last ]", "[Section]]\r\nk=1\r\n", "Section", "k", std::nullopt},
        {"... so it is Section]", "[Section]]\r\nk=1\r\n", "Section]", "k", "1"},
        {"text after the last ] is ignored", "[Section]x\r\nk=1\r\n", "Section", "k", "1"},
        {"blanks inside the brackets", "[ \tSection\v]\r\nk=1\r\n", "Section", "k", "1"},
        {"tabs around key and value", "[Section]\r\n\tk\t=\t5\t\r\n", "Section", "k", "5"},
        {"VT, FF and Ctrl-Z are blanks", "[Section]\x1A\r\n\vk\f=\x1A 5\v\f\x1A\r\n", "Section", "k", "5"},
        {"other control bytes are not", "[Section]\r\nk=5\x1B\r\n", "Section", "k", "5\x1B"},
        {"a value ends at its NUL", "[Section]\r\nk=1\0zz\r\n"s, "Section", "k", "1"},
        {"... blanks before the NUL stay", "[Section]\r\nk=1 \0zz\r\n"s, "Section", "k", "1 "},
        {"a key ends at its NUL", "[Section]\r\nk\0x=3\r\n"s, "Section", "k", "3"},
        {"a line starting with NUL has no key", "[Section]\r\n\0k=3\r\nk=4\r\n"s, "Section", "k", "4"},
        {"a section name ends at its NUL", "[Sec\0tion]\r\nk=3\r\n"s, "Sec", "k", "3"},
        {"a ; line is a key like any other", "[Section]\r\n;k=3\r\n", "Section", ";k", "3"},
        {"a UTF-8 mark is part of the first line", "\xEF\xBB\xBF[Section]\r\nk=3\r\n", "Section", "k", std::nullopt,
         true},
        {"... and harmless before an empty one", "\xEF\xBB\xBF\r\n[Section]\r\nk=3\r\n", "Section", "k", "3", true},
        {"only the first of two sections counts", "[Section]\r\n[X]\r\n[section]\r\nk=2\r\n", "Section", "k",
         std::nullopt},
        {"CR alone ends a line", "[Section]\rk=3\r", "Section", "k", "3"},
        {"... in a CR LF file too", "[Section]\r\nk=1\rj=2\r\n", "Section", "j", "2"},
        {"... after a section line too", "[Section]\rk=3\r\n", "Section", "k", "3"},
        {"a CR after a lead byte is its trail byte", "[Section]\r\nk=a\xFA\rj=2\r\n", "Section", "j", std::nullopt,
         false, true},
        {"... so is an LF", "[Section]\r\nk=a\xFA\nj=2\r\n", "Section", "j", std::nullopt, false, true},
        {"... and a CR LF still ends the line", "[Section]\r\nk=a\xFA\r\nj=2\r\n", "Section", "j", "2", false,
         true},
        {"a lead byte after a NUL takes the = in", "[Section]\r\nk\0\xFA=1\r\n"s, "Section", "k", "", false, true},
        {"... a blank between them keeps it", "[Section]\r\nk\0\xFA =1\r\n"s, "Section", "k", "1"},
        {"a key without = has an empty value", "[Section]\r\nk\r\nk=4\r\n", "Section", "k", ""},
        {"one pair of quotes is dropped", "[Section]\r\nk=\" a \"\r\n", "Section", "k", " a "},
        {"a lone quote stays", "[Section]\r\nk=\"\r\n", "Section", "k", "\""},
    };
    return rows;
}

}  // namespace lvx::testing
