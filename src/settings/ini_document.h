// A private-profile file held as its text: lookups follow the platform's
// rules, and an edit changes one line and keeps every other unit as it was.
//
// The text is code-page-932 bytes (IniDocument) or UTF-16 code units
// (WideIniDocument, for files the platform keeps in UTF-16). Key and section
// names match without regard to ASCII case; the trail byte of a double-byte
// character is never folded and never taken for a bracket or a separator.
//
// Where the platform reads a line in a way of its own, this follows it:
// blanks are space, tab, VT, FF, CR, LF and Ctrl-Z; a line that starts with
// "[" is a section only when it holds a "]", and the name runs to the last
// "]"; names and values end at their first NUL; a line starting with ";" is
// no comment but a key that nobody asks for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/cp932.h"

namespace lvx {

template <class Unit>
class BasicIniDocument {
public:
    using Text = std::basic_string<Unit>;
    using View = std::basic_string_view<Unit>;

    BasicIniDocument() = default;
    explicit BasicIniDocument(View text);

    // The value of the first matching key in the first matching section,
    // blanks around it removed and one pair of enclosing quotes dropped.
    std::optional<Text> Get(View section, View key) const;

    // Replaces the value of the first matching key, or adds the key at the
    // end of the section, or adds the section at the end of the file.
    void Set(View section, View key, View value);

    // The whole text, every line with its own line ending.
    Text Units() const;

private:
    enum class Kind { Blank, Section, Entry };
    // Where a part of a line lies in its text.
    struct Span {
        size_t at = 0, size = 0;
    };
    // Each line is parsed once, when it is read or edited.
    struct Line {
        Text text;  // without its line ending
        Text eol;   // CR LF, LF, CR, or nothing for a last line without one
        Kind kind = Kind::Blank;
        Span name;     // section name or key as the platform compares it
        Span value;    // entry value as the platform returns it
    };
    static Line MakeLine(Text text, Text eol);
    static View Part(const Line& line, Span span) { return View(line.text).substr(span.at, span.size); }
    // Index of the first line of the first matching section's body, or npos.
    size_t FindSection(View section) const;
    size_t SectionEnd(size_t bodyStart) const;

    std::vector<Line> lines_;
};

using IniDocument = BasicIniDocument<char>;
using WideIniDocument = BasicIniDocument<char16_t>;

// Case-insensitive comparison of code-page-932 names (ASCII letters only).
bool NamesEqual(std::string_view a, std::string_view b);

}  // namespace lvx
