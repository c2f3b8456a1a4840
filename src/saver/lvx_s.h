// The running saver Lvx_S: the set-up of its window and twelve pictures, the
// rotation loop, the colour timer and every way it ends. Everything here is
// logic; the window, its pictures, timers and event pump are behind SaverPort.
#pragma once

#include <array>
#include <cstdint>

#include "common/program_port.h"
#include "render/cls_gradient.h"
#include "saver/saver_layout.h"
#include "saver/saver_port.h"
#include "saver/saver_random.h"
#include "settings/settings.h"
#include "sound/sound_02.h"

namespace lvx {

// The saver window's timers and their intervals. Timer3 runs from the moment
// the window exists; the other two wait for their music.
inline constexpr int kTimer1 = 1;
inline constexpr int kTimer2 = 2;
inline constexpr int kTimer3 = 3;
inline constexpr uint32_t kTimer1IntervalMs = 1000;
inline constexpr uint32_t kTimer2IntervalMs = 200;
inline constexpr uint32_t kTimer3IntervalMs = 1000;

// Key codes with a meaning of their own while audio-CD music plays.
inline constexpr int16_t kKeyLeft = 37;
inline constexpr int16_t kKeyRight = 39;

class Lvx_S {
public:
    // saverMode: started with "S" (the password and the cursor belong to the
    // ending). The gradient port is the one the pictures are drawn through.
    Lvx_S(Settings& settings, bool saverMode, SaverPort& port, ProgramPort& app, GradientPort& gdi, Sound_02& sound);

    // Sets everything up, shows the window and runs Rotate_Loop; returns
    // only when the loop has ended without the program ending.
    void Form_Load();
    // Form_Load without the loop: for a front that drives the passes itself
    // (one Rotate_Step per displayed frame, its timers served between them).
    void Form_Setup();
    void Make_Cells();
    void Center_Pictures();
    void New_Colours();
    void Draw_Pictures();
    // Turns and draws until End_Saver is called from it (and returns if that
    // call comes back). Each pass waits for the next displayed frame, serving
    // events as they come.
    void Rotate_Loop();
    // One pass of the loop: turns a degree, draws the twelve pictures, tells
    // the port and applies the mouse rule. False when the pass called
    // End_Saver (whether or not that call came back): no pass follows then.
    // Events and timers are served by the caller between two steps.
    bool Rotate_Step();
    // Forgets the pointer positions read by earlier passes: the next mouse
    // rule compares the start position with (0, 0) until a reading succeeds.
    void Rotate_Begin();

    // Timer ticks.
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    // Input events. The modifier state, the button and the position are not used.
    void Form_KeyDown(int16_t keyCode, int16_t shift);
    void PicDraw_MouseDown(int16_t index, int16_t button, int16_t shift, float x, float y);
    void Form_QueryUnload();

    // Every monitor besides the primary one gets a cover in the background
    // colour (set up with the window, followed when monitors come or go).
    void Place_Covers();
    void Display_Change();
    // The display went off or came back: while it is off the loop draws
    // nothing and waits for events only; it draws on from where it stood.
    void Display_Power(bool on);
    // The screen (a hack's window) took a new size: the grid follows, and the
    // pictures take the given size, or a random one for its new width.
    void Screen_Resized(int16_t widthPx, int16_t heightPx, int16_t pictureSize);
    bool DisplayOn() const { return displayOn_; }
    // Asks the password where it applies, stops the music, restores the
    // system's screen-saver state and ends the program. Returns only when the
    // password was refused (or, with a port that returns from ending, after
    // the ending: Ended() then tells).
    void End_Saver();

    bool Ended() const { return ended_; }
    bool Timer2Enabled() const { return timer2Enabled_; }
    uint64_t Passes() const { return passes_; }
    SaverRandom& Random() { return random_; }

    // Window values.
    clsGradient Gradient;
    float CurrentAngle = 0;
    int16_t ScreenWidthPx = 0;
    int16_t ScreenHeightPx = 0;
    int16_t CellWidth = 0;
    int16_t CellHeight = 0;
    std::array<int16_t, kPictureSlots> CellX{};
    std::array<int16_t, kPictureSlots> CellY{};
    int16_t MaxPictureSize = 0;
    int16_t MinPictureSize = 0;
    int16_t SecondCount = 0;
    // Module values of the saver display.
    std::array<int32_t, kPictureSlots> PictureColor1{};
    std::array<int32_t, kPictureSlots> PictureColor2{};
    int16_t StartCursorX = 0;
    int16_t StartCursorY = 0;

private:
    // PictureCount, kept within the tables.
    int Count() const;
    void Reseed();
    void StartMusic();
    void ApplyPictureSize();
    // Reads the pointer and applies the mouse rule: true when it stands apart
    // from the start position on both axes.
    bool MouseMoved();

    Settings& settings_;
    const bool saverMode_;
    SaverPort& port_;
    ProgramPort& app_;
    Sound_02& sound_;
    SaverRandom random_;
    bool timer2Enabled_ = false;
    bool inEndSaver_ = false;
    bool displayOn_ = true;
    bool ended_ = false;
    uint64_t passes_ = 0;
    // The last pointer position read in the loop; (0, 0) before the first.
    int32_t cursorX_ = 0;
    int32_t cursorY_ = 0;
};

}  // namespace lvx
