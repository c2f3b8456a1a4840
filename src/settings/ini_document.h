// A private-profile file held as its bytes: lookups follow the platform's
// rules, and an edit changes one line and keeps every other byte as it was.
//
// Texts are code-page-932 bytes. Key and section names match without regard
// to ASCII case; the trail byte of a double-byte character is never folded
// and never taken for a bracket or a separator.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/cp932.h"

namespace lvx {

class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(std::string_view bytes);

    // The value of the first matching key in the first matching section,
    // blanks around it removed and one pair of enclosing quotes dropped.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Replaces the value of the first matching key, or adds the key at the
    // end of the section, or adds the section at the end of the file.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Bytes() const;

private:
    struct Line {
        std::string text;  // without its line ending
        std::string eol;   // "\r\n", "\n", "\r" or "" for a last line without one
    };
    enum class Kind { Blank, Comment, Section, Entry };
    struct Parsed {
        Kind kind = Kind::Blank;
        std::string name;   // section name or key, trimmed
        std::string value;  // entry value, trimmed
        bool hasEquals = false;
    };
    static Parsed ParseLine(std::string_view text);
    // Index of the first line of the first matching section's body, or npos.
    size_t FindSection(std::string_view section) const;
    size_t SectionEnd(size_t bodyStart) const;

    std::vector<Line> lines_;
};

// Case-insensitive comparison of code-page-932 names (ASCII letters only).
bool NamesEqual(std::string_view a, std::string_view b);

}  // namespace lvx
