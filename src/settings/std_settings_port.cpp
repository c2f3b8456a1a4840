#include "settings/std_settings_port.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace lvx {
namespace {

namespace fs = std::filesystem;

// Converts with iconv; what cannot be converted becomes one "?" per input unit.
std::string Convert(const char* to, const char* from, std::string_view in, size_t unit, std::string_view question) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out;
    std::string input(in);
    char* src = input.data();
    size_t left = input.size();
    char buffer[256];
    while (left > 0) {
        char* dst = buffer;
        size_t room = sizeof buffer;
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // An invalid or unconvertible unit, or a text cut inside a character.
            size_t skip = std::min(unit, left);
            src += skip;
            left -= skip;
            out += question;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::u16string StdCp932ToUtf16(std::string_view bytes) {
    std::string le = Convert("UTF-16LE", "CP932", bytes, 1, std::string_view("?\0", 2));
    std::u16string out(le.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(le[2 * i]) |
                                       (static_cast<unsigned char>(le[2 * i + 1]) << 8));
    }
    return out;
}

std::string StdUtf16ToCp932(std::u16string_view text) {
    std::string le;
    for (char16_t u : text) {
        le += static_cast<char>(u & 0xFF);
        le += static_cast<char>(u >> 8);
    }
    return Convert("CP932", "UTF-16LE", le, 2, "?");
}

std::string StdSettingsPort::Resolve(const std::string& path) const {
    if (path == "<program>\\Lumvex_K47.ini") return settingsFile_;
    // Below the user folder the names are the program's own, joined by "\".
    if (!userFolder_.empty() && path.starts_with(userFolder_ + "\\")) {
        std::string out = path;
        for (size_t i = userFolder_.size(); i < out.size(); ++i) {
            if (out[i] == '\\') out[i] = '/';
        }
        return out;
    }
    return path;
}

FileContent StdSettingsPort::ReadFile(const std::string& path) {
    const fs::path target(Resolve(path));
    std::error_code ec;
    fs::file_status status = fs::status(target, ec);
    if (status.type() == fs::file_type::not_found) return {};
    if (ec || fs::is_directory(status)) return {FileContent::Status::Unreadable, {}};
    std::ifstream in(target, std::ios::binary);
    if (!in) return {FileContent::Status::Unreadable, {}};
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) return {FileContent::Status::Unreadable, {}};
    return {FileContent::Status::Read, out.str()};
}

WriteStatus StdSettingsPort::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
    const fs::path target(Resolve(path));
    std::error_code ec;
    fs::file_status status = fs::status(target, ec);
    // No write bit for anyone is the read-only mark here; it holds for root too.
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (fs::is_regular_file(status) && (status.permissions() & writable) == fs::perms::none) {
        return WriteStatus::ReadOnly;
    }
    fs::path temp = target;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return WriteStatus::Failed;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return WriteStatus::Failed;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return WriteStatus::Failed;
    }
    return WriteStatus::Written;
}

bool StdSettingsPort::CanOpenForReading(const std::string& path) {
    std::error_code ec;
    const fs::path target(Resolve(path));
    if (fs::is_directory(target, ec)) return false;
    std::ifstream in(target, std::ios::binary);
    return static_cast<bool>(in);
}

bool StdSettingsPort::MakeFolder(const std::string& path) {
    std::error_code ec;
    const fs::path target(Resolve(path));
    fs::create_directory(target, ec);
    return fs::is_directory(target, ec);
}

std::u16string StdSettingsPort::Cp932ToUtf16(std::string_view bytes) { return StdCp932ToUtf16(bytes); }
std::string StdSettingsPort::Utf16ToCp932(std::u16string_view text) { return StdUtf16ToCp932(text); }

}  // namespace lvx
