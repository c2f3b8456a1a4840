// The X11 hack's shell: Lvx_S running in a window it is given (or one of its
// own), its twelve pictures composed in memory and put with MIT-SHM, paced to
// the display's refresh on an absolute clock.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/program_port.h"
#include "render/cls_gradient.h"
#include "saver/frame_compose.h"
#include "saver/lvx_s.h"
#include "saver/x11/visual_pixels.h"
#include "saver/saver_port.h"
#include "saver/x11/hack_pacing.h"

namespace lvx::x11 {

// Set by SIGTERM / SIGINT; the event wait wakes on it. A SIGINT the parent
// set to be ignored stays ignored.
void InstallStopSignals();
bool StopRequested();

// What the saver needs of the program: nothing to hide or switch off on X11.
class X11ProgramPort final : public ProgramPort {
public:
    void ShowCursor(bool) override {}
    int32_t QueryVersion(int32_t, int32_t& platformId) override {
        platformId = 2;  // no 9x password rules here
        return 1;
    }
    int32_t SetSystemParameter(uint32_t, int32_t) override { return 1; }
    void EndProgram() override {}
};

// The gradient as the saver's object needs it: its system colours. The
// pictures themselves are painted whole, a pass at a time, by the frame
// compositor (X11SaverPort::DrawPass): drawn one by one there is no surface,
// and Draw finds nothing to draw on.
class X11GradientPort final : public GradientPort {
public:
    int32_t SystemColor(int32_t index) override;
    void LockUpdates(GdiHandle) override {}
    bool ReadClientRect(GdiHandle, int32_t&, int32_t&) override { return false; }
    GdiHandle CreateSolidPen(int32_t) override { return 0; }
    GdiHandle SelectIntoDc(GdiHandle, GdiHandle) override { return 0; }
    void MoveTo(GdiHandle, int32_t, int32_t) override {}
    void DrawLineTo(GdiHandle, int32_t, int32_t) override {}
    void DeletePen(GdiHandle) override {}
    void ShowWarning(std::string_view text, std::string_view title) override;
    bool OpenPixels(GdiHandle, PixelSurface&) override { return false; }
};

struct X11Target {
    enum class Kind { Own, Root, Given };
    Kind kind = Kind::Own;
    unsigned long window = 0;  // Given: the window id
    std::string display;       // empty: $DISPLAY
    std::string geometry;      // Own: WxH+X+Y, empty for 1024 x 768 at the origin
    std::string visual;        // Own: default, best, truecolor or an id; empty: default
};

class X11SaverPort final : public SaverPort {
public:
    X11SaverPort() = default;
    ~X11SaverPort() override;
    X11SaverPort(const X11SaverPort&) = delete;
    X11SaverPort& operator=(const X11SaverPort&) = delete;

    // Opens the display and the window; false with error set when either fails.
    bool Open(const X11Target& target, std::string& error);
    // -background with a colour name: 0x00BBGGRR, or false when unknown.
    bool LookUpColour(const std::string& name, int32_t& color);
    // The least time between passes; never faster than the refresh of the
    // monitor that shows most of the window.
    void SetPacing(long delayMicroseconds);
    // stderrStats: the first frame's time and the frame rate once a second on
    // stderr (for measurements); overlay: the frame rate drawn on the picture.
    void SetFrameRateReport(bool stderrStats, bool overlay, int64_t startMicroseconds);
    // True when the saver ended because its window could not be served.
    bool Failed() const { return failed_; }
    // Events go to this saver; sizeFor gives the picture size for a width.
    void Attach(Lvx_S* saver, std::function<int16_t(int32_t)> sizeFor) {
        saver_ = saver;
        sizeFor_ = std::move(sizeFor);
    }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    double RefreshHz() const { return refreshHz_; }
    int64_t PassPeriodUs() const { return periodUs_; }
    bool UsesShm() const { return shm_; }

    void ScreenTwips(double& width, double& height) override;
    void TwipsPerPixel(double& x, double& y) override;
    void SizeWindow(int32_t, int32_t) override {}
    void MoveWindow(int32_t, int32_t) override {}
    void SetBackColor(int32_t color) override;
    void ShowWindowNormal() override;
    int32_t MakeTopmost() override { return 1; }
    void UnloadWindow() override;
    void ReadMonitors(std::vector<ScreenRect>& monitors, ScreenRect& primary) override;
    void PlaceCovers(const std::vector<ScreenRect>&) override {}
    void CreatePicture(int index) override;
    void SizePicture(int index, int32_t size) override;
    int32_t SetPictureEllipse(int index, int32_t size) override;
    void MovePicture(int index, double left, double top) override;
    GradientTarget& PictureTarget(int index) override;
    void RefreshPicture(int index) override;
    void EnableTimer(int, bool) override {}
    bool ReadCursor(int32_t&, int32_t&) override { return false; }
    Wake WaitFrameOrEvents(bool frameWanted) override;
    void PumpEvents() override;
    void PassDrawn(uint64_t passes) override;
    int32_t VerifyPassword() override { return 1; }
    uint64_t ClockReading() override;

