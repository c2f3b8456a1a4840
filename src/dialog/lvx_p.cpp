#include "dialog/lvx_p.h"

#include <algorithm>
#include <cmath>

#include "dialog/zoom.h"

namespace lvx::dialog {

bool Spinner::Set(int32_t v) {
    if (v > top || v < bottom) return false;
    value = v;
    return true;
}

void Spinner::SetRange(int32_t newTop, int32_t newBottom) {
    top = newTop;
    bottom = newBottom;
    value = std::clamp(value, std::min(bottom, top), std::max(bottom, top));
}

void NormaliseForDialog(Settings& s, int32_t sizeTop, int32_t sizeBottom) {
    auto flag = [](int16_t& f) {
        if (f != 1) f = 0;
    };
    flag(s.SizeRandom);
    flag(s.BackColorRandom);
    if (s.BgmKind < 0 || s.BgmKind > 2) s.BgmKind = 0;
    if (s.Gradation < 0 || s.Gradation > 2) s.Gradation = 1;
    if (s.Shape < 0 || s.Shape > 1) s.Shape = 0;
    s.ColorInterval = static_cast<int16_t>(std::clamp<int32_t>(s.ColorInterval, 5, 60));
    if (sizeBottom <= sizeTop) {
        s.PictureSize = static_cast<int16_t>(std::clamp<int32_t>(s.PictureSize, sizeBottom, sizeTop));
    }
}

std::optional<std::string> MusicPathToStore(const ChosenFile& file) {
    // The settings file gives back at most 255 bytes of a value.
    auto storable = [](const std::optional<std::string>& p) {
        return p && !p->empty() && p->size() <= 255 && p->find('\0') == std::string::npos;
    };
    if (storable(file.path)) return file.path;
    if (storable(file.shortPath)) return file.shortPath;
    return std::nullopt;
}

std::string_view SaveFailureMessage(SaveFailure why) {
    switch (why) {
        case SaveFailure::CannotRead:
            return "設定を保存できませんでした。\n\n"
                   "設定ファイルを読み込めません。ほかのプログラムが使用しているか、"
                   "読み取りが許可されていません。";
        case SaveFailure::ReadOnlyFile:
            return "設定を保存できませんでした。\n\n"
                   "設定ファイルが読み取り専用になっています。読み取り専用を解除してから、"
                   "もう一度「設定」を押してください。";
        case SaveFailure::CannotWrite:
        case SaveFailure::None:
            break;
    }
    return "設定を保存できませんでした。\n\n"
           "設定ファイルに書き込めません。フォルダーへの書き込みが許可されていないか、"
           "ディスクの空き領域が足りません。";
}

std::string_view MusicFileUnusableMessage() {
    return "このファイルは使えません。\n\n"
           "ファイルの場所が長すぎるか、設定ファイルに保存できない文字を含んでいます。"
           "ファイル名やフォルダー名を変えるか、別のファイルを選んでください。";
}

Lvx_P::Lvx_P(Settings& settings, DialogPort& port, SettingsPort& files)
    : settings_(settings), port_(port), files_(files) {
    pictures_.assign(kItems.size(), Picture::None);
    enabled_.assign(kItems.size(), true);
    for (const ItemDef& item : kItems) texts_.emplace_back(item.text);
}

const std::string& Lvx_P::TextOf(int item) const { return texts_[static_cast<size_t>(item)]; }

void Lvx_P::Show(std::string_view image, int index, Picture picture) {
    const int item = FindItem(image, index);
    if (item >= 0) pictures_[static_cast<size_t>(item)] = picture;
}

void Lvx_P::SetText(std::string_view label, std::string text) {
    const int item = FindItem(label);
    if (item >= 0) texts_[static_cast<size_t>(item)] = std::move(text);
}

void Lvx_P::PlaceOnItsMonitor(int32_t outerW, int32_t outerH) {
    // Where the platform knows no monitor, the window stays where it is.
    const std::optional<Box> area = port_.WorkArea();
    if (!area) return;
    port_.MoveWindow(CentredInside(*area, outerW, outerH));
}

void Lvx_P::Form_Load() {
    const double widthPx = files_.ScreenWidthPx();
    const auto sizeTop = static_cast<int32_t>(std::floor(widthPx / 4));
    const auto sizeBottom = static_cast<int32_t>(std::floor(widthPx / 8));
    NormaliseForDialog(settings_, sizeTop, sizeBottom);

    for (int i = 0; i < 5; ++i) Show("Img_H", i, Picture::HH);
    for (int i = 0; i < 3; ++i) {
        Show("Img_Button", i, Picture::Off);
        Show("Img_BGM", i, Picture::OptOff);
        Show("Img_Gra", i, Picture::OptOff);
    }
    Show("Img_BGM", settings_.BgmKind, Picture::OptOn);
    Show("Img_Gra", settings_.Gradation, Picture::OptOn);
    bgmRepeatEnabled_ = settings_.BgmKind == 1;
    enabled_[static_cast<size_t>(FindItem("lbl_Button", 2))] = settings_.BgmKind == 2;
    bgmRepeatText_ = RepeatText(settings_.BgmRepeat);
    bgmRepeatList_ = RepeatList();

    const int32_t before = scrollSize_.value;
    scrollSize_.SetRange(sizeTop, sizeBottom);
    if (scrollSize_.value != before) Scroll_Size_Change();

    Show("Img_P_Rdm", -1, settings_.SizeRandom == 1 ? Picture::Ra1 : Picture::Ra0);
    Show("Img_B_Rdm", -1, settings_.BackColorRandom == 1 ? Picture::Ra1 : Picture::Ra0);
    SetText("lbl_Fname", settings_.BgmFile);
    SpinSize(settings_.PictureSize);
    SetText("lbl_Size", std::to_string(settings_.PictureSize));
    SpinIntv(settings_.ColorInterval);
    SetText("lbl_Intv", IntervalText(settings_.ColorInterval));
    swatchColor_ = settings_.BackColor;
    Show("Img_Shape", settings_.Shape, Picture::OptOn);
    Show("Img_Shape", settings_.Shape ^ 1, Picture::OptOff);

    int32_t x = 0, y = 0;
    const bool found = port_.CursorPosition(x, y);
    ApiResult = found ? 1 : 0;
    OpenPointX = found ? static_cast<int16_t>(x) : int16_t{0};
    OpenPointY = found ? static_cast<int16_t>(y) : int16_t{0};
    port_.ZoomOpen();
}

void Lvx_P::ToggleFlag(int16_t& flag, std::string_view image) {
    Show(image, -1, (flag ^ 1) == 1 ? Picture::Ra1 : Picture::Ra0);
    flag = static_cast<int16_t>(flag ^ 1);
}

void Lvx_P::SelectMusicKind(int k) {
    enabled_[static_cast<size_t>(FindItem("lbl_Button", 2))] = false;
    bgmRepeatEnabled_ = false;
    for (int i = 0; i < 3; ++i) Show("Img_BGM", i, Picture::OptOff);
    Show("Img_BGM", k, Picture::OptOn);
    if (k == 1) bgmRepeatEnabled_ = true;
    if (k == 2) enabled_[static_cast<size_t>(FindItem("lbl_Button", 2))] = true;
    settings_.BgmKind = static_cast<int16_t>(k);
}

void Lvx_P::SelectGradation(int k) {
    for (int i = 0; i < 3; ++i) Show("Img_Gra", i, Picture::OptOff);
    Show("Img_Gra", k, Picture::OptOn);
    settings_.Gradation = static_cast<int16_t>(k);
}

void Lvx_P::SelectShape(int k) {
    Show("Img_Shape", k, Picture::OptOn);
    Show("Img_Shape", k ^ 1, Picture::OptOff);
    settings_.Shape = static_cast<int16_t>(k);
}

void Lvx_P::Scroll_Size_Change() { SetText("lbl_Size", std::to_string(scrollSize_.value)); }

void Lvx_P::Scroll_Intv_Change() { SetText("lbl_Intv", IntervalText(scrollIntv_.value)); }

void Lvx_P::SpinSize(int32_t value) {
    if (value != scrollSize_.value && scrollSize_.Set(value)) Scroll_Size_Change();
}

void Lvx_P::SpinIntv(int32_t value) {
    if (value != scrollIntv_.value && scrollIntv_.Set(value)) Scroll_Intv_Change();
}

void Lvx_P::lbl_Button_MouseDown(int index) { Show("Img_Button", index, Picture::On); }

void Lvx_P::lbl_Button_MouseUp(int index) {
    Show("Img_Button", index, Picture::Off);
    // The released picture is painted before the action starts.
    port_.DoEvents();
    // A close that came in meanwhile (the system close command) wins: its
    // user asked to leave without saving.
    if (port_.IsUnloaded()) return;
    switch (index) {
        case 0:
            Save();
            break;
        case 1:
            port_.Unload();
            break;
        case 2:
            Choose_BGM_File();
            break;
        default:
            break;
    }
}

void Lvx_P::Save() {
    SaveFailure why = SaveFailure::None;
    if (Set_ini_File(settings_, ValuesForSave(), files_, &why)) {
        port_.Unload();
        return;
    }
    // Closing as if saved would silently drop the user's choices: say why and
    // stay open, so the user can fix the cause or cancel.
    port_.ShowMessage(SaveFailureMessage(why));
}

DialogValues Lvx_P::ValuesForSave() {
    return {port_.BgmRepeatText(), scrollSize_.value, scrollIntv_.value, swatchColor_};
}

void Lvx_P::lbl_B_C_Click() {
    std::array<int32_t, 16> custom{};
    for (int32_t i = 0; i < 16; ++i) custom[static_cast<size_t>(i)] = port_.SysColor(i);
    int32_t chosen = 0;
    const bool confirmed = port_.ChooseColour(custom, chosen);
    ApiResult = confirmed ? 1 : 0;
    if (confirmed) swatchColor_ = chosen;
}

void Lvx_P::Choose_BGM_File() {
    std::optional<ChosenFile> file = port_.ChooseMusicFile();
    ApiResult = file ? 1 : 0;
    if (!file) return;
    std::optional<std::string> path = MusicPathToStore(*file);
    if (!path) {
        // Storing a name the file cannot hold would lose the music at the next load.
        port_.ShowMessage(MusicFileUnusableMessage());
        return;
    }
    settings_.BgmFile = *path;
    SetText("lbl_Fname", settings_.BgmFile);
}

void Lvx_P::lbl_URL_Click() {
    port_.SetBusyPointer(true);
    port_.OpenWebPage(TextOf(FindItem("lbl_URL")));
    port_.SetBusyPointer(false);
}

void Lvx_P::PointerDown(int item) {
    pressedItem_ = -1;
    if (item < 0 || static_cast<size_t>(item) >= kItems.size() || !Enabled(item)) return;
    pressedItem_ = item;
    const ItemDef& d = kItems[static_cast<size_t>(item)];
    using R = Routine;
    switch (d.routine) {
        case R::Img_P_Rdm_MouseDown: Img_P_Rdm_MouseDown(); break;
        case R::lbl_P_Rdm_MouseDown: lbl_P_Rdm_MouseDown(); break;
        case R::Img_B_Rdm_MouseDown: Img_B_Rdm_MouseDown(); break;
        case R::lbl_B_Rdm_MouseDown: lbl_B_Rdm_MouseDown(); break;
        case R::Img_BGM_MouseDown: Img_BGM_MouseDown(d.index); break;
        case R::lbl_BGM_MouseDown: lbl_BGM_MouseDown(d.index); break;
        case R::Img_Gra_MouseDown: Img_Gra_MouseDown(d.index); break;
        case R::lbl_Gra_MouseDown: lbl_Gra_MouseDown(d.index); break;
        case R::Img_Shape_MouseDown: Img_Shape_MouseDown(d.index); break;
        case R::lbl_Shape_MouseDown: lbl_Shape_MouseDown(d.index); break;
        case R::lbl_Button_MouseDown: lbl_Button_MouseDown(d.index); break;
        case R::lbl_B_C_Click:
        case R::lbl_URL_Click:
        case R::None: break;
    }
}

void Lvx_P::PointerDoubleClick() {
    // The second press of a double click is no press: nothing runs, and its
    // release does nothing either.
    pressedItem_ = -1;
}

void Lvx_P::PointerUp(int itemUnderPointer, bool leftButton) {
    const int pressed = pressedItem_;
    pressedItem_ = -1;
    if (pressed < 0) return;
    const ItemDef& d = kItems[static_cast<size_t>(pressed)];
    if (d.routine == Routine::lbl_Button_MouseDown) {
        lbl_Button_MouseUp(d.index);
        return;
    }
    if (!leftButton || itemUnderPointer != pressed) return;
    if (d.routine == Routine::lbl_B_C_Click) lbl_B_C_Click();
    if (d.routine == Routine::lbl_URL_Click) lbl_URL_Click();
}

}  // namespace lvx::dialog
