#include "settings/std_settings_port.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace lvx {

std::string StdSettingsPort::Resolve(const std::string& path) const {
    return path == "<program>\\Lumvex_K47.ini" ? settingsFile_ : path;
}

std::optional<std::string> StdSettingsPort::ReadFile(const std::string& path) {
    std::ifstream in(Resolve(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return out.str();
}

bool StdSettingsPort::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
    namespace fs = std::filesystem;
    const fs::path target(Resolve(path));
    fs::path temp = target;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

bool StdSettingsPort::CanOpenForReading(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

}  // namespace lvx
