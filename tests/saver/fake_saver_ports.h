// Recording fakes for the running saver: its window port, start-up's port
// (cursor, system parameters, platform family, ending), MCI and wave output.
// Every call lands as one line in one shared log, so a test reads the order
// of everything the saver did.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/program_port.h"
#include "render/cls_gradient.h"
#include "saver/lvx_s.h"
#include "saver/saver_port.h"
#include "sound/sound_ports.h"

namespace lvx::testing {

using Log = std::vector<std::string>;

// A number as the log writes it: whole numbers in full, others as they come.
inline std::string Num(double v) {
    if (v == static_cast<double>(static_cast<long long>(v))) return std::to_string(static_cast<long long>(v));
    std::ostringstream out;
    out.precision(17);
    out << v;
    return out.str();
}

// The lines of a log that start with one of the prefixes.
inline Log Only(const Log& log, const std::vector<std::string>& prefixes) {
    Log out;
    for (const std::string& line : log) {
        for (const std::string& p : prefixes) {
            if (line.rfind(p, 0) == 0) {
                out.push_back(line);
                break;
            }
        }
    }
    return out;
}

class FakeSaverPort : public SaverPort {
public:
    explicit FakeSaverPort(Log& log) : log_(log) {
        for (GdiHandle i = 0; i < kPictureSlots; ++i) {
            targets_.emplace_back(100 + i, 200 + i);
            broken_.emplace_back(100 + i, 0);
        }
    }

    // The screen.
    double twipsW = 1024 * 15, twipsH = 768 * 15, tppX = 15, tppY = 15;
    // Pointer readings in order (nothing: the reading fails); when used up,
    // `cursor` answers.
    std::deque<std::optional<std::pair<int32_t, int32_t>>> readings;
    std::optional<std::pair<int32_t, int32_t>> cursor = std::make_pair(512, 384);
    // What each wait answers (Frame when used up), and what each pump does.
    std::deque<Wake> wakes;
    std::deque<std::function<void()>> pumps;
    int32_t password = 1;
    uint64_t clock = 5;
    std::vector<ScreenRect> monitors = {{0, 0, 1024, 768}};
    ScreenRect primary{0, 0, 1024, 768};
    // A loop that never ends fails the test instead of hanging it.
    uint64_t passLimit = 2000;
    // Where Draw's angle and colours are read when a picture is drawn.
    const clsGradient* gradient = nullptr;
    // Pictures whose device context is missing: Draw fails on them.
    bool brokenPictures = false;

