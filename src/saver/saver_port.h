// What the running saver needs of the platform: its window and twelve
// pictures, the timers, the pointer, the event pump with its frame clock, the
// password check and a clock to seed from. Positions and sizes are pixels.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "saver/saver_layout.h"

namespace lvx {

class GradientTarget;

class SaverPort {
public:
    virtual ~SaverPort() = default;

    // The screen's size in twips and its twips per pixel on each axis.
    virtual void ScreenTwips(double& width, double& height) = 0;
    virtual void TwipsPerPixel(double& x, double& y) = 0;

    // The saver window.
    virtual void SizeWindow(int32_t width, int32_t height) = 0;
    virtual void MoveWindow(int32_t left, int32_t top) = 0;
    virtual void SetBackColor(int32_t color) = 0;
    // Shows it in its normal state, which activates it.
    virtual void ShowWindowNormal() = 0;
    // Above every window that is not topmost, without moving, sizing or
    // activating it; the platform's result.
    virtual int32_t MakeTopmost() = 0;
    // Destroys the window with its pictures and covers.
    virtual void UnloadWindow() = 0;

    // The monitors of the virtual screen and the primary one's rectangle.
    virtual void ReadMonitors(std::vector<ScreenRect>& monitors, ScreenRect& primary) = 0;
    // Borderless topmost windows of exactly these rectangles, below the saver
    // window and filled with its background colour: added, moved or removed
    // so that there is one per rectangle.
    virtual void PlaceCovers(const std::vector<ScreenRect>& covers) = 0;

    // Pictures 0..11. Picture 0 exists from the start; CreatePicture makes
    // picture i a visible copy of picture 0 (size and properties).
    virtual void CreatePicture(int index) = 0;
    // Sets width and height; the picture's drawing surface follows.
    virtual void SizePicture(int index, int32_t size) = 0;
    // Clips the picture to the ellipse (0, 0)-(size, size) and redraws it; the
    // platform's result. The region belongs to the picture from then on.
    virtual int32_t SetPictureEllipse(int index, int32_t size) = 0;
    // Places the picture; a half pixel reaches the platform as it is.
    virtual void MovePicture(int index, double left, double top) = 0;
    // What Draw paints on, and the refresh that shows the new drawing.
    virtual GradientTarget& PictureTarget(int index) = 0;
    virtual void RefreshPicture(int index) = 0;
    // A port that paints its whole frame in memory (frame_compose.h) takes
    // a pass's pictures here in one call: the angle and the resolved colours
    // (0x00BBGGRR) of pictures 0 to count - 1. True when it took them; the
    // pictures are then not drawn one by one through PictureTarget.
    virtual bool DrawPass(float angle, const std::array<int32_t, kPictureSlots>& color1,
                          const std::array<int32_t, kPictureSlots>& color2, int count) {
        (void)angle, (void)color1, (void)color2, (void)count;
        return false;
    }

    // Timer1 (1000 ms, MP3 loop), Timer2 (200 ms, CD poll), Timer3 (1000 ms,
    // seconds). Their ticks arrive only from PumpEvents.
    virtual void EnableTimer(int timer, bool enabled) = 0;

    // The pointer in screen pixels; false when it cannot be read.
    virtual bool ReadCursor(int32_t& x, int32_t& y) = 0;

    // Blocks until the next displayed frame is due (only when a frame is
    // wanted; otherwise for events alone) or until events are pending,
    // whichever comes first.
    enum class Wake { Frame, Events };
    virtual Wake WaitFrameOrEvents(bool frameWanted) = 0;
    // Serves every pending event: timer ticks, keys, clicks, painting.
    virtual void PumpEvents() = 0;
    // Told after every pass, with the number of passes so far.
    virtual void PassDrawn(uint64_t passes) = 0;

    // The screen-saver password dialog of the 9x family, owned by the saver
    // window: non-zero lets the saver end. 0 when it cannot be called.
    virtual int32_t VerifyPassword() = 0;

    // The time of day at the finest resolution the platform has.
    virtual uint64_t ClockReading() = 0;
};

}  // namespace lvx
