#include "settings/ini_document.h"

namespace lvx {
namespace {

constexpr size_t npos = std::string::npos;

template <class Unit>
bool IsBlank(Unit c) {
    return c == Unit(' ') || c == Unit('\t') || c == Unit('\v') || c == Unit('\f') || c == Unit('\r') ||
           c == Unit('\n') || c == Unit(0x1A);
}

// A byte that starts a double-byte character; UTF-16 has none that matter here.
bool StartsPair(char c) { return IsLeadByte932(static_cast<unsigned char>(c)); }
bool StartsPair(char16_t) { return false; }

template <class Unit>
std::basic_string_view<Unit> Trim(std::basic_string_view<Unit> s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    // From the back a character at a time: a CR or LF that is the trail byte
    // of a double-byte character is part of it, as the line reader takes it,
    // not a blank (s starts at a character's first byte).
    size_t keep = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (StartsPair(s[i]) && i + 1 < s.size() && s[i + 1] != Unit(0)) {
            keep = ++i + 1;
        } else if (!IsBlank(s[i])) {
            keep = i + 1;
        }
    }
    return s.substr(0, keep);
}

// The platform keeps names and values as C strings: they end at a NUL.
template <class Unit>
std::basic_string_view<Unit> UpToNul(std::basic_string_view<Unit> s) {
    size_t nul = s.find(Unit(0));
    return nul == npos ? s : s.substr(0, nul);
}

// Positions of the first and of the last single-unit ch in s, stepping over
// double-byte characters.
template <class Unit>
size_t FindSingle(std::basic_string_view<Unit> s, Unit ch) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (StartsPair(s[i]) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (s[i] == ch) return i;
    }
    return npos;
}

