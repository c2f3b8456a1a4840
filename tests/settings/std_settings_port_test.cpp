// The standard-library port on a real file system: missing and unreadable
// files told apart, and the read-only mark holding here as on Windows.
#include "settings/std_settings_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace lvx {
namespace {

namespace fs = std::filesystem;

TEST(StdSettingsPort, TellsMissingFromUnreadableAndKeepsReadOnlyFiles) {
    const fs::path dir = fs::temp_directory_path() / ("lvx_std_port_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path ini = dir / "Lumvex_K47.ini";
    StdSettingsPort port(ini.string(), 1024);
    EXPECT_EQ(port.ReadFile(ini.string()).status, FileContent::Status::Missing);
    EXPECT_EQ(port.ReadFile((dir / "none" / "x.ini").string()).status, FileContent::Status::Missing);
    EXPECT_EQ(port.ReadFile(dir.string()).status, FileContent::Status::Unreadable);  // a folder

    std::ofstream(ini, std::ios::binary) << "[Section]\r\nk=1\r\n";
    EXPECT_EQ(port.ReadFile(ini.string()).bytes, "[Section]\r\nk=1\r\n");
    // No write bit is the read-only mark, even for root, who could write anyway.
    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    SaveFailure why = SaveFailure::None;
    Settings s;
    EXPECT_FALSE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, port, &why));
    EXPECT_EQ(why, SaveFailure::ReadOnlyFile);
    EXPECT_EQ(port.ReadFile(ini.string()).bytes, "[Section]\r\nk=1\r\n");
    fs::remove_all(dir);
}

}  // namespace
}  // namespace lvx
