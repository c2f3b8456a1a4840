#include "sound/sound_02.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace lvx {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int32_t kNotOpen = 263;     // invalid device name
constexpr int32_t kNoFile = 277;      // file not found
constexpr int32_t kOutOfRange = 282;  // parameter out of range
constexpr int32_t kBadPosition = 293;

struct Call {
    std::string command;
    uint32_t length;
};

// A recording MCI with a small model of an audio-CD drive and of an MP3 alias.
// Scripted answers, when set for a command, win over the model.
class FakeMci : public MciPort {
public:
    struct Answer {
        int32_t code;
        std::string text;
    };

    int32_t SendString(const std::string& command, std::string& returned, uint32_t length) override {
        calls.push_back({command, length});
        Answer a = scripted.count(command) ? scripted[command] : Model(command);
        returned = length > 0 && a.code == 0 ? a.text : "";
        return a.code;
    }
    bool ErrorText(int32_t code, std::string& text, uint32_t length) override {
        errorLookups.push_back(length);
        if (code == 999) return false;
        text = "MCI error " + std::to_string(code);
        return true;
    }
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const Call& c : calls) out.push_back(c.command);
        return out;
    }

    // Drive.
    bool cdOpen = false, disc = true, cdPlaying = false;
    int tracks = 10, track = 1;
    // MP3 alias.
    std::string mp3File = "C:\\My Music\\a b.mp3";
    bool mp3Open = false, mp3Playing = false;

    std::vector<Call> calls;
    std::vector<uint32_t> errorLookups;
    std::map<std::string, Answer> scripted;

private:
    static bool Starts(const std::string& s, const std::string& p) { return s.rfind(p, 0) == 0; }

    Answer Model(const std::string& c) {
        if (c == "open cdaudio") return cdOpen = true, Answer{0, ""};
        if (c == "open \"" + mp3File + "\" type MPEGVideo Alias MP3Play") return mp3Open = true, Answer{0, ""};
        if (Starts(c, "open ")) return {kNoFile, ""};
        if (Starts(c, "play MP3Play") || Starts(c, "stop MP3Play") || Starts(c, "close MP3Play") ||
            c == "status MP3Play mode") {
            if (!mp3Open) return {kNotOpen, ""};
            if (Starts(c, "play")) mp3Playing = true;
            if (Starts(c, "stop") || Starts(c, "close")) mp3Playing = false;
            if (Starts(c, "close")) mp3Open = false;
            return {0, mp3Playing ? "playing" : "stopped"};
        }
        if (!cdOpen) return {kNotOpen, ""};
        if (c == "set cdaudio time format tmsf") return {0, ""};
        if (c == "close cdaudio") return cdOpen = false, Answer{0, ""};
        if (!disc) return {276, ""};
        if (c == "status cdaudio current track") return {0, std::to_string(track)};
        if (c == "status cdaudio number of tracks") return {0, std::to_string(tracks)};
        if (c == "status cdaudio mode") return {0, cdPlaying ? "playing" : "stopped"};
        if (c == "stop cdaudio") return cdPlaying = false, Answer{0, ""};
        if (c == "play cdaudio") return cdPlaying = true, Answer{0, ""};
        if (Starts(c, "status cdaudio position track ")) {
            int n = std::stoi(c.substr(30));
            if (n < 1 || n > tracks) return {kOutOfRange, ""};
            char pos[32];
            std::snprintf(pos, sizeof pos, "%02d:00:00:00", n);
            return {0, pos};
        }
        int n = 0;
        if (std::sscanf(c.c_str(), "play cdaudio from %d:00:00:00", &n) == 1 && n >= 1 && n <= tracks) {
            track = n;
            cdPlaying = true;
            return {0, ""};
        }
        return {kBadPosition, ""};
    }
};

class FakeWave : public WavePort {
public:
    uint32_t OutputDeviceCount() override { return devices; }
    int32_t PlayFile(const std::string& path, uint32_t flags) override {
        played.push_back(path + " flags=" + std::to_string(flags));
        return 1;
    }
    int32_t StopSound() override { return ++stops; }
    uint32_t devices = 1;
    int stops = 0;
    std::vector<std::string> played;
};

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override { ApiResult = 1234; }
    Settings settings;
    FakeMci mci;
    FakeWave wave;
    Sound_02 sound{settings, mci, wave};
};