template <class Unit>
size_t FindLastSingle(std::basic_string_view<Unit> s, Unit ch) {
    size_t last = npos;
    for (size_t i = 0; i < s.size(); ++i) {
        if (StartsPair(s[i]) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (s[i] == ch) last = i;
    }
    return last;
}

template <class Unit>
Unit FoldAscii(Unit c) {
    return (c >= Unit('a') && c <= Unit('z')) ? static_cast<Unit>(c - Unit('a') + Unit('A')) : c;
}

template <class Unit>
bool Equal(std::basic_string_view<Unit> a, std::basic_string_view<Unit> b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (StartsPair(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

// Whether s ends with a lead byte that has no trail byte after it (the line
// reader pairs a lead byte with any next unit but a NUL).
template <class Unit>
bool EndsInLeadByte(std::basic_string_view<Unit> s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (!StartsPair(s[i])) continue;
        if (i + 1 == s.size()) return true;
        if (s[i + 1] != Unit(0)) ++i;
    }
    return false;
}

// A name as the platform compares it: blanks around it dropped, cut at a NUL.
template <class Unit>
std::basic_string_view<Unit> LookupName(std::basic_string_view<Unit> name) {
    return UpToNul(Trim(name));
}

// A line's text made safe to end with a line break: one that ends in half a
// character would take the CR for that character's trail byte and join the
// next line to it, so a NUL, which is never a trail byte and where names and
// values end anyway, closes the character first.
template <class Unit>
std::basic_string<Unit> Closed(std::basic_string<Unit> text) {
    if (EndsInLeadByte(std::basic_string_view<Unit>(text))) text += Unit(0);
    return text;
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) { return Equal(a, b); }

template <class Unit>
BasicIniDocument<Unit>::BasicIniDocument(View text) {
    size_t start = 0;
    while (start < text.size()) {
        // A CR or LF right after a lead byte is that character's trail byte
        // to the platform, and ends no line; a NUL is never a trail byte.
        size_t end = npos;
        for (size_t i = start; i < text.size(); ++i) {
            if (StartsPair(text[i]) && i + 1 < text.size() && text[i + 1] != Unit(0)) {
                ++i;
                continue;
            }
            if (text[i] == Unit('\r') || text[i] == Unit('\n')) {
                end = i;
                break;
            }
        }
        if (end == npos) {
            lines_.push_back(MakeLine(Text(text.substr(start)), Text()));
            break;
        }
        size_t next = end + 1;
        if (text[end] == Unit('\r') && next < text.size() && text[next] == Unit('\n')) ++next;
        lines_.push_back(MakeLine(Text(text.substr(start, end - start)), Text(text.substr(end, next - end))));
        start = next;
    }
}

template <class Unit>
typename BasicIniDocument<Unit>::Line BasicIniDocument<Unit>::MakeLine(Text text, Text eol) {
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    const View whole(line.text);
    auto span = [&](View part) { return part.empty() ? Span{} : Span{static_cast<size_t>(part.data() - whole.data()), part.size()}; };
    View t = Trim(whole);
    if (t.empty()) return line;
    if (t.front() == Unit('[')) {
        // Without a "]" the line is no section: the platform reads it as a key.
        size_t close = FindLastSingle(t, Unit(']'));
        if (close != npos) {
            line.kind = Kind::Section;
            line.name = span(LookupName(t.substr(1, close - 1)));
            return line;
        }
    }
    line.kind = Kind::Entry;
    size_t eq = FindSingle(t, Unit('='));
    line.name = span(UpToNul(eq == npos ? t : Trim(t.substr(0, eq))));
    if (eq != npos) line.value = span(UpToNul(Trim(t.substr(eq + 1))));
    return line;
}

template <class Unit>
size_t BasicIniDocument<Unit>::FindSection(View section) const {
    const View wanted = LookupName(section);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section && Equal(Part(lines_[i], lines_[i].name), wanted)) return i + 1;
    }
    return npos;
}

template <class Unit>
size_t BasicIniDocument<Unit>::SectionEnd(size_t bodyStart) const {
    size_t i = bodyStart;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

template <class Unit>
std::optional<typename BasicIniDocument<Unit>::Text> BasicIniDocument<Unit>::Get(View section, View key) const {
    size_t body = FindSection(section);
    if (body == npos) return std::nullopt;
    const View wanted = LookupName(key);
    const size_t end = SectionEnd(body);
    for (size_t i = body; i < end; ++i) {
        const Line& line = lines_[i];
        if (line.kind != Kind::Entry || !Equal(Part(line, line.name), wanted)) continue;
        View v = Part(line, line.value);
        if (v.size() >= 2 && (v.front() == Unit('"') || v.front() == Unit('\'')) && v.back() == v.front()) {
            v = v.substr(1, v.size() - 2);
        }
        return Text(v);
    }
    return std::nullopt;
}

template <class Unit>
void BasicIniDocument<Unit>::Set(View section, View key, View value) {
    const Text crlf{Unit('\r'), Unit('\n')};
    const Text entry = Closed(Text(Trim(key)) + Unit('=') + Text(value));
    auto endLine = [&](Line& line) {
        if (line.eol.empty()) line = MakeLine(Closed(std::move(line.text)), crlf);
    };
    size_t body = FindSection(section);
    if (body == npos) {
        if (!lines_.empty()) endLine(lines_.back());
        lines_.push_back(MakeLine(Unit('[') + Text(Trim(section)) + Unit(']'), crlf));
        lines_.push_back(MakeLine(entry, crlf));
        return;
    }
    size_t end = SectionEnd(body);
    const View wanted = LookupName(key);
    for (size_t i = body; i < end; ++i) {
        Line& line = lines_[i];
        if (line.kind == Kind::Entry && Equal(Part(line, line.name), wanted)) {
            // The key as the file spells it, up to its NUL as the platform
            // reads it: what follows a NUL could join the "=" to a
            // double-byte character and hide it.
            Text edited = Closed(Text(Part(line, line.name)) + Unit('=') + Text(value));
            line = MakeLine(std::move(edited), line.eol.empty() ? crlf : line.eol);
            return;
        }
    }
    // After the section's last non-blank line, so blank separators stay last.
    size_t at = end;
    while (at > body && lines_[at - 1].kind == Kind::Blank) --at;
    if (at > 0) endLine(lines_[at - 1]);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), MakeLine(entry, crlf));
}

template <class Unit>
typename BasicIniDocument<Unit>::Text BasicIniDocument<Unit>::Units() const {
    Text out;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

template class BasicIniDocument<char>;
template class BasicIniDocument<char16_t>;

}  // namespace lvx
