// Reads src/resources/english.tsv, the one table of the program's Japanese
// texts and their English meanings, for the tests that hold it to the
// program's own texts.
#pragma once

#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lvx::test {

struct EnglishRow {
    std::string japanese;  // "\n" in the file is a line break here
    std::string english;
};

inline std::string UnescapeTableText(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Rows by key, in the file's order of keys; a malformed or repeated row throws.
inline std::map<std::string, EnglishRow> ReadEnglishTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::map<std::string, EnglishRow> rows;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const size_t a = line.find('\t');
        const size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
        if (b == std::string::npos || line.find('\t', b + 1) != std::string::npos || line.back() == '\r') {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": not KEY TAB JAPANESE TAB ENGLISH");
        }
        const std::string key = line.substr(0, a);
        EnglishRow row{UnescapeTableText(line.substr(a + 1, b - a - 1)), UnescapeTableText(line.substr(b + 1))};
        if (key.empty() || row.english.empty()) throw std::runtime_error(path + ":" + std::to_string(number) + ": empty key or English");
        if (!rows.emplace(key, row).second) throw std::runtime_error(path + ": key " + key + " twice");
    }
    return rows;
}

}  // namespace lvx::test