    void ScreenTwips(double& w, double& h) override { w = twipsW, h = twipsH; }
    void TwipsPerPixel(double& x, double& y) override { x = tppX, y = tppY; }
    void SizeWindow(int32_t w, int32_t h) override { Say("window size " + Num(w) + " " + Num(h)); }
    void MoveWindow(int32_t l, int32_t t) override { Say("window move " + Num(l) + " " + Num(t)); }
    void SetBackColor(int32_t c) override { Say("back " + Num(c)); }
    void ShowWindowNormal() override { Say("show"); }
    int32_t MakeTopmost() override { return Say("topmost"), 1; }
    void UnloadWindow() override { Say("unload"); }
    void ReadMonitors(std::vector<ScreenRect>& m, ScreenRect& p) override {
        m = monitors;
        p = primary;
    }
    void PlaceCovers(const std::vector<ScreenRect>& covers) override {
        std::string line = "covers";
        for (const ScreenRect& r : covers) {
            line += " " + Num(r.left) + "," + Num(r.top) + "," + Num(r.right) + "," + Num(r.bottom);
        }
        Say(line);
    }
    void CreatePicture(int i) override { Say("create " + Num(i)); }
    void SizePicture(int i, int32_t size) override { Say("size " + Num(i) + " " + Num(size)); }
    int32_t SetPictureEllipse(int i, int32_t size) override { return Say("ellipse " + Num(i) + " " + Num(size)), 1; }
    void MovePicture(int i, double l, double t) override { Say("move " + Num(i) + " " + Num(l) + " " + Num(t)); }
    GradientTarget& PictureTarget(int i) override {
        if (gradient != nullptr) {
            Say("draw " + Num(i) + " " + Num(gradient->Angle()) + " " + Num(gradient->Color1()) + " " +
                Num(gradient->Color2()));
        }
        return (brokenPictures ? broken_ : targets_).at(static_cast<size_t>(i));
    }
    void RefreshPicture(int i) override { Say("refresh " + Num(i)); }
    // A port that paints whole passes takes them (logged as one line per
    // picture, "whole I ANGLE COLOR1 COLOR2") instead of the draws.
    bool takesPasses = false;
    bool DrawPass(float angle, const std::array<int32_t, kPictureSlots>& c1, const std::array<int32_t, kPictureSlots>& c2,
                  int count) override {
        if (!takesPasses) return false;
        for (int i = 0; i < count; ++i) {
            const auto k = static_cast<size_t>(i);
            Say("whole " + Num(i) + " " + Num(angle) + " " + Num(c1[k]) + " " + Num(c2[k]));
        }
        return true;
    }
    void EnableTimer(int t, bool on) override { Say("timer" + Num(t) + (on ? " on" : " off")); }
    bool ReadCursor(int32_t& x, int32_t& y) override {
        std::optional<std::pair<int32_t, int32_t>> r = cursor;
        if (!readings.empty()) {
            r = readings.front();
            readings.pop_front();
        }
        Say(r ? "cursor " + Num(r->first) + " " + Num(r->second) : "cursor fails");
        if (!r) return false;
        x = r->first, y = r->second;
        return true;
    }
    Wake WaitFrameOrEvents(bool frameWanted) override {
        Wake w = Wake::Frame;
        if (!wakes.empty()) {
            w = wakes.front();
            wakes.pop_front();
        }
        Say(std::string("wait ") + (frameWanted ? "frame" : "events") + (w == Wake::Frame ? " -> frame" : " -> events"));
        return w;
    }
    void PumpEvents() override {
        Say("pump");
        if (pumps.empty()) return;
        auto action = std::move(pumps.front());
        pumps.pop_front();
        if (action) action();
    }
    void PassDrawn(uint64_t n) override {
        Say("pass " + Num(static_cast<double>(n)));
        if (n > passLimit) throw std::runtime_error("the rotation loop does not end");
    }
    int32_t VerifyPassword() override { return Say("password"), password; }
    uint64_t ClockReading() override { return clock; }

private:
    void Say(const std::string& line) { log_.push_back(line); }
    Log& log_;
    std::vector<HandleTarget> targets_;
    std::vector<HandleTarget> broken_;
};

class FakeSaverApp : public ProgramPort {
public:
    explicit FakeSaverApp(Log& log) : log_(log) {}
    int32_t platformId = 2;
    void ShowCursor(bool show) override { log_.push_back(show ? "ShowCursor 1" : "ShowCursor 0"); }
    int32_t QueryVersion(int32_t, int32_t& id) override { return id = platformId, 1; }
    int32_t SetSystemParameter(uint32_t action, int32_t param) override {
        log_.push_back("spi " + std::to_string(action) + " " + std::to_string(param));
        return 1;
    }
    void EndProgram() override { log_.push_back("end"); }

private:
    Log& log_;
};

// MCI that answers every command with success and no text, except those
// scripted; "open cdaudio" style CD polls can be made to fail.
class FakeSaverMci : public MciPort {
public:
    explicit FakeSaverMci(Log& log) : log_(log) {}
    bool cdFails = true;
    // The CD's current track, when the CD answers; a track's position is
    // "TT:00:00:00".
    int currentTrack = 5;
    int32_t SendString(const std::string& command, std::string& returned, uint32_t) override {
        std::string c = command;
        while (!c.empty() && c.back() == ' ') c.pop_back();
        log_.push_back("mci " + c);
        returned.clear();
        if (cdFails && c.find("cdaudio") != std::string::npos && c.rfind("open", 0) != 0) return 266;
        if (c == "status MP3Play mode") returned = "playing";
        if (c == "status cdaudio current track") returned = std::to_string(currentTrack);
        const std::string position = "status cdaudio position track ";
        if (c.rfind(position, 0) == 0) returned = c.substr(position.size()) + ":00:00:00";
        return 0;
    }
    bool ErrorText(int32_t code, std::string& text, uint32_t) override {
        text = "error " + std::to_string(code);
        return true;
    }

private:
    Log& log_;
};

class FakeSaverWave : public WavePort {
public:
    explicit FakeSaverWave(Log& log) : log_(log) {}
    uint32_t OutputDeviceCount() override { return 1; }
    int32_t PlayFile(const std::string& path, uint32_t) override { return log_.push_back("wave play " + path), 1; }
    int32_t StopSound() override { return log_.push_back("wave stop"), 1; }

private:
    Log& log_;
};

// A gradient port that draws nothing: the picture's client area cannot be
// read, so Draw only locks and unlocks the picture.
class QuietGdi : public GradientPort {
public:
    int32_t SystemColor(int32_t) override { return 0; }
    void LockUpdates(GdiHandle) override {}
    bool ReadClientRect(GdiHandle, int32_t&, int32_t&) override { return false; }
    GdiHandle CreateSolidPen(int32_t) override { return 1; }
    GdiHandle SelectIntoDc(GdiHandle, GdiHandle) override { return 1; }
    void MoveTo(GdiHandle, int32_t, int32_t) override {}
    void DrawLineTo(GdiHandle, int32_t, int32_t) override {}
    void DeletePen(GdiHandle) override {}
    void ShowWarning(std::string_view text, std::string_view) override { warnings.push_back(std::string(text)); }
    bool OpenPixels(GdiHandle dc, PixelSurface&) override {
        pixelRequests.push_back(dc);
        return false;
    }
    std::vector<std::string> warnings;
    std::vector<GdiHandle> pixelRequests;
};

// A saver wired to the fakes above.
struct SaverRig {
    Log log;
    Settings settings;
    FakeSaverPort port{log};
    FakeSaverApp app{log};
    FakeSaverMci mci{log};
    FakeSaverWave wave{log};
    QuietGdi gdi;
    Sound_02 sound{settings, mci, wave};
    std::optional<Lvx_S> saver;

    explicit SaverRig(bool saverMode = true) {
        settings.PictureSize = 200;
        settings.ColorInterval = 15;
        settings.Gradation = 1;
        settings.PictureCount = 12;
        mode = saverMode;
    }
    Lvx_S& Make() {
        saver.emplace(settings, mode, port, app, gdi, sound);
        port.gradient = &saver->Gradient;
        return *saver;
    }
    // The start reading succeeds and every later one fails, so the first
    // pass compares (0, 0) with it and ends the saver.
    void EndOnFirstPass() {
        port.readings = {std::make_pair(5, 5)};
        port.cursor.reset();
    }
    // The log from the first line that starts with `from`.
    Log From(const std::string& from) const {
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i].rfind(from, 0) == 0) return Log(log.begin() + static_cast<long>(i), log.end());
        }
        return {};
    }
    bool mode = true;
};

}  // namespace lvx::testing
