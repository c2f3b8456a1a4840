#include "sound/win32/sound_ports_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "common/win32/text_win32.h"
#include "sound/sound_02.h"
#include "sound_media.h"

namespace lvx::win32 {
namespace {

using namespace std::chrono_literals;

// The generated media folder as Windows sees it (drive Z: is the root).
std::wstring MediaPath(const wchar_t* name) {
    std::wstring path = L"Z:" + Utf8ToWide(LVX_SOUND_MEDIA_DIR) + L"/" + name;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::string Cp932Path(const wchar_t* name) {
    std::string bytes;
    EXPECT_TRUE(WideToCp932(MediaPath(name), bytes));
    return bytes;
}

template <class Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (pred()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return pred();
}

class Win32Sound : public ::testing::Test {
protected:
    Settings settings;
    Win32MciPort mci;
    Win32WavePort wave;
    Sound_02 sound{settings, mci, wave};
};

TEST_F(Win32Sound, EnvironmentHasOneWaveDeviceAndTheMedia) {
    EXPECT_EQ(wave.OutputDeviceCount(), 1u);
    EXPECT_NE(GetFileAttributesW(MediaPath(L"短い 音.mp3").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(MediaPath(L"短い 音.wav").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Win32Sound, FailedCommandsCarryThePlatformsErrorText) {
    std::string result;
    int32_t code = sound.Send_MCI("status NoSuchAlias mode", result);
    EXPECT_NE(code, 0);
    EXPECT_EQ(ApiResult, code);
    EXPECT_FALSE(result.empty());
    EXPECT_NE(result, kNoErrorText);
    EXPECT_EQ(sound.MCI_Status("status NoSuchAlias mode"), "Error:" + std::to_string(code));

    std::string text;
    EXPECT_FALSE(mci.ErrorText(1, text, kErrorBufferLength));  // no MCI error has code 1
}

TEST_F(Win32Sound, NoCdDriveTurnsThePollOff) {
    sound.Open_CD();
    EXPECT_NE(ApiResult, 0);
    EXPECT_FALSE(sound.Timer2_Timer());
    EXPECT_EQ(sound.CdPollOk, kFalse);
    EXPECT_TRUE(HasErrorMark(sound.MCI_Status("status cdaudio current track")));
    sound.Close_CD();
}

TEST_F(Win32Sound, Mp3WithBlanksAndJapaneseInItsPathPlaysAndLoops) {
    settings.BgmFile = Cp932Path(L"短い 音.mp3");
    sound.Play_MP3();
    ASSERT_TRUE(WaitFor([&] { return sound.Is_MP3_Playing() == kTrue; }, 2000ms));

    for (int cycle = 0; cycle < 2; ++cycle) {
        sound.Timer1_Timer();  // playing: left alone
        ASSERT_TRUE(WaitFor([&] { return sound.Is_MP3_Playing() == kFalse; }, 4000ms)) << "cycle " << cycle;
        EXPECT_EQ(sound.MCI_Status("status MP3Play mode"), "stopped");
        sound.Timer1_Timer();
        EXPECT_EQ(sound.Is_MP3_Playing(), kTrue) << "cycle " << cycle;
        std::string position = sound.MCI_Status("status MP3Play position");
        EXPECT_LT(std::stoi(position), 500) << position;  // played again from the start
    }

    sound.Stop_MP3();
    EXPECT_TRUE(HasErrorMark(sound.MCI_Status("status MP3Play mode")));
}

TEST_F(Win32Sound, Mp3ThatDoesNotExistNeverPlays) {
    settings.BgmFile = Cp932Path(L"無い 曲.mp3");
    sound.Play_MP3();
    sound.Timer1_Timer();
    EXPECT_EQ(sound.Is_MP3_Playing(), kFalse);
    EXPECT_TRUE(HasErrorMark(sound.MCI_Status("status MP3Play mode")));
}

// A sound started with "no stop" is refused while another sound of this
// process plays: that tells whether the loop is still going.
bool SomethingPlays() {
    Win32WavePort wave;
    if (!wave.PlayFile(Cp932Path(L"短い 音.wav"), SND_ASYNC | SND_NOSTOP | SND_FILENAME | SND_NODEFAULT)) return true;
    wave.StopSound();
    return false;
}

TEST_F(Win32Sound, WavWithBlanksAndJapaneseInItsPathLoopsUntilStopped) {
    // Played to its end, the file is found and understood.
    settings.BgmFile = Cp932Path(L"短い 音.wav");
    EXPECT_EQ(wave.PlayFile(settings.BgmFile, SND_SYNC | SND_FILENAME | SND_NODEFAULT), 1);
    EXPECT_FALSE(SomethingPlays());

    sound.Play_WAV();
    EXPECT_EQ(ApiResult, 1);
    std::this_thread::sleep_for(1500ms);  // longer than the file
    EXPECT_TRUE(SomethingPlays());
    sound.Stop_WAV();
    EXPECT_EQ(ApiResult, 1);
    EXPECT_FALSE(SomethingPlays());
}

// The system's default sound, set for the test to the generated tone: what
// the platform may play instead of a sound it cannot find, unless told not to.
class DefaultSound {
public:
    DefaultSound() {
        std::wstring path = MediaPath(L"短い 音.wav");
        std::vector<wchar_t> shortPath(GetShortPathNameW(path.c_str(), nullptr, 0));
        DWORD n = GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
        WriteProfileStringW(L"Sounds", L"Default", std::wstring(shortPath.data(), n).c_str());
    }
    ~DefaultSound() { WriteProfileStringW(L"Sounds", L"Default", nullptr); }
};

TEST_F(Win32Sound, WavThatCannotBePlayedStaysSilent) {
    DefaultSound defaultSound;
    settings.BgmFile = Cp932Path(L"無い 音.wav");
    EXPECT_EQ(wave.PlayFile(settings.BgmFile, SND_SYNC | SND_FILENAME | SND_NODEFAULT), 0);

    // With only "asynchronous" and "loop", the default sound loops in its place.
    wave.PlayFile(settings.BgmFile, SND_ASYNC | SND_LOOP);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(SomethingPlays());
    wave.StopSound();

    sound.Play_WAV();
    EXPECT_EQ(ApiResult, 1);  // accepted: an asynchronous sound is looked for later
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(SomethingPlays());
    sound.Stop_WAV();
}

}  // namespace
}  // namespace lvx::win32
