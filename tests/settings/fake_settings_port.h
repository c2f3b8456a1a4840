// An in-memory settings port: files are a map from path to bytes.
#pragma once

#include <map>
#include <set>
#include <string>

#include "settings/settings_file.h"
#include "settings/std_settings_port.h"

namespace lvx::testing {

class FakeSettingsPort : public SettingsPort {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> readable;    // extra paths that open for reading
    std::set<std::string> unreadable;  // files that are there but cannot be read
    std::set<std::string> readOnly;    // files carrying the read-only mark
    std::set<std::string> folders;     // folders made by MakeFolder
    bool failWrites = false;           // no folder can be written
    std::set<std::string> failingFolders;  // these folders cannot be written
    std::string userFolder;            // %APPDATA%; empty for none
    double width = 1024;
    int reads = 0;
    int writes = 0;

    static constexpr const char* kIni = "C:\\Prog\\Lumvex_K47.ini";
    static constexpr const char* kUserIni = "C:\\Users\\me\\AppData\\Roaming\\Lumvex_K47\\Lumvex_K47.ini";
    static constexpr const char* kUserFolder = "C:\\Users\\me\\AppData\\Roaming";

    FileContent ReadFile(const std::string& path) override {
        ++reads;
        if (unreadable.count(path)) return {FileContent::Status::Unreadable, {}};
        auto it = files.find(path);
        if (it == files.end()) return {};
        return {FileContent::Status::Read, it->second};
    }
    WriteStatus ReplaceFileBytes(const std::string& path, const std::string& bytes) override {
        ++writes;
        if (readOnly.count(path)) return WriteStatus::ReadOnly;
        const std::string folder = path.substr(0, path.rfind('\\'));
        if (failWrites || failingFolders.count(folder)) return WriteStatus::Failed;
        if (!FolderExists(folder)) return WriteStatus::Failed;
        files[path] = bytes;
        return WriteStatus::Written;
    }
    bool CanOpenForReading(const std::string& path) override {
        return readable.count(path) > 0 || files.count(path) > 0;
    }
    std::string ProgramFolder() override { return "C:\\Prog"; }
    std::string UserDataFolder() override { return userFolder; }
    bool MakeFolder(const std::string& path) override {
        if (failWrites) return false;
        folders.insert(path);
        return true;
    }
    double ScreenWidthPx() override { return width; }
    std::u16string Cp932ToUtf16(std::string_view bytes) override { return StdCp932ToUtf16(bytes); }
    std::string Utf16ToCp932(std::u16string_view text) override { return StdUtf16ToCp932(text); }

    std::string& Ini() { return files[kIni]; }

    // The program's and the user's data folder exist, and so do those made
    // and those that hold a file.
    bool FolderExists(const std::string& folder) const {
        if (folder == "C:\\Prog" || folder == userFolder || folders.count(folder)) return true;
        for (const auto& [path, bytes] : files) {
            if (path.rfind(folder + "\\", 0) == 0) return true;
        }
        return false;
    }
};

}  // namespace lvx::testing
