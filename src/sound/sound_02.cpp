#include "sound/sound_02.h"

#include <vector>

#include "common/cp932.h"
#include "common/number_rules.h"

namespace lvx {
namespace {

// Byte offsets at which the characters of a code-page-932 text start.
std::vector<size_t> CharacterStarts(std::string_view text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        starts.push_back(i);
        if (IsLeadByte932(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
    }
    return starts;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Upper case of a text; only single-byte letters change.
std::string Upper932(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsLeadByte932(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        out[i] = UpperAscii(out[i]);
    }
    return out;
}

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

const std::string kCurrentTrack = "status cdaudio current track";
const std::string kPositionTrack = "status cdaudio position track ";

}  // namespace

MusicFile FileMusicKind(std::string_view bgmFile) {
    std::vector<size_t> starts = CharacterStarts(bgmFile);
    size_t from = starts.size() > 3 ? starts[starts.size() - 3] : 0;
    std::string last = Upper932(bgmFile.substr(from));
    if (last == "WAV") return MusicFile::Wav;
    if (last == "MP3") return MusicFile::Mp3;
    return MusicFile::Other;
}

bool CanNameFile(std::string_view path) {
    // Trail bytes of double-byte characters are 40 and above: no quote or
    // control byte hides inside a character.
    for (char c : path) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '"') return false;
    }
    return true;
}

bool HasErrorMark(std::string_view text) {
    // Only where a character starts: the second byte of a Japanese character
    // followed by "rr" is no error text.
    for (size_t start : CharacterStarts(text)) {
        if (start + 3 <= text.size() && UpperAscii(text[start]) == 'E' && UpperAscii(text[start + 1]) == 'R' &&
            UpperAscii(text[start + 2]) == 'R') {
            return true;
        }
    }
    return false;
}

Sound_02::Sound_02(const Settings& settings, MciPort& mci, WavePort& wave)
    : settings_(settings), mci_(mci), wave_(wave) {}

int32_t Sound_02::Send_MCI(const std::string& command, std::string& result) {
    if (command.empty()) {
        result = kNoCommandText;
        return -1;
    }
    std::string returned;
    int32_t code = mci_.SendString(command, returned, kReturnBufferLength);
    ApiResult = code;
    if (code != 0) {
        std::string text;
        if (mci_.ErrorText(code, text, kErrorBufferLength)) {
            result = text;
        } else {
            result = kNoErrorText;
        }
        return code;
    }
    result = returned;
    return 0;
}

std::string Sound_02::MCI_Status(const std::string& command) {
    int32_t code = Send_MCI(command, MciResultText);
    ApiResult = code;
    if (code != 0) return "Error:" + std::to_string(code);
    return MciResultText;
}

int32_t Sound_02::MCI_Play(const std::string& device, const std::string& from, const std::string& to) {
    std::string command = "play " + device;
    if (!from.empty()) command += " from " + from;
    if (!to.empty()) command += " to " + to;
    return Send_MCI(command, MciResultText);
}

int32_t Sound_02::SendDirect(const std::string& command, std::string& buffer, uint32_t length) {
    return mci_.SendString(command, buffer, length);
}

int32_t Sound_02::SendDirect(const std::string& command) {
    std::string none;
    return mci_.SendString(command, none, 0);
}

void Sound_02::Play_WAV() {
    if (!CanNameFile(settings_.BgmFile)) return;
    if (wave_.OutputDeviceCount() >= 1) ApiResult = wave_.PlayFile(settings_.BgmFile, kWavLoopFlags);
}

void Sound_02::Stop_WAV() { ApiResult = wave_.StopSound(); }

void Sound_02::Play_MP3() {
    // Quoted, so that blanks in the path are not read as command words; not
    // cut to any length, so that long paths play too.
    if (!CanNameFile(settings_.BgmFile)) return;
    std::string command = "open \"" + settings_.BgmFile + "\" type MPEGVideo Alias MP3Play";
    if (SendDirect(command) == 0) SendDirect("play MP3Play");
}

int16_t Sound_02::Is_MP3_Playing() {
    SendDirect("status MP3Play mode", mp3Mode_, kMp3ModeLength);
    return StartsWith(mp3Mode_, "playing") ? kTrue : kFalse;
}

void Sound_02::Loop_MP3() {
    if (Is_MP3_Playing() != kFalse) return;
    // Stop first: a device that played to its end may keep reporting
    // "stopped" after a bare play.
    SendDirect("stop MP3Play");
    SendDirect("play MP3Play from 0");
}

void Sound_02::Stop_MP3() {
    SendDirect("stop MP3Play");
    SendDirect("close MP3Play");
}

void Sound_02::Open_CD() {
    ApiResult = SendDirect("open cdaudio");
    ApiResult = SendDirect("set cdaudio time format tmsf");
}

void Sound_02::Poll_CD() {
    CdPollOk = kTrue;
    std::string track = MCI_Status(kCurrentTrack);
    if (HasErrorMark(track)) {
        CdPollOk = kFalse;
        return;
    }
    std::string count = MCI_Status("status cdaudio number of tracks");
    if (HasErrorMark(count)) {
        CdPollOk = kFalse;
        return;
    }
    ApiResult = SendDirect("status cdaudio mode", cdMode_, kCdModeLength);
    bool stopped = StartsWith(cdMode_, "stopped");

    if (settings_.BgmRepeat != 0) {
        // A track text that is no number is an error of the poll, even when
        // the drive is stopped.
        std::optional<double> number = ParseDecimal(track);
        if (!number) {
            CdPollOk = kFalse;
            return;
        }
        if (stopped || *number != settings_.BgmRepeat) {
            std::string pos = MCI_Status(kPositionTrack + std::to_string(settings_.BgmRepeat));
            MCI_Play("cdaudio", pos, "");
        }
    } else if (stopped) {
        MCI_Play("cdaudio", "", "");
    }
}

void Sound_02::StepTrack(int64_t step) {
    int64_t n = 0;
    // A number too large for a track leaves n at 0, as a failed statement would.
    if (std::optional<int32_t> current = NearestInt32(LeadingNumber(MCI_Status(kCurrentTrack)))) n = *current;
    std::string pos = MCI_Status(kPositionTrack + std::to_string(n + step));
    MCI_Play("cdaudio", pos, "");
}

void Sound_02::Next_Track() { StepTrack(1); }

void Sound_02::Prev_Track() { StepTrack(-1); }

void Sound_02::Close_CD() {
    ApiResult = SendDirect("stop cdaudio");
    ApiResult = SendDirect("close cdaudio");
}

void Sound_02::Timer1_Timer() { Loop_MP3(); }

bool Sound_02::Timer2_Timer() {
    Poll_CD();
    return CdPollOk != kFalse;
}

}  // namespace lvx
