#include "settings/win32/settings_port_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/win32/text_win32.h"

namespace lvx::win32 {
namespace {

TEST(Win32SettingsPort, ProgramFolderHoldsTheRunningProgram) {
    Win32SettingsPort port;
    std::string folder = port.ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    DWORD attributes = GetFileAttributesW(Cp932ToWide(folder).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder whose name code page 932 holds only as a look-alike ("Jose",
// "\\100") is given by its short form, which names the same folder, or not
// at all; never by the look-alike.
TEST(Win32SettingsPort, FolderNamesOutsideCodePage932AreNeverLookAlikes) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    struct Row {
        const wchar_t* name;
        bool exact;
    };
    for (const Row& r : {Row{L"lvx-Jos\u00E9", false}, Row{L"lvx-\u00A5100", false}, Row{L"lvx-\u66F2", true}}) {
        const std::wstring folder = std::wstring(temp) + r.name;
        CreateDirectoryW(folder.c_str(), nullptr);
        std::string plain;
        EXPECT_EQ(WideToCp932(folder, plain), r.exact);
        const std::string bytes = PathToCp932(folder);
        SCOPED_TRACE(WideToUtf8(folder) + " -> " + bytes);
        if (!bytes.empty()) {
            wchar_t named[MAX_PATH] = {}, made[MAX_PATH] = {};
            ASSERT_GT(GetLongPathNameW(Cp932ToWide(bytes).c_str(), named, MAX_PATH), 0u);
            ASSERT_GT(GetLongPathNameW(folder.c_str(), made, MAX_PATH), 0u);
            EXPECT_EQ(CompareStringOrdinal(named, -1, made, -1, TRUE), CSTR_EQUAL);
        }
        RemoveDirectoryW(folder.c_str());
    }
}

}  // namespace
}  // namespace lvx::win32
