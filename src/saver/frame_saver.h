// The saver drawn into a frame in memory, for a front end that owns the
// loop (a browser's frame callback calls one pass a frame) or wants one
// frame (lvx frame). Lvx_S runs over a SaverPort whose window is that frame,
// whose clock reading is whatever the front end sets and whose pointer is
// what the front end last saw. Frames are painted by FrameComposer, as every
// front end that composes its own frame paints them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/program_port.h"
#include "render/classic_colors.h"
#include "saver/frame_compose.h"
#include "saver/lvx_s.h"
#include "saver/saver_port.h"
#include "settings/settings.h"
#include "sound/silent_sound_ports.h"
#include "sound/sound_02.h"

namespace lvx {

// Reproducible frames run on virtual time: pass k happens at k / 60 s, and
// the one-second timer ticks at every whole second, between the pass before
// it and the pass after it (the first tick between pass 60 and pass 61).
inline constexpr uint64_t kVirtualPassesPerSecond = 60;

// The largest frame side a front end may ask for (a canvas or a PNG).
inline constexpr int32_t kMaxFrameSide = 16384;

class FrameSaver final : public SaverPort {
public:
    // The frame is width x height pixels (each at least 1, at most
    // kMaxFrameSide); settings as the reader gave them for this width.
    FrameSaver(const Settings& settings, int32_t width, int32_t height);
    FrameSaver(const FrameSaver&) = delete;
    FrameSaver& operator=(const FrameSaver&) = delete;

    // Pixels in the byte order of a browser's canvas (R, G, B, then an opaque
    // alpha byte 255) instead of 0x00RRGGBB: the colours go to the compositor
    // with red and blue exchanged, which every channel's blend treats alike,
    // so that the page puts the frame's bytes as they are.
    void UseCanvasOrder(bool on) { canvasOrder_ = on; }
    // The frame's memory laid out as one region per picture shown, each in
    // rows of the picture's own width, when they fit in it: a page puts each
    // picture from an image of its own (writing rows of their own costs
    // about two thirds of writing the same pixels across the frame's width)
    // and fills the background around them itself. Frame() then holds the
    // regions, not a frame; the next drawing lays them out.
    void UseRegions(bool on) {
        useRegions_ = on;
        layoutChanged_ = true;
    }
    // The clock reading every reseed takes from now on: a seed, or the time
    // of day in microseconds.
    void SetClock(uint64_t reading) { clock_ = reading; }
    // Sets the saver up and draws its first frame (no pass yet).
    void Start();
    // One pass of the loop: false once the saver has ended.
    bool Pass();
    // The one-second timer.
    void Tick();
    // One pass on virtual time: the timer first when a whole second lies
    // between the last pass and this one.
    bool VirtualStep();
    // Virtual steps until `passes` passes have been made (or the saver ended).
    void RunTo(uint64_t passes);

    // The frame took a new size; the pictures take pictureSize, or a random
    // size when that is chosen.
    void Resize(int32_t width, int32_t height, int16_t pictureSize);

    // Input while running. The pointer position is in frame pixels; until a
    // position is known the pointer reads as unknown.
    void PointerAt(int32_t x, int32_t y);
    void StartPointerAt(int32_t x, int32_t y);
    void KeyDown(int16_t keyCode);
    // A press at (x, y): on a picture (inside its outline) it ends the saver.
    // True when it hit one.
    bool Press(int32_t x, int32_t y);

    bool Ended() const { return ended_; }
    uint64_t Passes() const { return saver_.Passes(); }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // 0x00RRGGBB (or canvas order), top row first, Width() pixels a row.
    const std::vector<uint32_t>& Frame() const { return frame_; }
    // Whether the last drawing repainted the whole frame, or only the
    // pictures' squares (Picture rectangles below).
    bool WholeFrameDrawn() const { return wholeDrawn_; }
    // The regions of the last drawing (see UseRegions); empty when Frame()
    // is the whole frame.
    const std::vector<FrameRegion>& Regions() const { return regions_; }
    // The background as the frame's pixels show it.
    uint32_t BackgroundPixel() const;
    // Picture i's square in frame pixels, or nothing when it is not shown.
    std::optional<FramePicture> PictureAt(int index) const;
    const Settings& CurrentSettings() const { return settings_; }
    Lvx_S& Saver() { return saver_; }

    // SaverPort.
    void ScreenTwips(double& width, double& height) override;
    void TwipsPerPixel(double& x, double& y) override;
    void SizeWindow(int32_t, int32_t) override {}
    void MoveWindow(int32_t, int32_t) override {}
    void SetBackColor(int32_t color) override;
    void ShowWindowNormal() override {}
    int32_t MakeTopmost() override { return 1; }
    void UnloadWindow() override { ended_ = true; }
    void ReadMonitors(std::vector<ScreenRect>& monitors, ScreenRect& primary) override;
    void PlaceCovers(const std::vector<ScreenRect>&) override {}
    void CreatePicture(int index) override;
    void SizePicture(int index, int32_t size) override;
    int32_t SetPictureEllipse(int index, int32_t size) override;
    void MovePicture(int index, double left, double top) override;
    GradientTarget& PictureTarget(int index) override;
    void RefreshPicture(int) override {}
    bool DrawPass(float angle, const std::array<int32_t, kPictureSlots>& color1,
                  const std::array<int32_t, kPictureSlots>& color2, int count) override;
    void EnableTimer(int, bool) override {}
    bool ReadCursor(int32_t& x, int32_t& y) override;
    Wake WaitFrameOrEvents(bool) override { return Wake::Frame; }
    void PumpEvents() override {}
    void PassDrawn(uint64_t) override {}
    int32_t VerifyPassword() override { return 1; }
    uint64_t ClockReading() override { return clock_; }

private:
    // Nothing of the program to switch: the front end hides its own pointer.
    class QuietProgram final : public ProgramPort {
    public:
        void ShowCursor(bool) override {}
        int32_t QueryVersion(int32_t, int32_t& platformId) override {
            platformId = 2;
            return 1;
        }
        int32_t SetSystemParameter(uint32_t, int32_t) override { return 1; }
        void EndProgram() override {}
    };
    struct Place {
        bool shown = false;
        int32_t left = 0, top = 0, size = 0;
    };
    void MakeRegions();

    Settings settings_;
    int32_t width_, height_;
    std::vector<uint32_t> frame_;
    std::array<Place, kPictureSlots> places_{};
    int32_t back_ = 0;
    bool circles_ = false;
    bool canvasOrder_ = false;
    bool useRegions_ = false;
    std::vector<FrameRegion> regions_;
    bool layoutChanged_ = true;
    bool wholeDrawn_ = true;
    bool ended_ = false;
    uint64_t clock_ = 0;
    std::optional<std::pair<int32_t, int32_t>> pointer_;
    int countDrawn_ = 0;
    FrameComposer composer_;
    HandleTarget nowhere_{0, 0};
    HeadlessGradientPort gradientPort_;
    QuietProgram program_;
    SilentMci mci_;
    SilentWave wave_;
    Sound_02 sound_;
    Lvx_S saver_;
};

}  // namespace lvx
