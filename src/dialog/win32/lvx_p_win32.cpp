#include "dialog/win32/lvx_p_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "app/lvx_b.h"
#include "common/dpi.h"
#include "common/system_colour.h"
#include "common/win32/text_win32.h"
#include "dialog/lvx_p_layout.h"
#include "dialog/win32/zoom_win32.h"
#include "resources/dialog_art.h"
#include "resources/win32/dialog_art_win32.h"
#include "settings/win32/settings_port_win32.h"

namespace lvx::win32 {

using dialog::Box;
using dialog::kItems;
using dialog::Kind;
using dialog::Picture;

namespace {

constexpr wchar_t kFrameClass[] = L"Lvx_P";
constexpr wchar_t kPanelClass[] = L"Lvx_P_Panel";
constexpr wchar_t kMessageCaption[] = L"Lumvex_K47";
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// The group panels' own fill, which the texture covers.
constexpr COLORREF kGroupFill = RGB(224, 224, 224);
constexpr COLORREF kButtonCaption = RGB(255, 255, 255);
constexpr COLORREF kButtonCaptionDisabled = RGB(150, 172, 214);

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

COLORREF ResolveColour(int32_t colour) {
    if (auto index = SystemColourIndex(colour)) return GetSysColor(*index);
    return static_cast<uint32_t>(colour) & 0xFFFFFFu;
}

class DialogWindow;

class Win32DialogPort final : public dialog::DialogPort {
public:
    explicit Win32DialogPort(DialogWindow& window) : w_(window) {}
    bool CursorPosition(int32_t& x, int32_t& y) override;
    void ZoomOpen() override;
    int32_t SysColor(int32_t index) override { return static_cast<int32_t>(GetSysColor(index)); }
    bool ChooseColour(const std::array<int32_t, 16>& custom, int32_t& chosen) override;
    std::optional<dialog::ChosenFile> ChooseMusicFile() override;
    std::string BgmRepeatText() override;
    void ShowMessage(std::string_view text) override;
    void DoEvents() override;
    void SetBusyPointer(bool busy) override;
    void OpenWebPage(std::string_view address) override;
    void Unload() override;
    bool IsUnloaded() override;
    std::optional<dialog::Box> WorkArea() override;
    void MoveWindow(const dialog::Box& outer) override;

private:
    DialogWindow& w_;
};

class DialogWindow {
public:
    DialogWindow(Settings& settings, SettingsPort& files) : port_(*this), model_(settings, port_, files) {}
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    bool Create();
    void RunModal();

    // For the port.
    HWND Frame() const { return frame_; }
    HWND Combo() const { return combo_; }
    bool Closed() const { return unloading_; }
    void Sync();
    // Unloads the dialog: Form_Unload, then the window goes.
    void Close();
    void SetBusy(bool busy);

    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Stores {
        art::Image hh, off, on, optOff, optOn, ra0, ra1;
        DibSurface mbl;
    };

    void Form_Unload();
    LRESULT OnPanel(HWND panel, int p, UINT message, WPARAM wParam, LPARAM lParam);
    int PanelOf(HWND window) const;
    void CreateFonts();
    // Fonts, cursor and pictures for the dialog's DPI.
    void LoadArt();
    void MakePanelSurfaces(int p, const Box& b);
    void FitCombo(const Box& combo);
    void ChangeDpi(int32_t dpi, const RECT* suggested);
    void CreateControls();
    void Tile_Texture(int p);
    void PaintPanel(int p, HDC target);
    void DrawItem(int p, size_t i);
    void DrawLabel(HDC dc, size_t i, const Box& box);
    void DrawFileName(HDC dc, size_t i, const Box& box);
    void FrameBox(HDC dc, const Box& box, int32_t thickness, COLORREF colour);
    const art::Image* PictureImage(Picture picture) const;
    HFONT FontOf(size_t i) const { return (kItems[i].flags & dialog::kUnderline) ? linkFont_ : font_; }
    int32_t Measure(HFONT font, const std::wstring& text) const;
    void UpdateBoxes();
    void ScrollToModel(HWND bar, const dialog::Spinner& spinner);
    void OnScroll(HWND bar, int code);
    bool SetCursorFor(HWND panel, int p, HWND over, WORD hitTest);

