#include "settings/ini_document.h"

namespace lvx {
namespace {

constexpr size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Position of the first single-byte ch in s, stepping over double-byte characters.
size_t FindSingleByte(std::string_view s, char ch) {
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (IsLeadByte932(c) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (s[i] == ch) return i;
    }
    return npos;
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(a[i]);
        if (IsLeadByte932(c) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

IniDocument::IniDocument(std::string_view bytes) {
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        Line line;
        if (end == npos) {
            line.text = std::string(bytes.substr(start));
            lines_.push_back(std::move(line));
            break;
        }
        line.text = std::string(bytes.substr(start, end - start));
        size_t next = end + 1;
        if (bytes[end] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
        line.eol = std::string(bytes.substr(end, next - end));
        lines_.push_back(std::move(line));
        start = next;
    }
}

IniDocument::Parsed IniDocument::ParseLine(std::string_view text) {
    Parsed p;
    std::string_view t = Trim(text);
    if (t.empty()) return p;
    if (t.front() == ';') {
        p.kind = Kind::Comment;
        return p;
    }
    if (t.front() == '[') {
        std::string_view inner = t.substr(1);
        size_t close = FindSingleByte(inner, ']');
        if (close != npos) inner = inner.substr(0, close);
        p.kind = Kind::Section;
        p.name = std::string(Trim(inner));
        return p;
    }
    p.kind = Kind::Entry;
    size_t eq = FindSingleByte(t, '=');
    if (eq == npos) {
        p.name = std::string(t);
        return p;
    }
    p.hasEquals = true;
    p.name = std::string(Trim(t.substr(0, eq)));
    p.value = std::string(Trim(t.substr(eq + 1)));
    return p;
}

size_t IniDocument::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        Parsed p = ParseLine(lines_[i].text);
        if (p.kind == Kind::Section && NamesEqual(p.name, Trim(section))) return i + 1;
    }
    return npos;
}

size_t IniDocument::SectionEnd(size_t bodyStart) const {
    size_t i = bodyStart;
    while (i < lines_.size() && ParseLine(lines_[i].text).kind != Kind::Section) ++i;
    return i;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    size_t body = FindSection(section);
    if (body == npos) return std::nullopt;
    size_t end = SectionEnd(body);
    for (size_t i = body; i < end; ++i) {
        Parsed p = ParseLine(lines_[i].text);
        if (p.kind != Kind::Entry || !NamesEqual(p.name, Trim(key))) continue;
        std::string v = p.value;
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
            v = v.substr(1, v.size() - 2);
        }
        return v;
    }
    return std::nullopt;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string entry = std::string(Trim(key)) + "=" + std::string(value);
    size_t body = FindSection(section);
    if (body == npos) {
        if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = "\r\n";
        lines_.push_back({"[" + std::string(Trim(section)) + "]", "\r\n"});
        lines_.push_back({entry, "\r\n"});
        return;
    }
    size_t end = SectionEnd(body);
    for (size_t i = body; i < end; ++i) {
        Parsed p = ParseLine(lines_[i].text);
        if (p.kind == Kind::Entry && NamesEqual(p.name, Trim(key))) {
            // Keep the key as the file spells it.
            lines_[i].text = p.name + "=" + std::string(value);
            if (lines_[i].eol.empty()) lines_[i].eol = "\r\n";
            return;
        }
    }
    // After the section's last non-blank line, so blank separators stay last.
    size_t at = end;
    while (at > body && ParseLine(lines_[at - 1].text).kind == Kind::Blank) --at;
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = "\r\n";
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{entry, "\r\n"});
}

std::string IniDocument::Bytes() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

}  // namespace lvx
