// The standard-library port on a real file system, as the command-line tool uses it.
#include "settings/std_settings_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace lvx {
namespace {

namespace fs = std::filesystem;

class StdPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("lvx_std_port_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "user");
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_ / "Lumvex_K47.ini", fs::perms::owner_all, ec);
        fs::remove_all(dir_, ec);
    }
    static void Write(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir_;
};

TEST_F(StdPortTest, TellsMissingFromUnreadableAndKeepsReadOnlyFiles) {
    const fs::path ini = dir_ / "Lumvex_K47.ini";
    StdSettingsPort port(ini.string(), 1024);
    EXPECT_EQ(port.ReadFile(ini.string()).status, FileContent::Status::Missing);
    EXPECT_EQ(port.ReadFile((dir_ / "none" / "x.ini").string()).status, FileContent::Status::Missing);
    EXPECT_EQ(port.ReadFile(dir_.string()).status, FileContent::Status::Unreadable);  // a folder

    Write(ini, "[Section]\r\nk=1\r\n");
    EXPECT_EQ(port.ReadFile(ini.string()).bytes, "[Section]\r\nk=1\r\n");
    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // No write bit is the read-only mark, even for root, who could write anyway.
    EXPECT_EQ(port.ReplaceFileBytes(ini.string(), "x"), WriteStatus::ReadOnly);
    SaveFailure why = SaveFailure::None;
    Settings s;
    EXPECT_FALSE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, port, &why));
    EXPECT_EQ(why, SaveFailure::ReadOnlyFile);
    EXPECT_EQ(Read(ini), "[Section]\r\nk=1\r\n");
}

TEST_F(StdPortTest, AShutProgramFolderSendsTheSaveToTheUserFolder) {
    // The program's file lies in a folder that does not exist.
    StdSettingsPort port((dir_ / "shut" / "Lumvex_K47.ini").string(), 1024, (dir_ / "user").string());
    Settings s;
    Load_ini_File(s, port);
    s.Shape = 1;
    SaveFailure why = SaveFailure::CannotWrite;
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, port, &why));
    EXPECT_EQ(why, SaveFailure::None);
    const fs::path copy = dir_ / "user" / "Lumvex_K47" / "Lumvex_K47.ini";
    EXPECT_NE(Read(copy).find(std::string(key::Shape) + "= 1\r\n"), std::string::npos);
    Settings back;
    Load_ini_File(back, port);
    EXPECT_EQ(back.Shape, 1);
}

}  // namespace
}  // namespace lvx