    Win32DialogPort port_;
    dialog::Lvx_P model_;
    int32_t dpi_ = kDesignDpi;
    HWND frame_ = nullptr;
    std::array<HWND, dialog::kPanelCount> panels_{};
    std::array<DibSurface, dialog::kPanelCount> persistent_;
    std::array<DibSurface, dialog::kPanelCount> back_;
    HWND combo_ = nullptr;
    HWND scrollSize_ = nullptr;
    HWND scrollIntv_ = nullptr;
    HFONT font_ = nullptr;
    HFONT linkFont_ = nullptr;
    HCURSOR hand_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    Stores stores_;
    std::vector<Box> boxes_;
    bool busy_ = false;
    bool unloading_ = false;
    bool destroyed_ = false;
};

DialogWindow::~DialogWindow() {
    if (frame_ != nullptr && !destroyed_) DestroyWindow(frame_);
    if (font_ != nullptr) DeleteObject(font_);
    if (linkFont_ != nullptr) DeleteObject(linkFont_);
    if (hand_ != nullptr) DestroyCursor(hand_);
    if (icon_ != nullptr) DestroyIcon(icon_);
    if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

void RegisterClasses() {
    WNDCLASSEXW frame{};
    frame.cbSize = sizeof(frame);
    frame.lpfnWndProc = DialogWindow::FrameProc;
    frame.hInstance = Instance();
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.lpszClassName = kFrameClass;
    RegisterClassExW(&frame);  // fails harmlessly when already registered
    WNDCLASSEXW panel{};
    panel.cbSize = sizeof(panel);
    // A double click arrives as such, so that its second press is no press.
    panel.style = CS_DBLCLKS;
    panel.lpfnWndProc = DialogWindow::PanelProc;
    panel.hInstance = Instance();
    panel.hCursor = nullptr;  // set on WM_SETCURSOR
    panel.lpszClassName = kPanelClass;
    RegisterClassExW(&panel);
}

int CALLBACK CountFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return 0;
}

bool FaceInstalled(std::string_view face) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    const std::wstring name = Utf8ToWide(face);
    if (name.size() >= LF_FACESIZE) return false;
    std::copy(name.begin(), name.end(), query.lfFaceName);
    HDC dc = GetDC(nullptr);
    int count = 0;
    EnumFontFamiliesExW(dc, &query, CountFace, reinterpret_cast<LPARAM>(&count), 0);
    ReleaseDC(nullptr, dc);
    return count > 0;
}

void DialogWindow::CreateFonts() {
    LOGFONTW lf{};
    // 9.75 points: 13 pixels at 96 dpi.
    lf.lfHeight = -ScaleForDpi(13, dpi_);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    const std::wstring face = Utf8ToWide(dialog::PickFontFace(FaceInstalled));
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    font_ = CreateFontIndirectW(&lf);
    lf.lfUnderline = TRUE;
    linkFont_ = CreateFontIndirectW(&lf);
}

// Form_Load: the window, its panels and their texture here (steps 1 to 4);
// the core fills the controls from the settings and zooms (steps 5 to 18).
bool DialogWindow::Create() {
    dpi_ = DialogDpi();
    RegisterClasses();
    LoadArt();

    // Steps 1 and 2: the client area is exactly the background panel; the
    // window is centred on the screen (kept on it when it is larger).
    const Box client = dialog::ClientBox(dpi_);
    RECT outer{0, 0, client.w, client.h};
    AdjustWindowRectEx(&outer, kFrameStyle, FALSE, 0);
    const int32_t width = outer.right - outer.left, height = outer.bottom - outer.top;
    Box at = dialog::Centred(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
    at.x = std::max(0, at.x);
    at.y = std::max(0, at.y);
    const std::wstring caption = Utf8ToWide(kDialogCaption);
    frame_ = CreateWindowExW(0, kFrameClass, caption.c_str(), kFrameStyle, at.x, at.y, width, height, nullptr,
                             nullptr, Instance(), this);
    if (frame_ == nullptr) return false;
    icon_ = MakeWindowIcon(GetSystemMetrics(SM_CXICON));
    smallIcon_ = MakeWindowIcon(GetSystemMetrics(SM_CXSMICON));
    if (icon_ != nullptr) SendMessageW(frame_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    if (smallIcon_ != nullptr) SendMessageW(frame_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    for (int p = 0; p < dialog::kPanelCount; ++p) {
        const Box b = dialog::ScaleBox(dialog::kPanels[p].box, dpi_);
        HWND parent = p == dialog::kPicB ? frame_ : panels_[dialog::kPicB];
        panels_[p] = CreateWindowExW(0, kPanelClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                     b.x, b.y, b.w, b.h, parent, nullptr, Instance(), this);
        MakePanelSurfaces(p, b);
    }
    // Steps 3 and 4: the texture over the background and every group panel.
    for (int p = 0; p < dialog::kPanelCount; ++p) Tile_Texture(p);
    CreateControls();

    model_.Form_Load();
    if (combo_ != nullptr) {
        const std::wstring text = Utf8ToWide(model_.BgmRepeatInitialText());
        SetWindowTextW(combo_, text.c_str());
        for (const std::string& entry : model_.BgmRepeatList()) {
            const std::wstring wide = Utf8ToWide(entry);
            SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
    }
    Sync();
    // Per-monitor aware: a window that opens on a monitor whose scale is not
    // the system's gets no WM_DPICHANGED, so it asks (Windows 10 and later).
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    if (auto dpiOf = reinterpret_cast<GetDpiForWindowFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")))) {
        const auto own = static_cast<int32_t>(dpiOf(frame_));
        if (own > 0 && own != dpi_) ChangeDpi(own, nullptr);
    }
    // Step 19: the default pointer.
    SetBusy(false);
    return true;
}

void DialogWindow::LoadArt() {
    if (font_ != nullptr) DeleteObject(std::exchange(font_, nullptr));
    if (linkFont_ != nullptr) DeleteObject(std::exchange(linkFont_, nullptr));
    CreateFonts();
    if (hand_ != nullptr) DestroyCursor(hand_);
    hand_ = MakeHandCursor(dpi_);
    stores_.mbl = SurfaceFromImage(art::MetalStrip(dpi_));
    stores_.hh = art::HeadingBar(dpi_);
    stores_.off = art::ButtonPicture(false, dpi_);
    stores_.on = art::ButtonPicture(true, dpi_);
    stores_.optOff = art::RadioMark(false, dpi_);
    stores_.optOn = art::RadioMark(true, dpi_);
    stores_.ra0 = art::CheckMark(false, dpi_);
    stores_.ra1 = art::CheckMark(true, dpi_);
}

void DialogWindow::MakePanelSurfaces(int p, const Box& b) {
    persistent_[p] = DibSurface(b.w, b.h);
    back_[p] = DibSurface(b.w, b.h);
    if (p != dialog::kPicB && persistent_[p].Ok()) {
        HBRUSH fill = CreateSolidBrush(kGroupFill);
        RECT all{0, 0, b.w, b.h};
        FillRect(persistent_[p].Dc(), &all, fill);
        DeleteObject(fill);
    }
}

void DialogWindow::FitCombo(const Box& combo) {
    SendMessageW(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // Make the closed box exactly as high as the layout wants. How the
    // field's height follows its item height differs between versions of
    // the control, so adjust by what each step gave.
    auto set = static_cast<int32_t>(SendMessageW(combo_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int round = 0; round < 3; ++round) {
        RECT r{};
        GetWindowRect(combo_, &r);
        const int32_t error = combo.h - (r.bottom - r.top);
        if (error == 0 || set + error <= 0) break;
        set += error;
        SendMessageW(combo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), set);
    }
}

// The window moved to a monitor of another DPI (or that monitor's scale
// changed): layout, fonts, art and cursor are made anew for it, and the
// window takes the rectangle the system suggests, or without one is centred
// on its monitor.
void DialogWindow::ChangeDpi(int32_t dpi, const RECT* suggested) {
    if (dpi <= 0 || frame_ == nullptr) return;
    dpi_ = dpi;
    LoadArt();
    for (int p = 0; p < dialog::kPanelCount; ++p) {
        const Box b = dialog::ScaleBox(dialog::kPanels[p].box, dpi_);
        SetWindowPos(panels_[p], nullptr, b.x, b.y, b.w, b.h, SWP_NOZORDER | SWP_NOACTIVATE);
        MakePanelSurfaces(p, b);
        Tile_Texture(p);
    }
    auto place = [&](const dialog::ControlDef& c) { return dialog::ScaleBox(c.box, dpi_); };
    if (combo_ != nullptr) {
        const Box combo = place(dialog::kBgmRepeat);
        SetWindowPos(combo_, nullptr, combo.x, combo.y, combo.w, combo.h + ScaleForDpi(13, dpi_) * 9,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        FitCombo(combo);
    }
    for (auto [bar, def] : {std::pair{scrollSize_, dialog::kScrollSize}, std::pair{scrollIntv_, dialog::kScrollIntv}}) {
        const Box b = place(def);
        if (bar != nullptr) SetWindowPos(bar, nullptr, b.x, b.y, b.w, b.h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const Box client = dialog::ClientBox(dpi_);
    RECT outer{0, 0, client.w, client.h};
    AdjustWindowRectEx(&outer, kFrameStyle, FALSE, 0);
    const int32_t width = outer.right - outer.left, height = outer.bottom - outer.top;
    if (suggested != nullptr) {
        SetWindowPos(frame_, nullptr, suggested->left, suggested->top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        // No place came with the change (the window opened on a monitor
        // whose scale is not the system's): grown in place, its right or
        // bottom edge could leave the screen, so it is centred on its
        // monitor again.
        SetWindowPos(frame_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
        model_.PlaceOnItsMonitor(width, height);
    }
    Sync();
    RedrawWindow(frame_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void DialogWindow::CreateControls() {
    auto place = [&](const dialog::ControlDef& c) { return dialog::ScaleBox(c.box, dpi_); };
    const Box combo = place(dialog::kBgmRepeat);
    // The height given at creation includes the drop-down list.
    const int32_t listHeight = ScaleForDpi(13, dpi_) * 9;
    combo_ = CreateWindowExW(0, L"COMBOBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                             combo.x, combo.y, combo.w, combo.h + listHeight, panels_[dialog::kBgmRepeat.panel], nullptr,
                             Instance(), nullptr);
    if (combo_ != nullptr) FitCombo(combo);
    const Box size = place(dialog::kScrollSize);
    scrollSize_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, size.x, size.y, size.w,
                                  size.h, panels_[dialog::kScrollSize.panel], nullptr, Instance(), nullptr);
    const Box intv = place(dialog::kScrollIntv);
    scrollIntv_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, intv.x, intv.y, intv.w,
                                  intv.h, panels_[dialog::kScrollIntv.panel], nullptr, Instance(), nullptr);
}


void DialogWindow::Tile_Texture(int p) {
    const DibSurface& panel = persistent_[p];
    const DibSurface& tile = stores_.mbl;
    if (!panel.Ok() || !tile.Ok()) return;
    for (const dialog::Point& at : dialog::TileOrigins(panel.Width(), panel.Height(), tile.Width(), tile.Height())) {
        ApiResult = BitBlt(panel.Dc(), at.x, at.y, tile.Width(), tile.Height(), tile.Dc(), 0, 0, SRCCOPY);
    }
}

const art::Image* DialogWindow::PictureImage(Picture picture) const {
    switch (picture) {
        case Picture::HH: return &stores_.hh;
        case Picture::Off: return &stores_.off;
        case Picture::On: return &stores_.on;
        case Picture::OptOff: return &stores_.optOff;
        case Picture::OptOn: return &stores_.optOn;
        case Picture::Ra0: return &stores_.ra0;
        case Picture::Ra1: return &stores_.ra1;
        case Picture::None: break;
    }
    return nullptr;
}

int32_t DialogWindow::Measure(HFONT font, const std::wstring& text) const {
    HDC dc = GetDC(frame_);
    HGDIOBJ former = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, former);
    ReleaseDC(frame_, dc);
    return size.cx;
}

void DialogWindow::UpdateBoxes() {
    boxes_ = dialog::ItemBoxes(dpi_, [&](int item) {
        return Measure(FontOf(static_cast<size_t>(item)), Utf8ToWide(model_.TextOf(item)));
    });
}

void DialogWindow::ScrollToModel(HWND bar, const dialog::Spinner& spinner) {
    if (bar == nullptr) return;
    // The platform's scroll bars grow downwards: position 0 is the top value.
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = 0;
    info.nMax = std::max(0, spinner.top - spinner.bottom);
    info.nPage = 0;
    info.nPos = spinner.top - spinner.value;
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

void DialogWindow::Sync() {
    if (frame_ == nullptr || destroyed_) return;
    if (combo_ != nullptr) EnableWindow(combo_, model_.BgmRepeatEnabled() ? TRUE : FALSE);
    ScrollToModel(scrollSize_, model_.ScrollSize());
    ScrollToModel(scrollIntv_, model_.ScrollIntv());
    UpdateBoxes();
    for (HWND panel : panels_) {
        if (panel != nullptr) InvalidateRect(panel, nullptr, FALSE);
    }
}

void DialogWindow::SetBusy(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void DialogWindow::Form_Unload() {
    // Never cancels; every way of closing plays the closing animation once.
    unloading_ = true;
    Zoom_Close(frame_);
}

void DialogWindow::Close() {
    if (unloading_ || frame_ == nullptr) return;
    Form_Unload();
    DestroyWindow(frame_);
}

void DialogWindow::RunModal() {
    ShowWindow(frame_, SW_SHOWNORMAL);
    UpdateWindow(frame_);
    SetForegroundWindow(frame_);
    MSG msg;
    while (!destroyed_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void DialogWindow::FrameBox(HDC dc, const Box& box, int32_t thickness, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    for (int32_t k = 0; k < thickness; ++k) {
        RECT r{box.x + k, box.y + k, box.x + box.w - k, box.y + box.h - k};
        FrameRect(dc, &r, brush);
    }
    DeleteObject(brush);
}

void DialogWindow::DrawLabel(HDC dc, size_t i, const Box& box) {
    const dialog::ItemDef& item = kItems[i];
    const bool enabled = model_.Enabled(static_cast<int>(i));
    COLORREF colour = GetSysColor(COLOR_BTNTEXT);
    if (item.flags & dialog::kWindowText) colour = GetSysColor(COLOR_WINDOWTEXT);
    if (item.flags & dialog::kOnButton) colour = enabled ? kButtonCaption : kButtonCaptionDisabled;
    else if (!enabled) colour = GetSysColor(COLOR_GRAYTEXT);
    SetTextColor(dc, colour);
    HGDIOBJ former = SelectObject(dc, FontOf(i));
    std::wstring text = Utf8ToWide(model_.TextOf(static_cast<int>(i)));
    UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_TOP;
    format |= item.align == dialog::Align::Centre ? DT_CENTER : item.align == dialog::Align::Right ? DT_RIGHT : DT_LEFT;
    RECT r{box.x, box.y, box.x + box.w, box.y + box.h};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
    SelectObject(dc, former);
}

void DialogWindow::DrawFileName(HDC dc, size_t i, const Box& box) {
    const int32_t t = std::max(1, ScaleForDpi(1, dpi_));
    FrameBox(dc, box, t, GetSysColor(COLOR_WINDOWFRAME));
    HGDIOBJ former = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int32_t padX = 3 * t, padY = t;
    const std::vector<std::string> lines =
        dialog::WrapLines(model_.TextOf(static_cast<int>(i)), box.w - 2 * padX, 2, true, [&](std::string_view part) {
            const std::wstring wide = Cp932ToWide(part);
            SIZE size{};
            GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
            return static_cast<int32_t>(size.cx);
        });
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT clip{box.x + t, box.y + t, box.x + box.w - t, box.y + box.h - t};
    for (size_t k = 0; k < lines.size(); ++k) {
        const std::wstring wide = Cp932ToWide(lines[k]);
        RECT r{box.x + padX, box.y + padY + static_cast<int32_t>(k) * metrics.tmHeight, clip.right, clip.bottom};
        IntersectRect(&r, &r, &clip);
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    }
    SelectObject(dc, former);
}

void DialogWindow::DrawItem(int p, size_t i) {
    const DibSurface& back = back_[p];
    HDC dc = back.Dc();
    const Box& box = boxes_[i];
    const int32_t t = std::max(1, ScaleForDpi(1, dpi_));
    switch (kItems[i].kind) {
        case Kind::Image:
            if (const art::Image* picture = PictureImage(model_.PictureOf(static_cast<int>(i)))) {
                BlendImage(back, *picture, box.x, box.y);
            }
            break;
        case Kind::Label:
            DrawLabel(dc, i, box);
            break;
        case Kind::Swatch: {
            HBRUSH fill = CreateSolidBrush(ResolveColour(model_.SwatchColor()));
            RECT r{box.x, box.y, box.x + box.w, box.y + box.h};
            FillRect(dc, &r, fill);
            DeleteObject(fill);
            FrameBox(dc, box, t, GetSysColor(COLOR_WINDOWFRAME));
            break;
        }
        case Kind::FileName:
            DrawFileName(dc, i, box);
            break;
        case Kind::SquareShape:
        case Kind::CircleShape: {
            HPEN pen = CreatePen(PS_INSIDEFRAME, t, GetSysColor(COLOR_WINDOWTEXT));
            HGDIOBJ formerPen = SelectObject(dc, pen);
            HGDIOBJ formerBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
            if (kItems[i].kind == Kind::SquareShape) {
                Rectangle(dc, box.x, box.y, box.x + box.w, box.y + box.h);
            } else {
                Ellipse(dc, box.x, box.y, box.x + box.w, box.y + box.h);
            }
            SelectObject(dc, formerBrush);
            SelectObject(dc, formerPen);
            DeleteObject(pen);
            break;
        }
    }
}

void DialogWindow::PaintPanel(int p, HDC target) {
    const DibSurface& back = back_[p];
    const DibSurface& persistent = persistent_[p];
    if (!back.Ok() || !persistent.Ok()) return;
    // Everything is composed off screen and copied once: no flicker.
    BitBlt(back.Dc(), 0, 0, back.Width(), back.Height(), persistent.Dc(), 0, 0, SRCCOPY);
    SetBkMode(back.Dc(), TRANSPARENT);
    for (size_t i = 0; i < kItems.size(); ++i) {
        if (kItems[i].panel == p) DrawItem(p, i);
    }
    GdiFlush();
    BitBlt(target, 0, 0, back.Width(), back.Height(), back.Dc(), 0, 0, SRCCOPY);
}

int DialogWindow::PanelOf(HWND window) const {
    for (int p = 0; p < dialog::kPanelCount; ++p) {
        if (panels_[p] == window) return p;
    }
    return -1;
}

void DialogWindow::OnScroll(HWND bar, int code) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(bar, SB_CTL, &info)) return;
    int pos = info.nPos;
    switch (code) {
        case SB_LINEUP:
        case SB_PAGEUP: pos -= 1; break;  // small and large change are both 1
        case SB_LINEDOWN:
        case SB_PAGEDOWN: pos += 1; break;
        case SB_TOP: pos = info.nMin; break;
        case SB_BOTTOM: pos = info.nMax; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = info.nTrackPos; break;
        default: return;
    }
    if (bar == scrollSize_) model_.SpinSize(model_.ScrollSize().top - pos);
    if (bar == scrollIntv_) model_.SpinIntv(model_.ScrollIntv().top - pos);
    Sync();
}

bool DialogWindow::SetCursorFor(HWND panel, int p, HWND over, WORD hitTest) {
    if (busy_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return true;
    }
    const bool onControl = over != nullptr && (over == combo_ || over == scrollSize_ || over == scrollIntv_ ||
                                               (combo_ != nullptr && IsChild(combo_, over)));
    if (onControl) {
        SetCursor(hand_ != nullptr ? hand_ : LoadCursorW(nullptr, IDC_HAND));
        return true;
    }
    if (over != panel || hitTest != HTCLIENT) return false;
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(panel, &at);
    const int item = dialog::HitTest(boxes_, p, at.x, at.y);
    const bool hand = dialog::ShowsHand(item, item >= 0 && model_.Enabled(item));
    SetCursor(hand && hand_ != nullptr ? hand_ : LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

LRESULT DialogWindow::OnPanel(HWND panel, int p, UINT message, WPARAM wParam, LPARAM lParam) {
    auto itemAt = [&](LPARAM at) {
        const int32_t x = static_cast<int16_t>(LOWORD(at)), y = static_cast<int16_t>(HIWORD(at));
        RECT client{};
        GetClientRect(panel, &client);
        if (x < 0 || y < 0 || x >= client.right || y >= client.bottom) return -1;
        return dialog::HitTest(boxes_, p, x, y);
    };
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(panel, &ps);
            PaintPanel(p, dc);
            EndPaint(panel, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // The release belongs to the pressed item, wherever the pointer goes.
            SetCapture(panel);
            model_.PointerDown(itemAt(lParam));
            Sync();
            return 0;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            SetCapture(panel);
            model_.PointerDoubleClick();
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (GetCapture() == panel) ReleaseCapture();
            model_.PointerUp(itemAt(lParam), message == WM_LBUTTONUP);
            Sync();
            return 0;
        case WM_SETCURSOR:
            if (SetCursorFor(panel, p, reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
            break;
        case WM_VSCROLL:
            if (lParam != 0) OnScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(panel, message, wParam, lParam);
}

LRESULT CALLBACK DialogWindow::PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        const int p = self->PanelOf(window);
        if (p >= 0) return self->OnPanel(window, p, message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK DialogWindow::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
            case WM_CLOSE:
                // The system close command: unload without saving.
                self->Close();
                return 0;
            case WM_DESTROY:
                self->destroyed_ = true;
                self->unloading_ = true;
                return 0;
            case WM_ERASEBKGND:
                return 1;  // the background panel covers the client area
            case WM_DPICHANGED:
                self->ChangeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
                return 0;
            case WM_SETCURSOR:
                if (self->busy_) {
                    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                    return TRUE;
                }
                break;
            default:
                break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- the port

bool Win32DialogPort::CursorPosition(int32_t& x, int32_t& y) {
    POINT at{};
    if (!GetCursorPos(&at)) return false;
    x = at.x;
    y = at.y;
    return true;
}

void Win32DialogPort::ZoomOpen() { Zoom_Open(w_.Frame()); }

std::optional<dialog::Box> Win32DialogPort::WorkArea() {
    HMONITOR monitor = MonitorFromWindow(w_.Frame(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) return std::nullopt;
    const RECT& r = info.rcWork;
    return dialog::Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32DialogPort::MoveWindow(const dialog::Box& outer) {
    SetWindowPos(w_.Frame(), nullptr, outer.x, outer.y, outer.w, outer.h, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win32DialogPort::ChooseColour(const std::array<int32_t, 16>& custom, int32_t& chosen) {
    COLORREF colours[16];
    for (size_t i = 0; i < 16; ++i) colours[i] = static_cast<COLORREF>(custom[i]);
    CHOOSECOLORW request = ColorRequest(w_.Frame(), colours);
    if (!ChooseColorW(&request)) return false;
    chosen = static_cast<int32_t>(request.rgbResult);
    return true;
}

std::optional<dialog::ChosenFile> Win32DialogPort::ChooseMusicFile() {
    std::array<wchar_t, 256> file{};
    std::array<wchar_t, 256> title{};
    OPENFILENAMEW request = MusicFileRequest(w_.Frame(), file.data(), title.data());
    if (!GetOpenFileNameW(&request)) return std::nullopt;
    // The text up to the first NUL is the full path.
    return ChosenFileFromPath(std::wstring(file.data()));
}

std::string Win32DialogPort::BgmRepeatText() {
    HWND combo = w_.Combo();
    if (combo == nullptr) return {};
    const int length = GetWindowTextLengthW(combo);
    std::wstring text(static_cast<size_t>(std::max(0, length)) + 1, L'\0');
    const int got = GetWindowTextW(combo, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(0, got)));
    return WideToUtf8(text);
}

void Win32DialogPort::ShowMessage(std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    MessageBoxW(w_.Frame(), wide.c_str(), kMessageCaption, MB_OK | MB_ICONWARNING);
}

void Win32DialogPort::DoEvents() {
    w_.Sync();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32DialogPort::SetBusyPointer(bool busy) { w_.SetBusy(busy); }

void Win32DialogPort::OpenWebPage(std::string_view address) {
    const std::wstring wide = Utf8ToWide(address);
    HINSTANCE result = ShellExecuteW(w_.Frame(), L"open", wide.c_str(), L"", L"", SW_SHOWNORMAL);
    ApiResult = static_cast<int32_t>(reinterpret_cast<intptr_t>(result));
}

void Win32DialogPort::Unload() { w_.Close(); }

bool Win32DialogPort::IsUnloaded() { return w_.Closed(); }

}  // namespace

CHOOSECOLORW ColorRequest(HWND owner, COLORREF* customColours) {
    CHOOSECOLORW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.hInstance = reinterpret_cast<HWND>(Instance());
    request.rgbResult = 0;
    request.lpCustColors = customColours;
    request.Flags = CC_PREVENTFULLOPEN;
    return request;
}

OPENFILENAMEW MusicFileRequest(HWND owner, wchar_t* file, wchar_t* fileTitle) {
    // One entry: description and pattern, each ended by a NUL, the list by another.
    static const std::wstring filter = Utf8ToWide("BGMﾌｧｲﾙ (MP3 WAV)") + L'\0' + L"*.MP3;*.WAV" + L'\0' + L'\0';
    static const std::wstring title = Utf8ToWide("ﾌｧｲﾙを開く");
    OPENFILENAMEW request{};
    // The record without the fields that Windows 2000 added.
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    request.hwndOwner = owner;
    request.hInstance = Instance();
    request.lpstrFilter = filter.c_str();
    request.lpstrFile = file;
    request.nMaxFile = 255;
    request.lpstrFileTitle = fileTitle;
    request.nMaxFileTitle = 255;
    request.lpstrTitle = title.c_str();
    request.Flags = 0;
    return request;
}

dialog::ChosenFile ChosenFileFromPath(const std::wstring& path) {
    dialog::ChosenFile chosen;
    std::string bytes;
    if (!path.empty() && WideToCp932(path, bytes)) chosen.path = bytes;
    if (!chosen.path || chosen.path->size() > 255) {
        const DWORD need = GetShortPathNameW(path.c_str(), nullptr, 0);
        if (need > 0) {
            std::wstring shortPath(need, L'\0');
            const DWORD got = GetShortPathNameW(path.c_str(), shortPath.data(), need);
            if (got > 0 && got < need) {
                shortPath.resize(got);
                // A volume without short names gives the long path back.
                if (shortPath != path && WideToCp932(shortPath, bytes)) chosen.shortPath = bytes;
            }
        }
    }
    return chosen;
}

int32_t DialogDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : kDesignDpi;
    if (dc != nullptr) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : kDesignDpi;
}

void Lvx_P_ShowModal(Settings& settings, SettingsPort& files) {
    auto window = std::make_unique<DialogWindow>(settings, files);
    if (window->Create()) window->RunModal();
}

void Lvx_P_ShowModal(Settings& settings) {
    Win32SettingsPort files;
    Lvx_P_ShowModal(settings, files);
}

}  // namespace lvx::win32
