#include "dialog/win32/lvx_p_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/win32/text_win32.h"
#include "resources/english_table.h"
#include "resources/win32/dialog_art_win32.h"

namespace lvx::win32 {
namespace {

// A scratch folder with files, removed at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"lvx_dialog_" + std::to_wstring(GetTickCount64());
        CreateDirectoryW(root_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            if (!DeleteFileW(it->c_str())) RemoveDirectoryW(it->c_str());
        }
        RemoveDirectoryW(root_.c_str());
    }
    std::wstring Folder(const std::wstring& name) {
        std::wstring path = root_ + L"\\" + name;
        CreateDirectoryW(path.c_str(), nullptr);
        made_.push_back(path);
        return path;
    }
    std::wstring File(const std::wstring& name) {
        std::wstring path = root_ + L"\\" + name;
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        made_.push_back(path);
        return path;
    }
    const std::wstring& Root() const { return root_; }

private:
    std::wstring root_;
    std::vector<std::wstring> made_;
};

// The identity of the file a path opens.
std::wstring FileId(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return L"";
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return std::to_wstring(info.nFileIndexHigh) + L":" + std::to_wstring(info.nFileIndexLow);
}

TEST(DialogChoosers, MusicFileRequestHasTheFilterTitleAndLimit) {
    wchar_t file[256] = {};
    wchar_t title[256] = {};
    const OPENFILENAMEW request = MusicFileRequest(nullptr, file, title);
    // The record of the same version as on 32-bit Windows, at this platform's size.
    EXPECT_EQ(request.lStructSize, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400W));
    EXPECT_LT(request.lStructSize, sizeof(OPENFILENAMEW));
    // Description and pattern, each ended by a NUL, and the NUL that ends the list.
    const std::wstring filter(request.lpstrFilter, 31);
    EXPECT_EQ(WideToUtf8(filter), std::string("BGMﾌｧｲﾙ (MP3 WAV)") + '\0' + "*.MP3;*.WAV" + '\0' + '\0');
    EXPECT_EQ(WideToUtf8(request.lpstrTitle), "ﾌｧｲﾙを開く");
    EXPECT_EQ(request.lpstrFile, file);
    EXPECT_EQ(request.nMaxFile, 255u);
    EXPECT_EQ(request.lpstrFileTitle, title);
    EXPECT_EQ(request.nMaxFileTitle, 255u);
    EXPECT_EQ(request.lpstrCustomFilter, nullptr);
    EXPECT_EQ(request.nFilterIndex, 0u);
    EXPECT_EQ(request.lpstrInitialDir, nullptr);
    EXPECT_EQ(request.Flags, 0u);
}

// The file chooser's texts live only here: the table of English meanings
// (checked against the portable texts by the native tests) must hold them.
TEST(DialogChoosers, TheEnglishTableHoldsTheChoosersTexts) {
    const auto table = test::ReadEnglishTable(LVX_ENGLISH_TABLE);
    wchar_t file[256] = {};
    wchar_t title[256] = {};
    const OPENFILENAMEW request = MusicFileRequest(nullptr, file, title);
    EXPECT_EQ(table.at("ChooseMusicFile.Title").japanese, WideToUtf8(request.lpstrTitle));
    EXPECT_EQ(table.at("ChooseMusicFile.Filter").japanese, WideToUtf8(request.lpstrFilter));  // to the first NUL
}

