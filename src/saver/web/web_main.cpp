// The web page's bridge to the core: what the page's script calls. The
// script owns the loop (one call a displayed frame), the canvas and the
// input; everything the saver decides is decided here by the core.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "dialog/lvx_p.h"
#include "dialog/lvx_p_layout.h"
#include "saver/frame_saver.h"
#include "saver/web/web_settings.h"

namespace {

using namespace lvx;

struct Page {
    // Settings-file values in file order (code-page-932 text), as the page
    // holds them: stored, then the address's over them.
    std::array<std::string, web::kKeyCount> values;
    std::unique_ptr<FrameSaver> saver;
    // The frame, painted as the canvas takes it (R, G, B, A bytes), is put
    // from the core's memory: whole after a change of layout or background,
    // else only the pictures' squares.
    bool wholePending = true;
    // Bytes handed over by the script (an imported file), and bytes back.
    std::string input;
    std::string output;
    std::array<int32_t, 8> results{};
};

Page& ThePage() {
    static Page page;
    return page;
}

// Notes what the last drawing changed.
void Drawn(Page& page) {
    if (page.saver && page.saver->WholeFrameDrawn()) page.wholePending = true;
}

}  // namespace

extern "C" {

// ---- settings ---------------------------------------------------------------

// Sets the value of the settings file's key `index` (0 to 9, file order) as
// the file would hold it; an empty text forgets it.
EMSCRIPTEN_KEEPALIVE void lvx_value(int index, const char* text) {
    if (index < 0 || index >= web::kKeyCount || text == nullptr) return;
    ThePage().values[static_cast<size_t>(index)] = text;
}

EMSCRIPTEN_KEEPALIVE void lvx_values_clear() {
    for (std::string& v : ThePage().values) v.clear();
}

// The picture size the settings give a screen of this width.
EMSCRIPTEN_KEEPALIVE int lvx_picture_size(int width) {
    return web::SettingsFor(ThePage().values, width).PictureSize;
}

// The stored values as the settings panel shows them on a screen this wide
// (lvx_result as after lvx_import).
EMSCRIPTEN_KEEPALIVE void lvx_panel(int screenWidth) {
    Page& page = ThePage();
    const Settings s = web::ReadForPanel(web::DocumentOf(page.values), screenWidth);
    page.results = {s.PictureSize, s.SizeRandom, s.ColorInterval, s.Gradation, s.BackColorRandom, s.BackColor, s.Shape, 0};
}

// A buffer of `size` bytes for the script to fill (an imported file).
EMSCRIPTEN_KEEPALIVE char* lvx_input(int size) {
    Page& page = ThePage();
    page.input.assign(static_cast<size_t>(std::max(size, 0)), '\0');
    return page.input.data();
}

// Reads the bytes in the input buffer as the settings dialog reads its file
// on a screen of this width; the values it shows are then lvx_result(0..6):
// size, random size, interval, gradation, random background, background,
// shape.
EMSCRIPTEN_KEEPALIVE void lvx_import(int screenWidth) {
    Page& page = ThePage();
    const Settings s = web::ReadForPanel(page.input, screenWidth);
    page.results = {s.PictureSize, s.SizeRandom, s.ColorInterval, s.Gradation, s.BackColorRandom, s.BackColor, s.Shape, 0};
}

EMSCRIPTEN_KEEPALIVE int lvx_result(int index) {
    if (index < 0 || index >= 8) return 0;
    return ThePage().results[static_cast<size_t>(index)];
}

// Writes the panel's values over the file in the input buffer (empty: a new
// file) as the settings dialog saves; the bytes are at lvx_output().
EMSCRIPTEN_KEEPALIVE int lvx_export(int size, int sizeRandom, int interval, int gradation, int backRandom,
                                    int backColor, int shape) {
    Page& page = ThePage();
    web::PanelValues v{size, sizeRandom, interval, gradation, backRandom, backColor, shape};
    page.output = web::WriteFromPanel(page.input, v);
    return static_cast<int>(page.output.size());
}

EMSCRIPTEN_KEEPALIVE const char* lvx_output() { return ThePage().output.data(); }

// ---- the running saver --------------------------------------------------------

// Sets the saver up on a width x height frame with the values given, its
// clock at the reading given (a seed, or the time of day in microseconds,
// as two 32-bit halves), and draws the first frame. 0 when it cannot.
EMSCRIPTEN_KEEPALIVE int lvx_start(int width, int height, unsigned clockHigh, unsigned clockLow) {
    Page& page = ThePage();
    page.saver.reset();
    if (width < 1 || height < 1 || width > kMaxFrameSide || height > kMaxFrameSide) return 0;
    const Settings s = web::SettingsFor(page.values, width);
    page.saver = std::make_unique<FrameSaver>(s, width, height);
    page.saver->UseCanvasOrder(true);
    page.saver->UseRegions(true);
    page.saver->SetClock((uint64_t{clockHigh} << 32) | clockLow);
    page.saver->Start();
    page.wholePending = true;
    return 1;
}

EMSCRIPTEN_KEEPALIVE void lvx_clock(unsigned clockHigh, unsigned clockLow) {
    if (auto& s = ThePage().saver) s->SetClock((uint64_t{clockHigh} << 32) | clockLow);
}

// One pass in real time (the script serves the timer); 0 once ended.
EMSCRIPTEN_KEEPALIVE int lvx_pass() {
    Page& page = ThePage();
    if (!page.saver) return 0;
    const bool running = page.saver->Pass();
    Drawn(page);
    return running ? 1 : 0;
}

// One pass on virtual time (the timer served by the pass count); 0 once ended.
EMSCRIPTEN_KEEPALIVE int lvx_step() {
    Page& page = ThePage();
    if (!page.saver) return 0;
    const bool running = page.saver->VirtualStep();
    Drawn(page);
    return running ? 1 : 0;
}

// Virtual passes until `passes` have been made.
EMSCRIPTEN_KEEPALIVE void lvx_run_to(double passes) {
    Page& page = ThePage();
    if (!page.saver || !(passes >= 0)) return;
    page.saver->RunTo(static_cast<uint64_t>(std::min(passes, 9.0e15)));
    page.wholePending = true;
}

EMSCRIPTEN_KEEPALIVE double lvx_passes() {
    const auto& s = ThePage().saver;
    return s ? static_cast<double>(s->Passes()) : 0;
}

EMSCRIPTEN_KEEPALIVE void lvx_tick() {
    Page& page = ThePage();
    if (page.saver) page.saver->Tick();
}

// The canvas took a new size: the grid and the pictures follow at once.
EMSCRIPTEN_KEEPALIVE int lvx_resize(int width, int height) {
    Page& page = ThePage();
    if (!page.saver || width < 1 || height < 1 || width > kMaxFrameSide || height > kMaxFrameSide) return 0;
    const Settings s = web::SettingsFor(page.values, width);
    page.saver->Resize(width, height, s.PictureSize);
    page.wholePending = true;
    return 1;
}

EMSCRIPTEN_KEEPALIVE void lvx_pointer(int x, int y) {
    if (auto& s = ThePage().saver) s->PointerAt(x, y);
}

EMSCRIPTEN_KEEPALIVE void lvx_start_pointer(int x, int y) {
    if (auto& s = ThePage().saver) s->StartPointerAt(x, y);
}

EMSCRIPTEN_KEEPALIVE void lvx_key(int keyCode) {
    if (auto& s = ThePage().saver) s->KeyDown(static_cast<int16_t>(std::clamp(keyCode, -32768, 32767)));
}

// A press at (x, y) in canvas pixels: 1 when it was on a picture.
EMSCRIPTEN_KEEPALIVE int lvx_press(int x, int y) {
    auto& s = ThePage().saver;
    return s && s->Press(x, y) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int lvx_ended() {
    const auto& s = ThePage().saver;
    return !s || s->Ended() ? 1 : 0;
}

// What changed in the frame (lvx_rgba) since the last call: 1 the whole
// frame, 0 only the pictures' squares (lvx_picture), -1 there is no frame.
EMSCRIPTEN_KEEPALIVE int lvx_present() {
    Page& page = ThePage();
    if (!page.saver) return -1;
    if (page.wholePending) {
        page.wholePending = false;
        return 1;
    }
    return 0;
}

EMSCRIPTEN_KEEPALIVE const uint32_t* lvx_rgba() {
    const auto& s = ThePage().saver;
    return s ? s->Frame().data() : nullptr;
}

// How many pictures' regions the frame's memory holds (0: it holds the
// frame), and region i's left, top, width, height and first byte in memory
// (part 0 to 4).
EMSCRIPTEN_KEEPALIVE int lvx_regions() {
    const auto& s = ThePage().saver;
    return s ? static_cast<int>(s->Regions().size()) : 0;
}

EMSCRIPTEN_KEEPALIVE int lvx_region(int index, int part) {
    const auto& s = ThePage().saver;
    if (!s || index < 0 || static_cast<size_t>(index) >= s->Regions().size()) return 0;
    const FrameRegion& r = s->Regions()[static_cast<size_t>(index)];
    switch (part) {
        case 0: return r.x;
        case 1: return r.y;
        case 2: return r.surface.width;
        case 3: return r.surface.height;
        default: return static_cast<int>(reinterpret_cast<uintptr_t>(r.surface.topRow));
    }
}

// The background's pixel in canvas order (red in the low byte).
EMSCRIPTEN_KEEPALIVE unsigned lvx_background() {
    const auto& s = ThePage().saver;
    return s ? s->BackgroundPixel() : 0;
}

// Picture i's square as left, top and size (part 0, 1, 2); size 0 when it is
// not shown.
EMSCRIPTEN_KEEPALIVE int lvx_picture(int index, int part) {
    const auto& s = ThePage().saver;
    if (!s) return 0;
    const auto p = s->PictureAt(index);
    if (!p) return 0;
    return part == 0 ? p->left : part == 1 ? p->top : p->size;
}

}  // extern "C"
