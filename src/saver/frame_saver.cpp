#include "saver/frame_saver.h"

#include <algorithm>

#include "common/number_rules.h"

namespace lvx {
namespace {

int32_t Side(int32_t side) { return std::clamp(side, 1, kMaxFrameSide); }

int32_t RedBlueExchanged(int32_t c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

}  // namespace

FrameSaver::FrameSaver(const Settings& settings, int32_t width, int32_t height)
    : settings_(settings),
      width_(Side(width)),
      height_(Side(height)),
      frame_(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0),
      sound_(settings_, mci_, wave_),
      saver_(settings_, false, *this, program_, gradientPort_, sound_) {
    // Nothing is ever played here.
    settings_.BgmKind = 0;
    settings_.BgmFile.clear();
}

void FrameSaver::Start() {
    saver_.Form_Setup();
    saver_.Rotate_Begin();
}

bool FrameSaver::Pass() {
    if (ended_) return false;
    return saver_.Rotate_Step() && !ended_;
}

void FrameSaver::Tick() {
    if (!ended_) saver_.Timer3_Timer();
}

bool FrameSaver::VirtualStep() {
    const uint64_t made = saver_.Passes();
    if (made > 0 && made % kVirtualPassesPerSecond == 0) Tick();
    return Pass();
}

void FrameSaver::RunTo(uint64_t passes) {
    while (saver_.Passes() < passes && VirtualStep()) {
    }
}

void FrameSaver::Resize(int32_t width, int32_t height, int16_t pictureSize) {
    width = Side(width);
    height = Side(height);
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    frame_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
    regions_.clear();
    layoutChanged_ = true;
    saver_.Screen_Resized(static_cast<int16_t>(width_), static_cast<int16_t>(height_), pictureSize);
    // The new frame shows at once, not a pass later.
    saver_.Draw_Pictures();
}

void FrameSaver::PointerAt(int32_t x, int32_t y) { pointer_ = {x, y}; }

void FrameSaver::StartPointerAt(int32_t x, int32_t y) {
    pointer_ = {x, y};
    if (auto v = NearestInt16(x)) saver_.StartCursorX = *v;
    if (auto v = NearestInt16(y)) saver_.StartCursorY = *v;
}

void FrameSaver::KeyDown(int16_t keyCode) {
    if (!ended_) saver_.Form_KeyDown(keyCode, 0);
}

bool FrameSaver::Press(int32_t x, int32_t y) {
    if (ended_) return false;
    for (int i = 0; i < countDrawn_; ++i) {
        const Place& p = places_[static_cast<size_t>(i)];
        if (!p.shown || p.size <= 1) continue;
        const int32_t row = y - p.top, column = x - p.left;
        if (row < 0 || row >= p.size || column < 0 || column >= p.size) continue;
        const auto spans = PictureOutline(p.size, circles_ ? PictureShape::Circle : PictureShape::Square);
        const auto [from, to] = spans[static_cast<size_t>(row)];
        if (column < from || column >= to) continue;
        saver_.PicDraw_MouseDown(static_cast<int16_t>(i), 1, 0, static_cast<float>(column),
                                 static_cast<float>(row));
        return true;
    }
    return false;
}

std::optional<FramePicture> FrameSaver::PictureAt(int index) const {
    if (index < 0 || index >= countDrawn_) return std::nullopt;
    const Place& p = places_[static_cast<size_t>(index)];
    if (!p.shown) return std::nullopt;
    FramePicture picture;
    picture.left = p.left;
    picture.top = p.top;
    picture.size = p.size;
    return picture;
}

void FrameSaver::ScreenTwips(double& width, double& height) {
    width = width_ * 15.0;
    height = height_ * 15.0;
}

void FrameSaver::TwipsPerPixel(double& x, double& y) { x = y = 15.0; }

void FrameSaver::SetBackColor(int32_t color) {
    back_ = color;
    layoutChanged_ = true;
}

void FrameSaver::ReadMonitors(std::vector<ScreenRect>& monitors, ScreenRect& primary) {
    primary = ScreenRect{0, 0, width_, height_};
    monitors = {primary};
}

void FrameSaver::CreatePicture(int index) {
    if (index <= 0 || index >= kPictureSlots) return;
    places_[static_cast<size_t>(index)] = places_[0];
    places_[static_cast<size_t>(index)].shown = true;
    layoutChanged_ = true;
}

void FrameSaver::SizePicture(int index, int32_t size) {
    if (index < 0 || index >= kPictureSlots) return;
    Place& p = places_[static_cast<size_t>(index)];
    p.shown = true;
    p.size = std::max<int32_t>(size, 0);
    layoutChanged_ = true;
}

int32_t FrameSaver::SetPictureEllipse(int index, int32_t) {
    if (index < 0 || index >= kPictureSlots) return 0;
    circles_ = true;
    layoutChanged_ = true;
    return 1;
}

void FrameSaver::MovePicture(int index, double left, double top) {
    if (index < 0 || index >= kPictureSlots) return;
    // Whole pixels, halves to the even neighbour, as the platform places windows.
    const auto x = NearestInt32(left);
    const auto y = NearestInt32(top);
    if (!x || !y) return;
    Place& p = places_[static_cast<size_t>(index)];
    p.left = *x;
    p.top = *y;
    layoutChanged_ = true;
}

GradientTarget& FrameSaver::PictureTarget(int) {
    // Every pass arrives whole through DrawPass; a picture drawn one by one
    // would have no window to go to.
    return nowhere_;
}

bool FrameSaver::DrawPass(float angle, const std::array<int32_t, kPictureSlots>& color1,
                          const std::array<int32_t, kPictureSlots>& color2, int count) {
    countDrawn_ = std::clamp(count, 0, kPictureSlots);
    FrameScene scene;
    scene.backColor = canvasOrder_ ? RedBlueExchanged(back_) : back_;
    scene.angle = angle;
    scene.shape = circles_ ? PictureShape::Circle : PictureShape::Square;
    scene.highBits = canvasOrder_ ? 0xFF000000u : 0;
    for (int i = 0; i < countDrawn_; ++i) {
        const auto k = static_cast<size_t>(i);
        const Place& p = places_[k];
        FramePicture picture;
        if (p.shown) {
            picture.left = p.left;
            picture.top = p.top;
            picture.size = p.size;
        }
        picture.color1 = canvasOrder_ ? RedBlueExchanged(color1[k]) : color1[k];
        picture.color2 = canvasOrder_ ? RedBlueExchanged(color2[k]) : color2[k];
        scene.pictures.push_back(picture);
    }
    wholeDrawn_ = layoutChanged_;
    if (layoutChanged_) MakeRegions();
    if (!regions_.empty()) {
        composer_.ComposeRegions(regions_, scene, layoutChanged_);
    } else {
        composer_.Compose(PixelSurface{frame_.data(), width_, height_, width_}, scene, layoutChanged_);
    }
    layoutChanged_ = false;
    return true;
}

void FrameSaver::MakeRegions() {
    regions_.clear();
    if (!useRegions_) return;
    size_t used = 0;
    for (int i = 0; i < countDrawn_; ++i) {
        const Place& p = places_[static_cast<size_t>(i)];
        if (!p.shown || p.size <= 1) continue;
        const int64_t x0 = std::max(p.left, 0), y0 = std::max(p.top, 0);
        const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(p.left) + p.size, width_);
        const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(p.top) + p.size, height_);
        if (x0 >= x1 || y0 >= y1) continue;
        const auto area = static_cast<size_t>((x1 - x0) * (y1 - y0));
        // Pictures larger than the frame together: the frame is drawn whole.
        if (used + area > frame_.size()) {
            regions_.clear();
            return;
        }
        const auto w = static_cast<int32_t>(x1 - x0);
        regions_.push_back({PixelSurface{frame_.data() + used, w, static_cast<int32_t>(y1 - y0), w},
                            static_cast<int32_t>(x0), static_cast<int32_t>(y0)});
        used += area;
    }
}

uint32_t FrameSaver::BackgroundPixel() const {
    return canvasOrder_ ? PixelOf(RedBlueExchanged(back_)) | 0xFF000000u : PixelOf(back_);
}

bool FrameSaver::ReadCursor(int32_t& x, int32_t& y) {
    if (!pointer_) return false;
    x = pointer_->first;
    y = pointer_->second;
    return true;
}

}  // namespace lvx
