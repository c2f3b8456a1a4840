#include "saver/lvx_s.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "common/number_rules.h"

namespace lvx {
namespace {

constexpr uint32_t SPI_SETSCREENSAVEACTIVE = 17;

// floor(value) as a 16-bit value, or nothing when it does not fit (the
// statement that needs it is then skipped).
std::optional<int16_t> FloorInt16(double value) {
    const double f = std::floor(value);
    if (!(f >= std::numeric_limits<int16_t>::min() && f <= std::numeric_limits<int16_t>::max())) return std::nullopt;
    return static_cast<int16_t>(f);
}

std::optional<int16_t> ToInt16(int32_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) return std::nullopt;
    return static_cast<int16_t>(value);
}

}  // namespace

Lvx_S::Lvx_S(Settings& settings, bool saverMode, SaverPort& port, ProgramPort& app, GradientPort& gdi, Sound_02& sound)
    : Gradient(gdi), settings_(settings), saverMode_(saverMode), port_(port), app_(app), sound_(sound) {}

int Lvx_S::Count() const { return std::clamp<int>(settings_.PictureCount, 0, kPictureSlots); }

void Lvx_S::Reseed() { random_.Reseed(port_.ClockReading()); }

void Lvx_S::Form_Load() {
    Form_Setup();
    Rotate_Loop();
}

void Lvx_S::Form_Setup() {
    double twipsW = 0, twipsH = 0, tppX = 0, tppY = 0;
    port_.ScreenTwips(twipsW, twipsH);
    port_.TwipsPerPixel(tppX, tppY);

    // 1-3: the window covers the screen from its top-left corner.
    const auto widthPx = NearestInt32(twipsW / tppX);
    const auto heightPx = NearestInt32(twipsH / tppY);
    if (widthPx && heightPx) port_.SizeWindow(*widthPx, *heightPx);
    if (auto w = NearestInt16(twipsW / tppX)) ScreenWidthPx = *w;
    if (auto h = NearestInt16(twipsH / tppY)) ScreenHeightPx = *h;
    port_.MoveWindow(0, 0);

    // 4-5: the background, drawn at random when chosen (memory only).
    if (settings_.BackColorRandom == 1) {
        Reseed();
        settings_.BackColor = DrawBackColor(random_);
    }
    port_.SetBackColor(settings_.BackColor);

    // 6: a random picture size between an eighth and a quarter of the width.
    if (settings_.SizeRandom == 1) {
        if (auto v = FloorInt16(twipsW / tppX / 4)) MaxPictureSize = *v;
        if (auto v = FloorInt16(twipsW / tppX / 8)) MinPictureSize = *v;
        Reseed();
        settings_.PictureSize = RandomPictureSize(MinPictureSize, MaxPictureSize, random_.Next());
    }

    // 7-9: twelve pictures of that size, circles when chosen.
    port_.SizePicture(0, settings_.PictureSize);
    for (int i = 1; i < Count(); ++i) port_.CreatePicture(i);
    if (settings_.Shape == 1) {
        for (int i = 0; i < Count(); ++i) ApiResult = port_.SetPictureEllipse(i, settings_.PictureSize);
    }

    // 10-14: placed, coloured and drawn at angle 0.
    Make_Cells();
    Center_Pictures();
    CurrentAngle = 0;
    Reseed();
    New_Colours();
    Draw_Pictures();
    SecondCount = 0;

    // 15: the music.
    StartMusic();

    // 16: where the pointer stands now; moving it on both axes ends the saver.
    int32_t x = 0, y = 0;
    const bool read = port_.ReadCursor(x, y);
    ApiResult = read ? 1 : 0;
    if (read) {
        if (auto v = ToInt16(x)) StartCursorX = *v;
        if (auto v = ToInt16(y)) StartCursorY = *v;
    }

    // 17-19: shown (and so active), then topmost without activating it again.
    port_.ShowWindowNormal();
    ApiResult = port_.MakeTopmost();
    // The other monitors are covered as the saver appears.
    Place_Covers();
}

