// The full-screen saver window on Windows: Lvx_S with its twelve pictures,
// the real SaverPort the saver's logic runs on.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "render/win32/gradient_port_win32.h"
#include "saver/lvx_s.h"
#include "saver/win32/frame_pacer_win32.h"
#include "settings/settings.h"

namespace lvx::win32 {

// Loads the saver window and runs it; the saver's ending ends the process.
// saverMode: started with "S" (password and cursor rules of the ending).
void Lvx_S_Run(Settings& settings, bool saverMode);

// The window property in which the saver counts its passes, for the tests and
// the soak script that watch it from outside.
inline constexpr wchar_t kPassesProperty[] = L"Lvx_S_Passes";

class Win32SaverPort final : public SaverPort {
public:
    // Creates the window (hidden, captioned "Lumvex_K47_Main"), PicDraw(0)
    // and the running Timer3, as the window's design has them.
    Win32SaverPort();
    ~Win32SaverPort() override;
    Win32SaverPort(const Win32SaverPort&) = delete;
    Win32SaverPort& operator=(const Win32SaverPort&) = delete;

    bool Created() const { return form_ != nullptr; }
    HWND Window() const { return form_; }
    // Events go to this saver from now on.
    void Attach(Lvx_S* saver) { saver_ = saver; }
    // Serves events until the process ends: the window once its loop is over.
    void RunEvents();

    void ScreenTwips(double& width, double& height) override;
    void TwipsPerPixel(double& x, double& y) override;
    void SizeWindow(int32_t width, int32_t height) override;
    void MoveWindow(int32_t left, int32_t top) override;
    void SetBackColor(int32_t color) override;
    void ShowWindowNormal() override;
    int32_t MakeTopmost() override;
    void UnloadWindow() override;
    void ReadMonitors(std::vector<ScreenRect>& monitors, ScreenRect& primary) override;
    void PlaceCovers(const std::vector<ScreenRect>& covers) override;
    void CreatePicture(int index) override;
    void SizePicture(int index, int32_t size) override;
    int32_t SetPictureEllipse(int index, int32_t size) override;
    void MovePicture(int index, double left, double top) override;
    GradientTarget& PictureTarget(int index) override;
    void RefreshPicture(int index) override;
    void EnableTimer(int timer, bool enabled) override;
    bool ReadCursor(int32_t& x, int32_t& y) override;
    Wake WaitFrameOrEvents(bool frameWanted) override;
    void PumpEvents() override;
    void PassDrawn(uint64_t passes) override;
    int32_t VerifyPassword() override;
    uint64_t ClockReading() override;

private:
    // A picture's window and surface. While passes come, a new size, place
    // or outline waits here until the pass draws the picture, so the screen
    // changes from the old picture straight to the new one.
    struct Picture {
        HWND window = nullptr;
        std::unique_ptr<PictureSurface> surface;
        std::optional<int32_t> newSize;
        std::optional<POINT> newPlace;
        HRGN newOutline = nullptr;
    };

    static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnFormMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPictureMessage(int index, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCoverMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static bool IsKeyMessage(UINT message);
    LRESULT ForwardKey(UINT message, WPARAM wParam, LPARAM lParam);
    // Display on or off, from a power-setting notification's data.
    void OnPowerSetting(const void* setting);
    // The saver draws while neither signal says the display is off.
    void TellDisplayPower();
    void PaintBackground(HWND window, HDC dc);
    HWND MakePicture(int index, int x, int y, int width, int height);
    bool IsOurs(HWND window) const;
    // Keys pressed over any window of the saver reach the form.
    void Route(MSG& msg);
    Picture* At(int index);
    // Gives the picture its waiting size, place and outline.
    void ApplyGeometry(Picture& p);
    // Gives every picture what waits for it, all in one step.
    void ApplyAllGeometry();
    void ApplyGeometry(Picture* first, Picture* last);
    // Erases what the pictures left and shows every picture, once a pass
    // that changed their geometry has drawn them all.
    void ShowHeldPictures();
    void GeometryChanged(Picture& p);

    HWND form_ = nullptr;
    std::array<Picture, kPictureSlots> pictures_{};
    std::vector<HWND> covers_;
    HBRUSH backBrush_ = nullptr;
    // The display-state notification (Vista and later), looked up at run time.
    void* powerNotification_ = nullptr;
    // Off as the display-state notification tells it, and off as the older
    // SC_MONITORPOWER tells it, which any input ends.
    bool offByState_ = false;
    bool offByHint_ = false;
    // A pass changed the pictures' geometry: their presents and the erase of
    // the background they left wait for the pass's last picture.
    bool holdPresents_ = false;
    HRGN heldErase_ = nullptr;
    Lvx_S* saver_ = nullptr;
    // Passes still come to draw the pictures (false once the loop is over).
    bool framesComing_ = true;
    FramePacer pacer_;
};

}  // namespace lvx::win32
