#include "app/win32/app_port_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/win32/text_win32.h"

namespace lvx::win32 {
namespace {

HWND CaptionedWindow(std::string_view caption) {
    return CreateWindowExW(0, L"STATIC", Utf8ToWide(caption).c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

TEST(Win32AppPort, GuardFindsBothCaptionsExactly) {
    Win32AppPort port;
    EXPECT_FALSE(port.FindWindowByCaption(kDialogCaption));
    EXPECT_FALSE(port.FindWindowByCaption(kSaverCaption));
    HWND dialog = CaptionedWindow(kDialogCaption);
    HWND other = CaptionedWindow("Lumvex_K47_Main ");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(port.FindWindowByCaption(kDialogCaption));
    EXPECT_FALSE(port.FindWindowByCaption(kSaverCaption));
    HWND saver = CaptionedWindow(kSaverCaption);
    EXPECT_TRUE(port.FindWindowByCaption(kSaverCaption));
    DestroyWindow(dialog);
    DestroyWindow(saver);
    DestroyWindow(other);
    EXPECT_FALSE(port.FindWindowByCaption(kDialogCaption));
}

TEST(Win32AppPort, ThePlatformIsOfTheNtFamily) {
    Win32AppPort port;
    int32_t platformId = 0;
    EXPECT_EQ(port.QueryVersion(148, platformId), 1);
    EXPECT_EQ(platformId, 2);
    EXPECT_EQ(Is_WinNT(port), kTrue);
    // A record size the call does not know is refused.
    EXPECT_EQ(port.QueryVersion(10, platformId), 0);
}

TEST(Win32AppPort, ScreenSaverRunningFlagCanBeSetAndCleared) {
    Win32AppPort port;
    EXPECT_EQ(port.SetSystemParameter(97, -1), 1);
    EXPECT_EQ(port.SetSystemParameter(97, 0), 1);
}

TEST(Win32AppPort, WindowNumbersAreSignExtendedHandles) {
    EXPECT_EQ(reinterpret_cast<intptr_t>(WindowFromNumber(4711)), 4711);
    EXPECT_EQ(reinterpret_cast<intptr_t>(WindowFromNumber(-2)), -2);
}

}  // namespace
}  // namespace lvx::win32