void Lvx_S::Place_Covers() {
    std::vector<ScreenRect> monitors;
    ScreenRect primary;
    port_.ReadMonitors(monitors, primary);
    port_.PlaceCovers(CoverRects(monitors, primary));
}

void Lvx_S::Display_Change() {
    if (!ended_) Place_Covers();
}

void Lvx_S::Display_Power(bool on) { displayOn_ = on; }

void Lvx_S::Screen_Resized(int16_t widthPx, int16_t heightPx, int16_t pictureSize) {
    ScreenWidthPx = widthPx;
    ScreenHeightPx = heightPx;
    if (settings_.SizeRandom == 1) {
        MaxPictureSize = static_cast<int16_t>(widthPx / 4);
        MinPictureSize = static_cast<int16_t>(widthPx / 8);
        Reseed();
        pictureSize = RandomPictureSize(MinPictureSize, MaxPictureSize, random_.Next());
    }
    settings_.PictureSize = pictureSize;
    Make_Cells();
    ApplyPictureSize();
}

void Lvx_S::StartMusic() {
    if (settings_.BgmKind == 1) {
        sound_.Open_CD();
        timer2Enabled_ = true;
        port_.EnableTimer(kTimer2, true);
    } else if (settings_.BgmKind == 2) {
        switch (FileMusicKind(settings_.BgmFile)) {
            case MusicFile::Wav:
                sound_.Play_WAV();
                break;
            case MusicFile::Mp3:
                sound_.Play_MP3();
                // Also when the file did not open: the loop check copes.
                port_.EnableTimer(kTimer1, true);
                break;
            case MusicFile::Other:
                break;
        }
    }
}

void Lvx_S::Make_Cells() {
    const CellGrid grid = MakeCellGrid(ScreenWidthPx, ScreenHeightPx);
    CellWidth = grid.CellWidth;
    CellHeight = grid.CellHeight;
    CellX = grid.CellX;
    CellY = grid.CellY;
}

void Lvx_S::Center_Pictures() {
    CellGrid grid;
    grid.CellWidth = CellWidth;
    grid.CellHeight = CellHeight;
    grid.CellX = CellX;
    grid.CellY = CellY;
    for (int i = 0; i < Count(); ++i) {
        const PicturePlace place = CenterInCell(grid, i, settings_.PictureSize);
        port_.MovePicture(i, place.left, place.top);
    }
}

void Lvx_S::New_Colours() {
    for (int i = 0; i < Count(); ++i) {
        const auto k = static_cast<size_t>(i);
        if (!DrawPictureColours(settings_.Gradation, random_, PictureColor1[k], PictureColor2[k])) return;
    }
}

void Lvx_S::Draw_Pictures() {
    // The colours as the gradient resolves them, for a port that paints the
    // whole pass itself; it leaves the gradient as drawing one by one does.
    std::array<int32_t, kPictureSlots> color1{}, color2{};
    Gradient.Angle(CurrentAngle);
    for (int i = 0; i < Count(); ++i) {
        const auto k = static_cast<size_t>(i);
        Gradient.Color1(PictureColor1[k]);
        Gradient.Color2(PictureColor2[k]);
        color1[k] = Gradient.Color1();
        color2[k] = Gradient.Color2();
    }
    if (port_.DrawPass(Gradient.Angle(), color1, color2, Count())) return;
    for (int i = 0; i < Count(); ++i) {
        const auto k = static_cast<size_t>(i);
        Gradient.Angle(CurrentAngle);
        Gradient.Color1(PictureColor1[k]);
        Gradient.Color2(PictureColor2[k]);
        Gradient.Draw(port_.PictureTarget(i));
        port_.RefreshPicture(i);
    }
}

bool Lvx_S::MouseMoved() {
    int32_t x = 0, y = 0;
    if (port_.ReadCursor(x, y)) {
        ApiResult = 1;
        cursorX_ = x;
        cursorY_ = y;
    } else {
        ApiResult = 0;
    }
    return cursorX_ != StartCursorX && cursorY_ != StartCursorY;
}

void Lvx_S::Rotate_Begin() {
    cursorX_ = 0;
    cursorY_ = 0;
}

