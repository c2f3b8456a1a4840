// The sound module: a thin layer over MCI command strings, and the background
// music built on it (a looping MP3 or WAV file, or an audio CD that may repeat
// one track). The saver window owns one Sound_02, calls Open_CD / Play_WAV /
// Play_MP3 when it starts, Timer1_Timer and Timer2_Timer from its timers,
// Prev_Track / Next_Track on the arrow keys, and Close_CD (only while Timer2
// is still enabled) / Stop_WAV / Stop_MP3 when it ends; FileMusicKind tells
// WAV from MP3. Texts are code-page-932 bytes (see sound_ports.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings.h"
#include "sound/sound_ports.h"

namespace lvx {

// Texts the MCI layer hands back, in code page 932.
// "コマンド文字列が指定されていません": no command string given.
inline constexpr std::string_view kNoCommandText =
    "\x83\x52\x83\x7d\x83\x93\x83\x68\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x8e\x77\x92\xe8\x82\xb3\x82\xea"
    "\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1";
// "Error (文字列が取れません)": the error has no text.
inline constexpr std::string_view kNoErrorText =
    "Error (\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x8e\xe6\x82\xea\x82\xdc\x82\xb9\x82\xf1)";

// Buffer sizes, in characters.
inline constexpr uint32_t kReturnBufferLength = 512;
inline constexpr uint32_t kErrorBufferLength = 256;
inline constexpr uint32_t kCdModeLength = 255;
inline constexpr uint32_t kMp3ModeLength = 30;

// Looping a WAV file. A file that cannot be played stays silent instead of
// repeating the system's default sound for as long as the saver runs.
inline constexpr uint32_t kWavLoopFlags = snd::kAsync | snd::kLoop | snd::kFilename | snd::kNoDefault;

// What kind of file BgmFile names, by its last three characters in upper case.
enum class MusicFile { Other, Wav, Mp3 };
MusicFile FileMusicKind(std::string_view bgmFile);

// False for a path that cannot name a file: one holding a double quote or a
// control character. Such a path is never handed to MCI or to the wave
// output, where a quote would end the quoted path and add command words.
bool CanNameFile(std::string_view path);

// The letters "ERR" in the text put in upper case: how a failed status is told.
bool HasErrorMark(std::string_view text);

class Sound_02 {
public:
    Sound_02(const Settings& settings, MciPort& mci, WavePort& wave);

    // MCI command layer.
    int32_t Send_MCI(const std::string& command, std::string& result);
    std::string MCI_Status(const std::string& command);
    int32_t MCI_Play(const std::string& device, const std::string& from, const std::string& to);

    // File music.
    void Play_WAV();
    void Stop_WAV();
    void Play_MP3();
    int16_t Is_MP3_Playing();
    void Loop_MP3();
    void Stop_MP3();

    // Audio CD.
    void Open_CD();
    void Poll_CD();
    void Next_Track();
    void Prev_Track();
    void Close_CD();

    // Bodies of the saver window's music timers. Timer2_Timer returns the
    // enabled state Timer2 must take.
    void Timer1_Timer();
    bool Timer2_Timer();

    // Result or error text of the last command sent by MCI_Status or MCI_Play.
    std::string MciResultText;
    // True (-1) while the CD polls meet no error.
    int16_t CdPollOk = kFalse;

private:
    // Commands sent without the MCI layer: into a buffer of length
    // characters, or with no buffer at all.
    int32_t SendDirect(const std::string& command, std::string& buffer, uint32_t length);
    int32_t SendDirect(const std::string& command);
    void StepTrack(int64_t step);

    const Settings& settings_;
    MciPort& mci_;
    WavePort& wave_;
    std::string mp3Mode_;
    std::string cdMode_;
};

}  // namespace lvx