std::string Utf8FromCp932(std::string_view bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    std::string in(bytes), out(bytes.size() * 3, '\0');
    char* src = in.data();
    char* dst = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    size_t r = iconv(cd, &src, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return "(invalid)";
    out.resize(out.size() - outLeft);
    return out;
}

// ---- MCI command layer

TEST_F(SoundTest, EmptyCommandMakesNoCallAndLeavesApiResult) {
    std::string result;
    EXPECT_EQ(sound.Send_MCI("", result), -1);
    EXPECT_EQ(Utf8FromCp932(result), "コマンド文字列が指定されていません");
    EXPECT_EQ(ApiResult, 1234);
    EXPECT_EQ(sound.MCI_Status(""), "Error:-1");
    EXPECT_EQ(ApiResult, -1);
    EXPECT_THAT(mci.calls, IsEmpty());
    EXPECT_EQ(Utf8FromCp932(kNoErrorText), "Error (文字列が取れません)");
}

TEST_F(SoundTest, SendReturnsTextOrErrorText) {
    std::string result;
    mci.cdOpen = true;
    mci.track = 7;
    EXPECT_EQ(sound.Send_MCI("status cdaudio current track", result), 0);
    EXPECT_EQ(result, "7");
    EXPECT_EQ(mci.calls.back().length, 512u);
    EXPECT_EQ(ApiResult, 0);

    EXPECT_EQ(sound.Send_MCI("status MP3Play mode", result), kNotOpen);
    EXPECT_EQ(result, "MCI error 263");
    EXPECT_THAT(mci.errorLookups, ElementsAre(256u));
    EXPECT_EQ(ApiResult, kNotOpen);

    mci.scripted["bogus"] = {999, ""};
    EXPECT_EQ(sound.Send_MCI("bogus", result), 999);
    EXPECT_EQ(result, kNoErrorText);

    EXPECT_EQ(sound.MCI_Status("bogus"), "Error:999");
    EXPECT_EQ(sound.MciResultText, kNoErrorText);
    EXPECT_TRUE(HasErrorMark(sound.MCI_Status("bogus")));
}

TEST_F(SoundTest, PlayJoinsItsPiecesExactly) {
    sound.MCI_Play("cdaudio", "", "");
    sound.MCI_Play("cdaudio", "03:00:00:00", "");
    sound.MCI_Play("cdaudio", "", "04");
    sound.MCI_Play("cdaudio", "Error:282", "05");
    EXPECT_THAT(mci.Commands(), ElementsAre("play cdaudio", "play cdaudio from 03:00:00:00", "play cdaudio to 04",
                                            "play cdaudio from Error:282 to 05"));
    EXPECT_EQ(sound.MciResultText, "MCI error 263");
}

TEST(SoundTexts, ErrorMarkAndFileKindReadWholeCharacters) {
    EXPECT_TRUE(HasErrorMark("Error:263"));
    EXPECT_TRUE(HasErrorMark("xerrx"));
    EXPECT_FALSE(HasErrorMark("3"));
    EXPECT_FALSE(HasErrorMark("\x83\x65rr"));  // a Japanese character ending in the byte 'e'
    EXPECT_TRUE(HasErrorMark("\x83\x65" "err"));

    EXPECT_EQ(FileMusicKind("C:\\My Music\\a b.Mp3"), MusicFile::Mp3);
    EXPECT_EQ(FileMusicKind("D:\\x.wav"), MusicFile::Wav);
    EXPECT_EQ(FileMusicKind("mp3"), MusicFile::Mp3);
    EXPECT_EQ(FileMusicKind("D:\\x.mid"), MusicFile::Other);
    EXPECT_EQ(FileMusicKind(""), MusicFile::Other);
    EXPECT_EQ(FileMusicKind("D:\\x\x83mp3"), MusicFile::Other);  // last three characters: "\x83m", "p", "3"
}

// ---- File music

TEST_F(SoundTest, Mp3OpensQuotedPathAndLoopsAfterItEnds) {
    settings.BgmFile = mci.mp3File;
    sound.Play_MP3();
    ASSERT_EQ(mci.calls.size(), 2u);
    EXPECT_EQ(mci.calls[0].command, "open \"C:\\My Music\\a b.mp3\" type MPEGVideo Alias MP3Play");
    EXPECT_EQ(mci.calls[1].command, "play MP3Play");
    EXPECT_EQ(mci.calls[0].length, 0u);

    mci.calls.clear();
    sound.Timer1_Timer();  // still playing: only the status
    ASSERT_EQ(mci.calls.size(), 1u);
    EXPECT_EQ(mci.calls[0].command, "status MP3Play mode");
    EXPECT_EQ(mci.calls[0].length, 30u);

    mci.mp3Playing = false;  // the file ends
    mci.calls.clear();
    sound.Timer1_Timer();
    EXPECT_THAT(mci.Commands(), ElementsAre("status MP3Play mode", "stop MP3Play", "play MP3Play from 0"));
    EXPECT_EQ(sound.Is_MP3_Playing(), kTrue);

    mci.calls.clear();
    sound.Stop_MP3();
    EXPECT_THAT(mci.Commands(), ElementsAre("stop MP3Play", "close MP3Play"));
    EXPECT_EQ(ApiResult, 1234);  // MP3 results are not kept
}

TEST_F(SoundTest, Mp3ThatNeverOpenedIsNotPlayedAndLoopsHarmlessly) {
    settings.BgmFile = "C:\\" + std::string(300, 'x') + " y.mp3";
    sound.Play_MP3();
    EXPECT_THAT(mci.Commands(), ElementsAre("open \"" + settings.BgmFile + "\" type MPEGVideo Alias MP3Play"));
    mci.calls.clear();
    sound.Timer1_Timer();
    sound.Timer1_Timer();
    EXPECT_THAT(mci.Commands(), ElementsAre("status MP3Play mode", "stop MP3Play", "play MP3Play from 0",
                                            "status MP3Play mode", "stop MP3Play", "play MP3Play from 0"));
    EXPECT_EQ(sound.Is_MP3_Playing(), kFalse);
}

TEST_F(SoundTest, WavLoopsSilentlyOnFailureAndNeedsADevice) {
    settings.BgmFile = "C:\\a b\\c.wav";
    sound.Play_WAV();
    EXPECT_THAT(wave.played, ElementsAre("C:\\a b\\c.wav flags=131083"));  // async, loop, file name, no default
    EXPECT_EQ(ApiResult, 1);
    sound.Stop_WAV();
    EXPECT_EQ(wave.stops, 1);

    wave.devices = 0;
    ApiResult = 1234;
    sound.Play_WAV();
    EXPECT_EQ(wave.played.size(), 1u);
    EXPECT_EQ(ApiResult, 1234);
    EXPECT_THAT(mci.calls, IsEmpty());
}

TEST_F(SoundTest, APathThatCannotNameAFileIsNeverSent) {
    // A quote would end the quoted path in the open command and add words of its own.
    for (const char* path : {"C:\\x.mp3\" wait notify \"C:\\y.mp3", "C:\\a\tb.mp3", "C:\\a\x01.wav",
                             "C:\\\"a\".wav", "C:\\a\rb.mp3"}) {
        SCOPED_TRACE(path);
        settings.BgmFile = path;
        sound.Play_MP3();
        sound.Play_WAV();
        EXPECT_THAT(mci.calls, IsEmpty());
        EXPECT_THAT(wave.played, IsEmpty());
    }
    // Japanese names, blanks and odd but legal characters still play.
    settings.BgmFile = "C:\\\x8B\xC8 #1 (\x9F\x5C'x').wav";
    EXPECT_TRUE(CanNameFile(settings.BgmFile));
    sound.Play_WAV();
    EXPECT_EQ(wave.played.size(), 1u);
}

// ---- Audio CD

TEST_F(SoundTest, RepeatTrackThreeOnATenTrackDisc) {
    settings.BgmRepeat = 3;
    sound.Open_CD();
    EXPECT_THAT(mci.Commands(), ElementsAre("open cdaudio", "set cdaudio time format tmsf"));
    EXPECT_EQ(ApiResult, 0);
    EXPECT_FALSE(mci.cdPlaying);  // nothing plays before the first poll

    mci.calls.clear();
    EXPECT_TRUE(sound.Timer2_Timer());
    EXPECT_THAT(mci.Commands(), ElementsAre("status cdaudio current track", "status cdaudio number of tracks",
                                            "status cdaudio mode", "status cdaudio position track 3",
                                            "play cdaudio from 03:00:00:00"));
    EXPECT_EQ(mci.calls[2].length, 255u);
    EXPECT_EQ(mci.track, 3);
    EXPECT_TRUE(mci.cdPlaying);

    mci.calls.clear();
    EXPECT_TRUE(sound.Timer2_Timer());  // playing track 3: nothing to do
    EXPECT_EQ(mci.calls.size(), 3u);

    mci.track = 4;  // track 4 begins
    EXPECT_TRUE(sound.Timer2_Timer());
    EXPECT_EQ(mci.track, 3);

    mci.track = 3;
    mci.cdPlaying = false;  // the drive stops
    mci.calls.clear();
    EXPECT_TRUE(sound.Timer2_Timer());
    EXPECT_EQ(mci.calls.back().command, "play cdaudio from 03:00:00:00");
    EXPECT_TRUE(mci.cdPlaying);
}

TEST_F(SoundTest, NoRepeatPlaysOnOnlyWhenStopped) {
    sound.Open_CD();
    mci.track = 6;
    mci.calls.clear();
    EXPECT_TRUE(sound.Timer2_Timer());
    EXPECT_EQ(mci.calls.back().command, "play cdaudio");
    EXPECT_EQ(mci.track, 6);
    mci.calls.clear();
    EXPECT_TRUE(sound.Timer2_Timer());
    EXPECT_EQ(mci.calls.back().command, "status cdaudio mode");
}

TEST_F(SoundTest, NoDiscTurnsThePollOffAndTheEndingSendsNothing) {
    bool timer2 = true;
    mci.disc = false;
    settings.BgmRepeat = 3;
    sound.Open_CD();
    mci.calls.clear();
    timer2 = sound.Timer2_Timer();
    EXPECT_FALSE(timer2);
    EXPECT_EQ(sound.CdPollOk, kFalse);
    EXPECT_THAT(mci.Commands(), ElementsAre("status cdaudio current track"));
    if (timer2) sound.Close_CD();  // how the saver ends
    EXPECT_EQ(mci.calls.size(), 1u);

    // A count that fails stops the poll too; the next poll starts true again.
    mci.disc = true;
    mci.scripted["status cdaudio number of tracks"] = {276, ""};
    EXPECT_FALSE(sound.Timer2_Timer());
    EXPECT_EQ(mci.calls.back().command, "status cdaudio number of tracks");
    mci.scripted.clear();
    EXPECT_TRUE(sound.Timer2_Timer());
    sound.Close_CD();
    std::vector<std::string> sent = mci.Commands();
    EXPECT_THAT(std::vector<std::string>(sent.end() - 2, sent.end()), ElementsAre("stop cdaudio", "close cdaudio"));
    EXPECT_FALSE(mci.cdOpen);
}

TEST_F(SoundTest, RepeatPastTheLastTrackFailsEveryPollAndKeepsPolling) {
    settings.BgmRepeat = 12;
    sound.Open_CD();
    mci.cdPlaying = true;
    mci.track = 5;
    for (int i = 0; i < 3; ++i) {
        mci.calls.clear();
        EXPECT_TRUE(sound.Timer2_Timer());
        EXPECT_EQ(mci.calls[3].command, "status cdaudio position track 12");
        EXPECT_EQ(mci.calls[4].command, "play cdaudio from Error:282");
        EXPECT_EQ(mci.track, 5);
        EXPECT_TRUE(mci.cdPlaying);
    }
}

TEST_F(SoundTest, TrackTextThatIsNoNumberStopsARepeatPoll) {
    sound.Open_CD();
    mci.scripted["status cdaudio current track"] = {0, "n/a"};
    EXPECT_TRUE(sound.Timer2_Timer());  // without a repeat track the text is not read
    settings.BgmRepeat = 2;
    mci.calls.clear();
    EXPECT_FALSE(sound.Timer2_Timer());
    EXPECT_EQ(mci.calls.size(), 3u);
}

TEST_F(SoundTest, TrackSteppingStaysOnTheDisc) {
    sound.Open_CD();
    mci.track = 5;
    mci.calls.clear();
    sound.Next_Track();
    EXPECT_THAT(mci.Commands(), ElementsAre("status cdaudio current track", "status cdaudio position track 6",
                                            "play cdaudio from 06:00:00:00"));
    sound.Prev_Track();
    sound.Prev_Track();
    EXPECT_EQ(mci.track, 4);

    mci.track = 10;
    sound.Next_Track();  // past the last track: the play fails, track 10 plays on
    EXPECT_EQ(mci.calls.back().command, "play cdaudio from Error:282");
    EXPECT_EQ(mci.track, 10);
    mci.track = 1;
    sound.Prev_Track();
    EXPECT_EQ(mci.calls[mci.calls.size() - 2].command, "status cdaudio position track 0");
    EXPECT_EQ(mci.track, 1);

    mci.disc = false;  // an error text reads as track 0
    sound.Prev_Track();
    EXPECT_EQ(mci.calls[mci.calls.size() - 2].command, "status cdaudio position track -1");
    mci.disc = true;
    // The current track's text is rounded, halves to even: never cut.
    for (auto [text, next] : {std::pair{"2.5", 3}, {"2.7", 4}, {"3.5", 5}, {"2.2", 3}}) {
        SCOPED_TRACE(text);
        mci.scripted["status cdaudio current track"] = {0, text};
        sound.Next_Track();
        EXPECT_EQ(mci.track, next);
    }
}

}  // namespace
}  // namespace lvx
