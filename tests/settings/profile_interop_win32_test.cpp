// The project's settings file code against the platform's own profile
// functions: what one writes, the other must read.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "settings/win32/settings_port_win32.h"
#include "common/win32/text_win32.h"
#include "settings/odd_lines.h"

namespace lvx::win32 {
namespace {

// The real file calls, with the program folder (and the user's data folder,
// none unless given) moved to scratch folders.
class ScratchPort : public Win32SettingsPort {
public:
    explicit ScratchPort(std::string folder, std::string userFolder = {})
        : folder_(std::move(folder)), user_(std::move(userFolder)) {}
    std::string ProgramFolder() override { return folder_; }
    std::string UserDataFolder() override { return user_; }

private:
    std::string folder_, user_;
};

int64_t Field(const Settings& s, std::string_view k) {
    if (k == key::BgmKind) return s.BgmKind;
    if (k == key::BgmRepeat) return s.BgmRepeat;
    if (k == key::PictureSize) return s.PictureSize;
    if (k == key::SizeRandom) return s.SizeRandom;
    if (k == key::ColorInterval) return s.ColorInterval;
    if (k == key::Gradation) return s.Gradation;
    if (k == key::BackColorRandom) return s.BackColorRandom;
    if (k == key::BackColor) return s.BackColor;
    if (k == key::Shape) return s.Shape;
    return INT64_MIN;
}

// Ten distinct values, so that a field read from or written under another
// field's key cannot pass; the music path holds characters whose lead bytes
// are 9F and FA-FC with the trail byte 5C (歃, 纊, 犾), and 髙 and 﨑.
struct Ten {
    std::string_view key;
    std::string text;  // the value as the platform returns it
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
    void TearDown() override { RemoveTree(folderW_); }

    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring path = folder + L"\\" + name;
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(path);
                } else {
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
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
        FileContent f = port.ReadFile(path_);
        return f.status == FileContent::Status::Read ? f.bytes : "<missing>";
    }
    // A file in the scratch folder, made from bytes.
    void MakeFile(const std::wstring& name, const std::string& bytes) {
        HANDLE h = CreateFileW((folderW_ + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        CloseHandle(h);
    }
    // The folder as the platform's A functions can take it.
    std::string AnsiFolder() const { return ansiPath_.substr(0, ansiPath_.rfind('\\')); }
    std::string MusicPath() {
        std::string music = folder_ + "\\\x9F\x5C\xFA\x5C\xFB\x5C \xFB\xFC\xFA\xB1.mp3";
        MakeFile(Cp932ToWide(music.substr(folder_.size() + 1)), "ID3");
        return music;
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

std::vector<Ten> TenValues(const std::string& music) {
    return {{key::BgmKind, "2"},        {key::BgmRepeat, "13"}, {key::BgmFile, music},
            {key::PictureSize, "201"},  {key::SizeRandom, "1"}, {key::ColorInterval, "37"},
            {key::Gradation, "3"},      {key::BackColorRandom, "0"}, {key::BackColor, "10597059"},
            {key::Shape, "-4"}};
}

TEST_F(ProfileInterop, ThePlatformReadsWhatTheProjectWrote) {
    ScratchPort port(folder_);
    const std::string music = MusicPath();
    Settings s;
    s.BgmKind = 2;
    s.BgmFile = music;
    s.SizeRandom = 1;
    s.Gradation = 3;
    s.BackColorRandom = 0;
    s.Shape = -4;
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"13", 201, 37, 10597059}, port));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ansiPath_.c_str());
    for (const Ten& t : TenValues(music)) EXPECT_EQ(PlatformGet(t.key), t.text) << t.key;
}

TEST_F(ProfileInterop, TheProjectReadsWhatThePlatformWrote) {
    const std::string music = MusicPath();
    for (const Ten& t : TenValues(music)) PlatformPut(t.key, (t.key == key::BgmFile ? t.text : " " + t.text).c_str());
    ScratchPort port(folder_);
    Settings s;
    Load_ini_File(s, port);
    for (const Ten& t : TenValues(music)) {
        if (t.key == key::BgmFile) {
            EXPECT_EQ(s.BgmFile, music);
        } else {
            EXPECT_EQ(Field(s, t.key), std::stoll(t.text)) << t.key;
        }
    }
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
    const std::wstring pathW = folderW_ + L"\\Lumvex_K47.ini";
    ScratchPort port(folder_, folder_ + "\\user");  // the user folder does not exist: no copy can be made
    Settings s;
    Load_ini_File(s, port);
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, port));
    const std::string before = FileBytes();
    s.Shape = 1;
    SaveFailure why = SaveFailure::None;

    // A folder that cannot take the temporary file.
    ScratchPort nowhere(folder_ + "\\missing");
    EXPECT_FALSE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, nowhere, &why));
    EXPECT_EQ(why, SaveFailure::CannotWrite);

    // Open elsewhere, readable but not replaceable.
    HANDLE lock = CreateFileW(pathW.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(port.ReadFile(path_).status, FileContent::Status::Read);
    EXPECT_FALSE(Set_ini_File(s, DialogValues{"", 200, 15, 0}, port, &why));
    EXPECT_EQ(why, SaveFailure::CannotWrite);
    CloseHandle(lock);

    // Open elsewhere without sharing: there, but unreadable, so never replaced.
    lock = CreateFileW(pathW.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(port.ReadFile(path_).status, FileContent::Status::Unreadable);
    EXPECT_FALSE(Set_ini_File(s, DialogValues{"", 200, 15, 0}, port, &why));
    EXPECT_EQ(why, SaveFailure::CannotRead);
    CloseHandle(lock);

    // The read-only mark holds, even for a process that could write anyway.
    ASSERT_TRUE(SetFileAttributesW(pathW.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Set_ini_File(s, DialogValues{"", 200, 15, 0}, port, &why));
    EXPECT_EQ(why, SaveFailure::ReadOnlyFile);
    SetFileAttributesW(pathW.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(FileBytes(), before);

    // No temporary file is left behind; a missing folder reads as missing, a folder as unreadable.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folderW_ + L"\\*.tmp*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    EXPECT_EQ(port.ReadFile(folder_ + "\\none\\x.ini").status, FileContent::Status::Missing);
    EXPECT_EQ(port.ReadFile(folder_).status, FileContent::Status::Unreadable);
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


// ---- Odd files: the project reads what the platform reads

TEST_F(ProfileInterop, OddLinesReadAsThePlatformReadsThem) {
    ScratchPort port(folder_);
    int n = 0;
    for (const testing::OddLine& r : testing::OddLines()) {
        if (r.windowsOnly || (r.cp932Only && GetACP() != 932)) continue;
        SCOPED_TRACE(r.what);
        const std::wstring name = L"odd" + std::to_wstring(n++) + L".ini";
        MakeFile(name, r.file);
        const std::string path = folder_ + "\\" + WideToAnsi(name);
        char buffer[256] = {};
        GetPrivateProfileStringA(r.section.c_str(), r.key.c_str(), "", buffer, 256,
                                 (AnsiFolder() + "\\" + WideToAnsi(name)).c_str());
        EXPECT_EQ(std::string(buffer), r.value.value_or("")) << "the platform";
        EXPECT_EQ(Get_ini_String(r.section, r.key, path, port), r.value.value_or("")) << "the project";
    }
}

// Random files built from the pieces that lines are made of, read by both.
// Double-byte pieces only where the system code page is 932: elsewhere the
// platform reads their bytes as two characters of its own code page.
TEST_F(ProfileInterop, RandomOddFilesReadAlike) {
    std::vector<std::string> pieces = {"[", "]", "Section", "sEcTiOn", "k", "K", "=", " ", "\t", "\v", "\f",
                                       "\x1A", std::string(1, '\0'), "\r\n", "\n", "\r", "1", "\"", "'", ";",
                                       "x", "[Section]\r\n", "k=", "\r\n[Section]", " 25 "};
    if (GetACP() == 932) {
        for (const char* dbcs : {"\x93\x5D", "\x83\x5C", "\x81\x40", "\x9F\x5D", "\xFB\x5D", "\x8B\xC8"}) {
            pieces.push_back(dbcs);
        }
    }
    ScratchPort port(folder_);
    uint32_t seed = 20240611;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int differences = 0;
    for (int i = 0; i < 400 && differences < 5; ++i) {
        std::string file;
        for (uint32_t count = 1 + next() % 30; count > 0; --count) file += pieces[next() % pieces.size()];
        const std::wstring name = L"random" + std::to_wstring(i) + L".ini";
        MakeFile(name, file);
        char buffer[256] = {};
        GetPrivateProfileStringA("Section", "k", "", buffer, 256,
                                 (AnsiFolder() + "\\" + WideToAnsi(name)).c_str());
        std::string project = Get_ini_String("Section", "k", folder_ + "\\" + WideToAnsi(name), port);
        if (project != buffer) {
            ++differences;
            std::string shown;
            for (unsigned char c : file) {
                char hex[8];
                std::snprintf(hex, sizeof hex, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
                shown += hex;
            }
            ADD_FAILURE() << "file [" << shown << "]: platform [" << buffer << "], project [" << project << "]";
        }
        DeleteFileW((folderW_ + L"\\" + name).c_str());
    }
}

// ---- Files in UTF-16: the platform's wide functions are the reference

TEST_F(ProfileInterop, AUtf16FileStaysUtf16AndBothReadIt) {
    const std::wstring pathW = folderW_ + L"\\Lumvex_K47.ini";
    MakeFile(L"Lumvex_K47.ini", "\xFF\xFE");
    // The platform writes into a file that holds only the mark in UTF-16.
    ASSERT_TRUE(WritePrivateProfileStringW(L"Other", L"name", L"\uD55C\u66F2", pathW.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Section", L"\u8272\u306E\u8EE2\u63DB", L" 33", pathW.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Section", L"\u5F62\u72B6", L" 1", pathW.c_str()));
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, pathW.c_str());
    const std::string before = FileBytes();
    ASSERT_EQ(before.substr(0, 2), "\xFF\xFE");

    ScratchPort port(folder_);
    Settings s;
    Load_ini_File(s, port);
    EXPECT_EQ(s.ColorInterval, 33);
    EXPECT_EQ(s.Shape, 1);
    const std::string music = MusicPath();
    s.BgmKind = 2;
    s.BgmFile = music;
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"4", 180, 50, 255}, port));
    const std::string after = FileBytes();
    EXPECT_EQ(after.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(after.find(std::string(key::Shape)), std::string::npos) << "no code-page-932 line";

    auto get = [&](const wchar_t* section, const wchar_t* k) {
        wchar_t buffer[256] = {};
        GetPrivateProfileStringW(section, k, L"", buffer, 256, pathW.c_str());
        return std::wstring(buffer);
    };
    EXPECT_EQ(get(L"Other", L"name"), L"\uD55C\u66F2");
    EXPECT_EQ(get(L"Section", L"\u8272\u306E\u8EE2\u63DB"), L"50");
    EXPECT_EQ(get(L"Section", L"BGM\u533A\u5206"), L"2");
    EXPECT_EQ(get(L"Section", L"BGM\uFF98\uFF8B\uFF9F\uFF70\uFF84"), L"4");
    EXPECT_EQ(get(L"Section", L"\u80CC\u666F\u8272"), L"255");
    EXPECT_EQ(get(L"Section", L"BGM\uFF8C\uFF67\uFF72\uFF99"), Cp932ToWide(music));
    Settings back;
    Load_ini_File(back, port);
    EXPECT_EQ(back.BgmFile, music);
    EXPECT_EQ(back.BgmRepeat, 4);
}

// ---- What a save refuses, and where it goes when the program's folder is shut

TEST_F(ProfileInterop, AFileTooLargeForTheOldLimitIsKeptWhole) {
    // 17 MB holding another section: read to its end, and a save keeps it.
    std::string big = "[Other]\r\n";
    while (big.size() < 17u * 1024 * 1024) big += "line=" + std::string(90, 'x') + "\r\n";
    big += "last=1\r\n";
    MakeFile(L"Lumvex_K47.ini", big);
    ScratchPort port(folder_);
    Settings s;
    Load_ini_File(s, port);
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, port));
    const std::string after = FileBytes();
    EXPECT_EQ(after.substr(0, big.size()), big);
    EXPECT_NE(after.find(std::string(key::Shape) + "= 0\r\n", big.size()), std::string::npos);
}

