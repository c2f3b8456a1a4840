// The settings dialog Lvx_P without its window: what every image shows, which
// controls are enabled, the spinners and label texts, and the event routines
// that change them and the shared Settings. The Windows shell paints this
// state and forwards the mouse to it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/lvx_p_layout.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

namespace lvx::dialog {

// The pictures of the stores that an image can show.
enum class Picture : uint8_t { None, HH, Off, On, OptOff, OptOn, Ra0, Ra1 };

// A file picked in the music-file chooser, in code page 932: the full path
// when the code page can hold it, and the short (8.3) form when the volume
// has one that it can hold.
struct ChosenFile {
    std::optional<std::string> path;
    std::optional<std::string> shortPath;
};

// What the dialog needs of the platform.
class DialogPort {
public:
    virtual ~DialogPort() = default;
    // GetCursorPos in screen pixels.
    virtual bool CursorPosition(int32_t& x, int32_t& y) = 0;
    // Zoom_Open with the dialog's window (the open point is already stored).
    virtual void ZoomOpen() = 0;
    virtual int32_t SysColor(int32_t index) = 0;
    // The system colour dialog with these custom colours; true and the colour
    // when the user confirmed one.
    virtual bool ChooseColour(const std::array<int32_t, 16>& custom, int32_t& chosen) = 0;
    // The music-file chooser; nothing when cancelled or failed.
    virtual std::optional<ChosenFile> ChooseMusicFile() = 0;
    // The text the user left in the combo box BGM_Repeat (UTF-8).
    virtual std::string BgmRepeatText() = 0;
    // A warning message box, modal to the dialog (UTF-8).
    virtual void ShowMessage(std::string_view text) = 0;
    // Paints what has changed and handles pending window messages.
    virtual void DoEvents() = 0;
    virtual void SetBusyPointer(bool busy) = 0;
    virtual void OpenWebPage(std::string_view address) = 0;
    // Closes the dialog; its Form_Unload runs and the modal display returns.
    virtual void Unload() = 0;
    // Whether the dialog has been closed (for example while DoEvents ran).
    virtual bool IsUnloaded() = 0;
    // The work area (the screen less the taskbar) of the monitor that holds
    // the dialog's window, in screen pixels; nothing when it is not known.
    virtual std::optional<Box> WorkArea() = 0;
    // Moves the dialog's window (its outer frame) to this place and size.
    virtual void MoveWindow(const Box& outer) = 0;
};

// A vertical scroll bar used as a spinner: its larger value at the top.
struct Spinner {
    int32_t top = 60;
    int32_t bottom = 5;
    int32_t value = 5;
    // Rejects a value outside the range, as the control does.
    bool Set(int32_t v);
    // A new range; a value outside it moves to the nearer end.
    void SetRange(int32_t newTop, int32_t newBottom);
};

// Settings outside what the dialog can show (possible only in a hand-edited
// file), brought to what OK will save: the flags to 0 unless 1 (the saver
// treats nothing but 1 as on), the option groups to their defaults, the
// interval into 5..60 and the picture size into its spinner's range.
void NormaliseForDialog(Settings& s, int32_t sizeTop, int32_t sizeBottom);

// The path to store for a chosen music file: the full path, else its short
// form, as long as it reads back whole from the settings file (255 bytes);
// nothing when neither can be stored.
std::optional<std::string> MusicPathToStore(const ChosenFile& file);

// The warning for a save that did not reach the file.
std::string_view SaveFailureMessage(SaveFailure why);
// The warning for a music file whose name cannot be stored.
std::string_view MusicFileUnusableMessage();

class Lvx_P {
public:
    Lvx_P(Settings& settings, DialogPort& port, SettingsPort& files);

    // Set-up steps that need no window: normalisation, then steps 4 to 15,
    // 17 and 18 (the shell sizes, centres and paints the panels first).
    void Form_Load();

    // After a change of DPI that came with no place for the window: the
    // window, now outerW x outerH, centred on its monitor and wholly on it.
    void PlaceOnItsMonitor(int32_t outerW, int32_t outerH);

    // Option toggles and selections (the mouse arguments are ignored).
    void Img_P_Rdm_MouseDown() { ToggleFlag(settings_.SizeRandom, "Img_P_Rdm"); }
    void lbl_P_Rdm_MouseDown() { ToggleFlag(settings_.SizeRandom, "Img_P_Rdm"); }
    void Img_B_Rdm_MouseDown() { ToggleFlag(settings_.BackColorRandom, "Img_B_Rdm"); }
    void lbl_B_Rdm_MouseDown() { ToggleFlag(settings_.BackColorRandom, "Img_B_Rdm"); }
    void Img_BGM_MouseDown(int index) { SelectMusicKind(index); }
    void lbl_BGM_MouseDown(int index) { SelectMusicKind(index); }
    void Img_Gra_MouseDown(int index) { SelectGradation(index); }
    void lbl_Gra_MouseDown(int index) { SelectGradation(index); }
    void Img_Shape_MouseDown(int index) { SelectShape(index); }
    void lbl_Shape_MouseDown(int index) { SelectShape(index); }
    void Scroll_Size_Change();
    void Scroll_Intv_Change();

    // Buttons, choosers and the link.
    void lbl_Button_MouseDown(int index);
    void lbl_Button_MouseUp(int index);
    void lbl_B_C_Click();
    void Choose_BGM_File();
    void lbl_URL_Click();

    // The mouse as the shell sees it: a press on an item (any button), the
    // second press of a double click, and a release. The release belongs to
    // the item that was pressed; a click is a left press and release on the
    // same item.
    void PointerDown(int item);
    void PointerDoubleClick();
    void PointerUp(int itemUnderPointer, bool leftButton);

    // A spinner's new value from its arrows (or keys); out-of-range values
    // and unchanged values do nothing.
    void SpinSize(int32_t value);
    void SpinIntv(int32_t value);

    // What the shell shows.
    Picture PictureOf(int item) const { return pictures_[static_cast<size_t>(item)]; }
    bool Enabled(int item) const { return enabled_[static_cast<size_t>(item)]; }
    const std::string& TextOf(int item) const;  // UTF-8, or code page 932 for lbl_Fname
    bool BgmRepeatEnabled() const { return bgmRepeatEnabled_; }
    const std::string& BgmRepeatInitialText() const { return bgmRepeatText_; }
    const std::vector<std::string>& BgmRepeatList() const { return bgmRepeatList_; }
    const Spinner& ScrollSize() const { return scrollSize_; }
    const Spinner& ScrollIntv() const { return scrollIntv_; }
    int32_t SwatchColor() const { return swatchColor_; }

    // The four values the writer takes from the controls.
    DialogValues ValuesForSave();

private:
    void ToggleFlag(int16_t& flag, std::string_view image);
    void SelectMusicKind(int k);
    void SelectGradation(int k);
    void SelectShape(int k);
    void Show(std::string_view image, int index, Picture picture);
    void SetText(std::string_view label, std::string text);
    void Save();

    Settings& settings_;
    DialogPort& port_;
    SettingsPort& files_;
    std::vector<Picture> pictures_;
    std::vector<bool> enabled_;
    std::vector<std::string> texts_;
    bool bgmRepeatEnabled_ = false;
    std::string bgmRepeatText_;
    std::vector<std::string> bgmRepeatList_;
    Spinner scrollSize_{};
    Spinner scrollIntv_{};
    int32_t swatchColor_ = 0;
    int pressedItem_ = -1;
};

}  // namespace lvx::dialog
