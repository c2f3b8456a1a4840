#include "app/win32/lvx_r_win32.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "app/win32/app_port_win32.h"
#include "render/cls_gradient.h"
#include "render/win32/gradient_port_win32.h"
#include "common/number_rules.h"
#include "settings/settings.h"

namespace lvx::win32 {
namespace {

constexpr wchar_t kPreviewClass[] = L"Lvx_R";
constexpr wchar_t kTileClass[] = L"Lvx_R_Tile";
constexpr wchar_t kPreviewCaption[] = L"Preview Window";
constexpr COLORREF kBackColor = 0x00C0C0C0;
// Top to bottom: Color1 at the top edge, Color2 at the bottom.
constexpr float kTileAngle = 270.0f;

constexpr int32_t Bgr(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// A miniature of the running saver: the 4 x 3 grid of a 152 x 112 screen
// (cells 38 x 37) with a 28-pixel picture centred in each cell.
constexpr int32_t kCellWidth = 38;
constexpr int32_t kCellHeight = 37;
constexpr int32_t kTileSize = 28;
constexpr PreviewTile Tile(int i, int32_t dark, int32_t bright) {
    return {(i % 4) * kCellWidth + (kCellWidth - kTileSize) / 2,
            (i / 4) * kCellHeight + (kCellHeight - kTileSize + 1) / 2, kTileSize, dark, bright};
}
constexpr std::array<PreviewTile, 12> kTiles = {
    Tile(0, Bgr(0, 0, 72), Bgr(72, 136, 255)),       // blue
    Tile(1, Bgr(48, 0, 72), Bgr(184, 104, 255)),     // purple
    Tile(2, Bgr(72, 0, 0), Bgr(255, 72, 64)),        // red
    Tile(3, Bgr(0, 64, 0), Bgr(72, 255, 96)),        // green
    Tile(4, Bgr(0, 32, 72), Bgr(96, 208, 255)),      // sky blue
    Tile(5, Bgr(72, 0, 40), Bgr(255, 136, 208)),     // pink
    Tile(6, Bgr(80, 32, 0), Bgr(255, 168, 32)),      // orange
    Tile(7, Bgr(64, 0, 64), Bgr(224, 96, 224)),      // magenta purple
    Tile(8, Bgr(0, 56, 40), Bgr(64, 240, 176)),      // sea green
    Tile(9, Bgr(80, 0, 24), Bgr(255, 80, 120)),      // crimson
    Tile(10, Bgr(24, 64, 0), Bgr(184, 255, 64)),     // yellow-green
    Tile(11, Bgr(0, 48, 56), Bgr(64, 232, 232)),     // turquoise
};

// What the window's design holds besides its caption and colour: the image
// control, whose picture lives in the window's own surface.
struct PreviewWindow {
    std::unique_ptr<PictureSurface> picture;
    bool unloaded = false;
    HWND host = nullptr;
};

// How often the preview looks at its host's size: a host in another process
// does not tell its children when it is resized.
constexpr UINT_PTR kHostWatchTimer = 1;
constexpr UINT kRedrawMessage = WM_APP + 1;
constexpr UINT kHostWatchMs = 250;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void RegisterTileClass() {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = Instance();
    cls.lpszClassName = kTileClass;
    RegisterClassExW(&cls);  // fails harmlessly when already registered
}

// A hidden window of the given size, to give a surface its size.
HWND HelperWindow(int32_t width, int32_t height) {
    RegisterTileClass();
    return CreateWindowExW(WS_EX_TOOLWINDOW, kTileClass, L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                           Instance(), nullptr);
}

// Draws the still picture, scaled to width x height, into dc from its
// top-left corner with the saver's own gradient object: each tile on a hidden
// tile-sized window (the object sizes its lines by the window's client area)
// whose surface is then copied into place. False when a tile could not be
// drawn.
bool DrawPicture(HDC dc, int32_t width, int32_t height) {
    PatBlt(dc, 0, 0, width, height, BLACKNESS);
    const std::array<PreviewTile, 12> tiles = PreviewTilesFor(width, height);
    const int32_t size = tiles[0].size;
    if (size <= 0) return true;  // a host too small for any tile: the background alone
    HWND helper = HelperWindow(size, size);
    if (helper == nullptr) return false;
    bool drawn = true;
    {
        PictureSurface tile(helper);
        Win32GradientPort port;
        clsGradient gradient(port);
        gradient.Angle(kTileAngle);
        for (const PreviewTile& t : tiles) {
            gradient.Color1(t.dark);
            gradient.Color2(t.bright);
            drawn = gradient.Draw(tile) == kTrue && drawn;
            BitBlt(dc, t.left, t.top, t.size, t.size, tile.Dc(), 0, 0, SRCCOPY);
        }
    }
    DestroyWindow(helper);
    return drawn;
}

// The unload handler: nothing cancels the unload.
void Form_Unload(HWND window, PreviewWindow& state) {
    if (state.unloaded) return;
    state.unloaded = true;
    ApiResult = PostMessageA(window, WM_CLOSE, 0, 0);
}

void PaintImage(HWND window, const PreviewWindow& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (state.picture != nullptr && dc != nullptr) state.picture->Present(dc);
    EndPaint(window, &paint);
}

// The picture drawn anew at the window's size; the window's own grey shows
// when it cannot be drawn.
void DrawImage(HWND window, PreviewWindow& state) {
    auto picture = std::make_unique<PictureSurface>(window);
    if (DrawPicture(picture->Dc(), picture->Width(), picture->Height())) {
        state.picture = std::move(picture);
    } else {
        state.picture.reset();
    }
    InvalidateRect(window, nullptr, TRUE);
}

double TwipsPerPixel(int axis);

// The preview's size from the host's client area, through the twips the
// window's design keeps.
PreviewSize HostSize(HWND host) {
    RECT client{};
    ApiResult = GetClientRect(host, &client);
    return PreviewSizeFromHost(client.left, client.top, client.right, client.bottom, TwipsPerPixel(LOGPIXELSX),
                               TwipsPerPixel(LOGPIXELSY));
}

// Follows a host that was resized: the window takes the new size, and its
// WM_SIZE draws the picture anew.
void FollowHost(HWND window, const PreviewWindow& state) {
    if (!IsWindow(state.host)) return;
    const PreviewSize size = HostSize(state.host);
    RECT now{};
    GetClientRect(window, &now);
    if (now.right == size.widthPixels && now.bottom == size.heightPixels) return;
    SetWindowPos(window, nullptr, 0, 0, size.widthPixels, size.heightPixels, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PreviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_PAINT:
            if (state != nullptr) {
                PaintImage(window, *state);
                return 0;
            }
            break;
        case WM_SIZE:
            // Drawn from the message loop, not inside the resize that sent this.
            if (state != nullptr && state->host != nullptr) PostMessageW(window, kRedrawMessage, 0, 0);
            return 0;
        case kRedrawMessage:
            if (state != nullptr) DrawImage(window, *state);
            return 0;
        case WM_TIMER:
            if (state != nullptr && wParam == kHostWatchTimer) FollowHost(window, *state);
            return 0;
        case WM_CLOSE:
            if (state != nullptr) Form_Unload(window, *state);
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (state != nullptr) Form_Unload(window, *state);
            return 0;
        case WM_NCDESTROY:
            // When the host's process dies the window gets only this message.
            if (state != nullptr) {
                Form_Unload(window, *state);
                delete state;
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            }
            // No window of the preview is left: the message loop may end.
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterPreviewClass() {
    static HBRUSH background = CreateSolidBrush(kBackColor);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = PreviewProc;
    cls.hInstance = Instance();
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = background;
    cls.lpszClassName = kPreviewClass;
    RegisterClassExW(&cls);  // fails harmlessly when already registered
}

double TwipsPerPixel(int axis) {
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, axis) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

}  // namespace

const std::array<PreviewTile, 12>& PreviewTiles() { return kTiles; }

std::array<PreviewTile, 12> PreviewTilesFor(int32_t width, int32_t height) {
    if (width == kPreviewPictureWidth && height == kPreviewPictureHeight) return kTiles;
    // The grid and the tiles scale with the picture; the tiles stay square,
    // as large as the narrower of the two scales allows.
    const double sx = width / static_cast<double>(kPreviewPictureWidth);
    const double sy = height / static_cast<double>(kPreviewPictureHeight);
    const double cellW = kCellWidth * sx;
    const double cellH = kCellHeight * sy;
    const auto size = static_cast<int32_t>(std::floor(kTileSize * std::min(sx, sy) + 0.5));
    std::array<PreviewTile, 12> tiles = kTiles;
    for (size_t i = 0; i < tiles.size(); ++i) {
        const int col = static_cast<int>(i % 4), row = static_cast<int>(i / 4);
        tiles[i].size = size;
        tiles[i].left = static_cast<int32_t>(std::floor(col * cellW + (cellW - size) / 2));
        tiles[i].top = static_cast<int32_t>(std::floor(row * cellH + (cellH - size + 1) / 2));
    }
    return tiles;
}

std::vector<int32_t> Lvx_R_PicturePixels(int32_t width, int32_t height) {
    HWND helper = HelperWindow(width, height);
    if (helper == nullptr) return {};
    std::vector<int32_t> pixels;
    {
        PictureSurface picture(helper);
        if (picture.Width() == width && picture.Height() == height && DrawPicture(picture.Dc(), width, height)) {
            pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) pixels.push_back(picture.Pixel(x, y));
            }
        }
    }
    DestroyWindow(helper);
    return pixels;
}

PreviewSize PreviewSizeFromHost(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                double twipsPerPixelX, double twipsPerPixelY) {
    PreviewSize size;
    // Each conversion is its own step: one that overflows leaves its value 0.
    if (auto w = NearestInt16(twipsPerPixelX * (static_cast<double>(right) - left))) size.widthTwips = *w;
    if (auto h = NearestInt16(twipsPerPixelY * (static_cast<double>(bottom) - top))) size.heightTwips = *h;
    if (auto w = NearestInt32(size.widthTwips / twipsPerPixelX)) size.widthPixels = *w;
    if (auto h = NearestInt32(size.heightTwips / twipsPerPixelY)) size.heightPixels = *h;
    return size;
}

bool Lvx_R_Open(int32_t hostWindow) {
    HWND host = static_cast<HWND>(WindowFromNumber(hostWindow));
    // A preview inside no window could never be seen or closed, and the
    // process would live on for ever.
    if (!IsWindow(host)) return false;

    const PreviewSize size = HostSize(host);

    RegisterPreviewClass();
    auto* state = new PreviewWindow;
    HWND window = CreateWindowExW(0, kPreviewClass, kPreviewCaption, WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                                  kPreviewPictureWidth, kPreviewPictureHeight, nullptr, nullptr,
                                  Instance(), state);
    if (window == nullptr) {
        delete state;
        return false;
    }

    LONG style = GetWindowLongA(window, GWL_STYLE);
    ApiResult = SetWindowLongA(window, GWL_STYLE, style | WS_CHILD);
    ApiResult = static_cast<int32_t>(reinterpret_cast<intptr_t>(SetParent(window, host)));
    if (!IsWindow(host)) {
        // The host went away during set-up: nothing would ever close us.
        DestroyWindow(window);
        return false;
    }
    SetWindowPos(window, nullptr, 0, 0, size.widthPixels, size.heightPixels,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    DrawImage(window, *state);
    // The picture fills the host, scaled with it, from here on.
    state->host = host;
    SetTimer(window, kHostWatchTimer, kHostWatchMs, nullptr);
    // Not activated: the dialog that hosts the preview keeps the focus.
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    return true;
}

}  // namespace lvx::win32