TEST_F(ProfileInterop, AProgramFolderThatCannotBeWrittenSendsTheSaveToTheUsersCopy) {
    const std::string user = folder_ + "\\Roaming";
    CreateDirectoryW((folderW_ + L"\\Roaming").c_str(), nullptr);
    // The program's folder does not exist: nothing can be written there.
    ScratchPort port(folder_ + "\\shut", user);
    Settings s;
    Load_ini_File(s, port);
    s.Gradation = 0;
    SaveFailure why = SaveFailure::CannotWrite;
    ASSERT_TRUE(Set_ini_File(s, DialogValues{"", 214, 42, 0}, port, &why));
    EXPECT_EQ(why, SaveFailure::None);
    const std::string copy = user + "\\Lumvex_K47\\Lumvex_K47.ini";
    EXPECT_EQ(SettingsFilePath(port), copy);
    // The platform finds the keys there, and the next load reads them.
    char buffer[16] = {};
    GetPrivateProfileStringA("Section", std::string(key::ColorInterval).c_str(), "", buffer, 16,
                             (AnsiFolder() + "\\Roaming\\Lumvex_K47\\Lumvex_K47.ini").c_str());
    EXPECT_STREQ(buffer, "42");
    Settings back;
    Load_ini_File(back, port);
    EXPECT_EQ(back.ColorInterval, 42);
    EXPECT_EQ(back.Gradation, 0);

    // With no user folder either, the save fails and says so.
    ScratchPort nowhere(folder_ + "\\shut", folder_ + "\\gone");
    EXPECT_FALSE(Set_ini_File(s, DialogValues{"", 214, 15, 0}, nowhere, &why));
    EXPECT_EQ(why, SaveFailure::CannotWrite);
}

TEST(Win32SettingsPortFolders, TheUsersDataFolderIsTheApplicationDataFolder) {
    Win32SettingsPort port;
    std::string folder = port.UserDataFolder();
    ASSERT_FALSE(folder.empty());
    DWORD attributes = GetFileAttributesW(Cp932ToWide(folder).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    wchar_t appData[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH), 0u);
    EXPECT_EQ(lstrcmpiW(Cp932ToWide(folder).c_str(), appData), 0);
}

}  // namespace
}  // namespace lvx::win32
