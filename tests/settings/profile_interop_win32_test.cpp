// The project's settings file code against the platform's own profile
// functions: what one writes, the other must read.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "settings/settings_file.h"
#include "settings/win32/settings_port_win32.h"
#include "common/win32/text_win32.h"

namespace lvx::win32 {
namespace {

// The real file calls, with the program folder moved to a scratch folder.
class ScratchPort : public Win32SettingsPort {
public:
    explicit ScratchPort(std::string folder) : folder_(std::move(folder)) {}
    std::string ProgramFolder() override { return folder_; }

private:
    std::string folder_;
};

class ProfileInterop : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        // A folder name with blanks and Japanese text, as users' folders have.
        folderW_ = std::wstring(temp) + L"lvx interop \u8A2D\u5B9A " + std::to_wstring(GetCurrentProcessId()) +
                   L"_" + std::to_wstring(counter_++);
        ASSERT_TRUE(CreateDirectoryW(folderW_.c_str(), nullptr));
        ASSERT_TRUE(WideToCp932(folderW_, folder_));
        path_ = folder_ + "\\Lumvex_K47.ini";
        // The platform's A functions take the path in the system code page;
        // where that cannot hold the folder's name, its short form does.
        std::wstring folderForAnsi = folderW_;
        BOOL lossy = FALSE;
        WideCharToMultiByte(CP_ACP, 0, folderW_.c_str(), -1, nullptr, 0, nullptr, &lossy);
        if (lossy) {
            wchar_t shortName[MAX_PATH];
            ASSERT_GT(GetShortPathNameW(folderW_.c_str(), shortName, MAX_PATH), 0u);
            folderForAnsi = shortName;
        }
        ansiPath_ = WideToAnsi(folderForAnsi + L"\\Lumvex_K47.ini");
    }
    void TearDown() override {
        DeleteFileW((folderW_ + L"\\Lumvex_K47.ini").c_str());
        RemoveDirectoryW(folderW_.c_str());
    }

    static std::string WideToAnsi(const std::wstring& w) {
        std::string out(w.size() * 2 + 1, '\0');
        int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), static_cast<int>(w.size()), out.data(),
                                    static_cast<int>(out.size()), nullptr, nullptr);
        out.resize(static_cast<size_t>(n));
        return out;
    }

    std::string PlatformGet(std::string_view k) {
        char buffer[256] = {};
        GetPrivateProfileStringA("Section", std::string(k).c_str(), "", buffer, 256, ansiPath_.c_str());
        return buffer;
    }
    void PlatformPut(std::string_view k, const char* value) {
        ASSERT_TRUE(WritePrivateProfileStringA("Section", std::string(k).c_str(), value, ansiPath_.c_str()));
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, ansiPath_.c_str());  // flush the platform's cache
    }
    std::string FileBytes() {
        ScratchPort port(folder_);
        return port.ReadFile(path_).value_or("<missing>");
    }

    static int counter_;
    std::wstring folderW_;
    std::string folder_, path_, ansiPath_;
};
int ProfileInterop::counter_ = 0;

TEST_F(ProfileInterop, RunsUnderTheExpectedCodePage) {
    const char* expected = std::getenv("LVX_EXPECT_ACP");
    if (expected != nullptr) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
}

TEST_F(ProfileInterop, ThePlatformReadsWhatTheProjectWrote) {
    ScratchPort port(folder_);
    Settings s;
    Load_ini_File(s, port);
    s.BgmKind = 1;
    s.Gradation = 2;
    s.Shape = 1;
    s.BgmFile = "C:\\My Music\\\x8B\xC8 1.mp3";  // 曲 1.mp3
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"7", 200, 30, 16777215}, port));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ansiPath_.c_str());

    EXPECT_EQ(PlatformGet(key::BgmKind), "1");
    EXPECT_EQ(PlatformGet(key::BgmRepeat), "7");
    EXPECT_EQ(PlatformGet(key::BgmFile), s.BgmFile);
    EXPECT_EQ(PlatformGet(key::PictureSize), "200");
    EXPECT_EQ(PlatformGet(key::SizeRandom), "0");
    EXPECT_EQ(PlatformGet(key::ColorInterval), "30");
    EXPECT_EQ(PlatformGet(key::Gradation), "2");
    EXPECT_EQ(PlatformGet(key::BackColorRandom), "0");
    EXPECT_EQ(PlatformGet(key::BackColor), "16777215");
    EXPECT_EQ(PlatformGet(key::Shape), "1");
}