TEST(DialogChoosers, ChosenPathsThatCodePage932CannotHoldUseTheirShortForm) {
    ScratchFolder scratch;
    const std::wstring plain = scratch.File(L"song.mp3");
    const std::wstring japanese = scratch.File(L"\u66F2\u540D.mp3");                  // 曲名.mp3
    const std::wstring foreign = scratch.File(L"caf\u00E9 \u266B music.mp3");         // café ♫ music.mp3
    // Each of these has a look-alike in code page 932 ("e", "\\") that is another name.
    const std::wstring accent = scratch.File(L"caf\u00E9.mp3");                        // café.mp3
    const std::wstring yen = scratch.File(L"\u00A5100.mp3");                           // ¥100.mp3
    // A path short enough for the chooser but longer than 255 bytes in code page 932.
    std::wstring deep = L"";
    for (int i = 0; i < 5; ++i) deep += std::wstring(i ? L"\\" : L"") + std::wstring(28, L'\u97F3');  // 音...
    std::wstring folder;
    for (size_t start = 0;;) {
        size_t end = deep.find(L'\\', start);
        folder = scratch.Folder(deep.substr(0, end));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    const std::wstring longOne = scratch.File(deep + L"\\a.mp3");
    ASSERT_LT(longOne.size(), 255u);

    struct Row {
        std::wstring path;
        bool full, shortForm;
    };
    const Row rows[] = {{plain, true, false}, {japanese, true, false}, {foreign, false, true},
                       {accent, false, true},  {yen, false, true},       {longOne, true, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(WideToUtf8(r.path));
        const dialog::ChosenFile chosen = ChosenFileFromPath(r.path);
        ASSERT_EQ(chosen.path.has_value(), r.full);
        if (r.full) {
            EXPECT_EQ(Cp932ToWide(*chosen.path), r.path);
        }
        ASSERT_EQ(chosen.shortPath.has_value(), r.shortForm);
        if (r.shortForm) {
            EXPECT_LE(chosen.shortPath->size(), 255u);
            EXPECT_EQ(FileId(Cp932ToWide(*chosen.shortPath)), FileId(r.path));
        }
        // What the dialog stores reads back as the same file.
        const std::optional<std::string> stored = dialog::MusicPathToStore(chosen);
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(FileId(Cp932ToWide(*stored)), FileId(r.path));
    }
}

TEST(DialogArtWin32, HandCursorAndWindowIcon) {
    struct Row {
        int32_t dpi, size, hotX, hotY;
    };
    for (const Row& r : {Row{96, 32, 12, 1}, Row{192, 64, 24, 2}}) {
        HCURSOR hand = MakeHandCursor(r.dpi);
        ASSERT_NE(hand, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(hand, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, static_cast<DWORD>(r.hotX));
        EXPECT_EQ(info.yHotspot, static_cast<DWORD>(r.hotY));
        BITMAP mask{};
        GetObjectW(info.hbmMask, sizeof(mask), &mask);
        EXPECT_EQ(mask.bmWidth, r.size);
        DeleteObject(info.hbmMask);
        if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
        DestroyCursor(hand);
    }
    HICON icon = MakeWindowIcon(32);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    BITMAP colour{};
    ASSERT_NE(info.hbmColor, nullptr);
    GetObjectW(info.hbmColor, sizeof(colour), &colour);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);
}

TEST(DialogArtWin32, BlendingLeavesTheTextureUnderClearPixels) {
    DibSurface surface(4, 1);
    ASSERT_TRUE(surface.Ok());
    for (int i = 0; i < 4; ++i) surface.Bits()[i] = 0x00808080;
    art::Image picture(3, 1);
    picture.At(0, 0) = art::Argb(0, 255, 0, 0);      // clear
    picture.At(1, 0) = art::Argb(255, 255, 0, 0);    // opaque red
    picture.At(2, 0) = art::Argb(128, 0, 0, 255);    // half blue
    BlendImage(surface, picture, 1, 0);
    EXPECT_EQ(surface.Bits()[0], 0x00808080u);
    EXPECT_EQ(surface.Bits()[1], 0x00808080u);
    EXPECT_EQ(surface.Bits()[2], 0x00FF0000u);
    EXPECT_EQ(surface.Bits()[3], 0x004040C0u);
    // Clipped at the edges: nothing outside the surface is touched.
    BlendImage(surface, picture, 3, 0);
    BlendImage(surface, picture, -2, 0);
    EXPECT_EQ(surface.Bits()[0], 0x004040C0u);
    EXPECT_EQ(surface.Bits()[3], 0x004040C0u);
}

}  // namespace
}  // namespace lvx::win32