bool Lvx_S::Rotate_Step() {
    CurrentAngle += 1.0f;
    if (CurrentAngle >= 360.0f) CurrentAngle = 0;
    Draw_Pictures();
    port_.PassDrawn(++passes_);
    if (MouseMoved()) {
        End_Saver();
        return false;
    }
    return true;
}

void Lvx_S::Rotate_Loop() {
    Rotate_Begin();
    for (;;) {
        if (!Rotate_Step()) return;
        // Until the next frame is due, serve events as they come; a pointer
        // that moves meanwhile ends the saver at once, not a frame later.
        // While the display is off no frame is wanted: events alone wake it.
        for (;;) {
            const SaverPort::Wake wake = port_.WaitFrameOrEvents(displayOn_);
            port_.PumpEvents();
            if (ended_) return;
            if (wake == SaverPort::Wake::Frame && displayOn_) break;
            if (MouseMoved()) {
                End_Saver();
                return;
            }
        }
    }
}

void Lvx_S::Timer1_Timer() { sound_.Timer1_Timer(); }

void Lvx_S::Timer2_Timer() {
    timer2Enabled_ = sound_.Timer2_Timer();
    port_.EnableTimer(kTimer2, timer2Enabled_);
}

void Lvx_S::Timer3_Timer() {
    // A count that would leave 16 bits stays where it is.
    if (SecondCount < std::numeric_limits<int16_t>::max()) ++SecondCount;
    if (SecondCount <= settings_.ColorInterval) return;
    SecondCount = 0;

    if (settings_.BackColorRandom == 1) {
        Reseed();
        settings_.BackColor = DrawBackColor(random_);
        port_.SetBackColor(settings_.BackColor);
    }
    if (settings_.SizeRandom == 1) {
        Reseed();
        settings_.PictureSize = RandomPictureSize(MinPictureSize, MaxPictureSize, random_.Next());
        ApplyPictureSize();
    }
    Reseed();
    New_Colours();
}

void Lvx_S::ApplyPictureSize() {
    for (int i = 0; i < Count(); ++i) port_.SizePicture(i, settings_.PictureSize);
    if (settings_.Shape == 1) {
        for (int i = 0; i < Count(); ++i) ApiResult = port_.SetPictureEllipse(i, settings_.PictureSize);
    }
    Center_Pictures();
}

void Lvx_S::Form_KeyDown(int16_t keyCode, int16_t) {
    if (settings_.BgmKind == 1 && keyCode == kKeyLeft) {
        sound_.Prev_Track();
    } else if (settings_.BgmKind == 1 && keyCode == kKeyRight) {
        sound_.Next_Track();
    } else {
        End_Saver();
    }
}

void Lvx_S::PicDraw_MouseDown(int16_t, int16_t, int16_t, float, float) { End_Saver(); }

void Lvx_S::Form_QueryUnload() {}

void Lvx_S::End_Saver() {
    // The password dialog serves events while it is open: a click on a
    // picture then must not open a second dialog over the first.
    if (inEndSaver_ || ended_) return;
    inEndSaver_ = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inEndSaver_};

    if (saverMode_ && Is_WinNT(app_) == kFalse) {
        app_.ShowCursor(true);
        const int32_t verdict = port_.VerifyPassword();
        ApiResult = verdict;
        if (verdict == 0) {
            app_.ShowCursor(false);
            return;
        }
    }
    if (timer2Enabled_) {
        timer2Enabled_ = false;
        port_.EnableTimer(kTimer2, false);
        sound_.Close_CD();
    }
    if (settings_.BgmKind == 2) {
        switch (FileMusicKind(settings_.BgmFile)) {
            case MusicFile::Wav:
                sound_.Stop_WAV();
                break;
            case MusicFile::Mp3:
                sound_.Stop_MP3();
                break;
            case MusicFile::Other:
                break;
        }
    }
    if (saverMode_) {
        Clear_Saver_Flag(kTrue, app_);
        app_.ShowCursor(true);
    }
    ApiResult = app_.SetSystemParameter(SPI_SETSCREENSAVEACTIVE, 1);
    port_.UnloadWindow();
    ended_ = true;
    app_.EndProgram();
}

}  // namespace lvx