TEST_F(ProfileInterop, TheProjectReadsWhatThePlatformWrote) {
    PlatformPut(key::BgmKind, " 1");
    PlatformPut(key::BgmRepeat, " 3");
    PlatformPut(key::PictureSize, " 300");
    PlatformPut(key::ColorInterval, " 5");
    PlatformPut(key::Gradation, " 0");
    PlatformPut(key::BackColor, " 255");
    PlatformPut(key::Shape, " 1");
    ScratchPort port(folder_);
    Settings s;
    Load_ini_File(s, port);
    EXPECT_EQ(s.BgmKind, 1);
    EXPECT_EQ(s.BgmRepeat, 3);
    EXPECT_EQ(s.PictureSize, 256);  // bounded on a 1024-pixel screen
    EXPECT_EQ(s.ColorInterval, 5);
    EXPECT_EQ(s.Gradation, 0);
    EXPECT_EQ(s.BackColor, 255);
    EXPECT_EQ(s.Shape, 1);
}

TEST_F(ProfileInterop, BothKeepEachOthersLines) {
    PlatformPut("Other", "kept");
    ASSERT_TRUE(WritePrivateProfileStringA("Mine", "x", "1", ansiPath_.c_str()));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ansiPath_.c_str());
    ScratchPort port(folder_);
    Settings s;
    Load_ini_File(s, port);
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, port));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ansiPath_.c_str());
    EXPECT_EQ(PlatformGet("Other"), "kept");
    char buffer[16] = {};
    GetPrivateProfileStringA("Mine", "x", "", buffer, 16, ansiPath_.c_str());
    EXPECT_STREQ(buffer, "1");
    // And the platform's edit of one key leaves the project's others readable.
    PlatformPut(key::Shape, " 1");
    Settings again;
    Load_ini_File(again, port);
    EXPECT_EQ(again.Shape, 1);
    EXPECT_EQ(again.ColorInterval, 15);
    EXPECT_EQ(again.PictureSize, 214);
}

TEST_F(ProfileInterop, AFailedSaveLeavesTheOldFileByteForByte) {
    ScratchPort port(folder_);
    Settings s;
    Load_ini_File(s, port);
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, port));
    const std::string before = FileBytes();

    // A folder that cannot take the temporary file.
    ScratchPort nowhere(folder_ + "\\missing");
    EXPECT_FALSE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, nowhere));

    // A settings file held open without sharing cannot be replaced.
    HANDLE lock = CreateFileW((folderW_ + L"\\Lumvex_K47.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    s.Shape = 1;
    bool saved = Set_ini_File(s, DialogValues{"", 200, 15, 0}, port);
    CloseHandle(lock);
    EXPECT_FALSE(saved);
    EXPECT_EQ(FileBytes(), before);

    // No temporary file is left behind.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folderW_ + L"\\*.tmp*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(ProfileInterop, MusicFileCheckUsesTheRealFileSystem) {
    ScratchPort port(folder_);
    const std::wstring music = folderW_ + L"\\\u66F2 a.mp3";  // 曲 a.mp3
    HANDLE h = CreateFileW(music.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    std::string musicBytes;
    ASSERT_TRUE(WideToCp932(music, musicBytes));
    EXPECT_EQ(File_Exists(musicBytes, port), kTrue);
    EXPECT_EQ(File_Exists(musicBytes + "\\", port), kTrue);
    EXPECT_EQ(File_Exists(folder_, port), kFalse);  // a folder is no music file
    EXPECT_EQ(File_Exists(folder_ + "\\none.mp3", port), kFalse);
    DeleteFileW(music.c_str());
}

}  // namespace
}  // namespace lvx::win32
