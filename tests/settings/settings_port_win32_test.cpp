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

}  // namespace
}  // namespace lvx::win32