    bool DrawPass(float angle, const std::array<int32_t, kPictureSlots>& color1,
                  const std::array<int32_t, kPictureSlots>& color2, int count) override;

private:
    struct Picture {
        bool exists = false;
        int32_t x = 0, y = 0;
        int32_t size = 0;
        bool ellipse = false;
    };

    // A picture's part of the window, composed in rows of its own width in
    // the frame's memory and put from an image of its own over that memory.
    struct Tile {
        int32_t x = 0, y = 0, width = 0, height = 0;
        XImage* image = nullptr;
    };

    bool MakeFrame(std::string& error);
    void FreeFrame();
    void Fill();
    void Put(int32_t x, int32_t y, int32_t w, int32_t h);
    // Lays the frame's memory out as one tile per picture shown, when they
    // fit in it; otherwise (or after FreeFrame) the frame is the window's.
    void MakeTiles();
    void FreeTiles();
    // Puts rows of pixels the compositor painted (stride in pixels) from
    // the image to the window, turned into the visual's pixels on the way.
    void PutRows(XImage* image, const uint32_t* painted, int32_t stride, int32_t srcX, int32_t srcY, int32_t dstX,
                 int32_t dstY, int32_t w, int32_t h);
    // The background everywhere outside the tiles.
    void FillAroundTiles();
    void Present();
    void Resized(int32_t w, int32_t h);
    void ReportFps();
    void DrawFrameRate();
    bool OpenOwnWindow(const X11Target& target, Window root, std::string& error);
    // The monitors from RandR and the window's place on the root: the pass
    // period follows the monitor that shows most of it.
    void FollowRefresh();

    Display* display_ = nullptr;
    Window window_ = 0;
    bool ownWindow_ = false;
    Atom deleteWindow_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo shmInfo_{};
    bool shm_ = false;
    bool shmAvailable_ = false;
    int32_t width_ = 0, height_ = 0;
    int32_t back_ = 0;
    std::array<Picture, kPictureSlots> pictures_{};
    HandleTarget noSurface_{1, 1};
    // The frame as the compositor paints it (0x00RRGGBB): the image's own
    // memory when the visual stores pixels that way, else composed_, turned
    // into the visual's pixels as it is put.
    FrameComposer composer_;
    FrameScene scene_;
    PixelSurface frame_;
    std::vector<uint32_t> composed_;
    // Pictures put one by one from memory of their own rows, as a fill of
    // the same pixels would be: writing them costs what their pixels cost,
    // and the server copies each with one memcpy per row. Empty: the frame
    // is composed and put whole (pictures too large for its memory).
    std::vector<Tile> tiles_;
    std::vector<FrameRegion> regions_;
    VisualPixels pixels_;
    // The frame must be filled with the background before the next pictures
    // are drawn into it / must be put whole.
    bool needFill_ = true;
    bool fullPut_ = true;
    bool dirty_ = false;
    bool closed_ = false;
    bool failed_ = false;
    int wakeRead_ = -1;
    Window root_ = 0;
    Colormap colormap_ = 0;
    bool randr_ = false;
    int randrEvent_ = 0;

    Lvx_S* saver_ = nullptr;
    std::function<int16_t(int32_t)> sizeFor_;

    double refreshHz_ = 60;
    long delayUs_ = hack::kDefaultDelayMicroseconds;
    int64_t periodUs_ = 16667;
    int64_t clockStartUs_ = 0;
    int64_t nextFrameUs_ = 0;
    int64_t nextTickUs_ = 0;

    bool fps_ = false;  // the stderr report
    bool overlay_ = false;
    GC overlayGc_ = nullptr;
    XFontStruct* font_ = nullptr;
    double lastFps_ = 0;
    int64_t startUs_ = 0;
    bool firstShown_ = false;
    int64_t fpsWindowUs_ = 0;
    uint64_t fpsFrames_ = 0;
    double fpsCpu_ = 0;
};

// Microseconds on the monotonic clock.
int64_t NowMicroseconds();

}  // namespace lvx::x11
