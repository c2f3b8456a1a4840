// An in-memory settings port: files are a map from path to bytes.
#pragma once

#include <map>
#include <set>
#include <string>

#include "settings/settings_file.h"

namespace lvx::testing {

class FakeSettingsPort : public SettingsPort {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> readable;  // extra paths that open for reading
    bool failWrites = false;
    double width = 1024;
    int reads = 0;
    int writes = 0;

    static constexpr const char* kIni = "C:\\Prog\\Lumvex_K47.ini";

    std::optional<std::string> ReadFile(const std::string& path) override {
        ++reads;
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override {
        ++writes;
        if (failWrites) return false;
        files[path] = bytes;
        return true;
    }
    bool CanOpenForReading(const std::string& path) override {
        return readable.count(path) > 0 || files.count(path) > 0;
    }
    std::string ProgramFolder() override { return "C:\\Prog"; }
    double ScreenWidthPx() override { return width; }

    std::string& Ini() { return files[kIni]; }
};

}  // namespace lvx::testing
