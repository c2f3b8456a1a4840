#include "saver/frame_compose.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "render/gradient_geometry.h"
#include "render/line_raster.h"
#include "render/row_store.h"

namespace lvx {
namespace {

// The part of [from, to) that lies in [lo, hi).
std::pair<int64_t, int64_t> Clip(int64_t from, int64_t to, int64_t lo, int64_t hi) {
    return {std::max(from, lo), std::min(to, hi)};
}

}  // namespace

std::vector<std::pair<int32_t, int32_t>> PictureOutline(int32_t size, PictureShape shape) {
    const int32_t s = std::max(size, 0);
    std::vector<std::pair<int32_t, int32_t>> spans(static_cast<size_t>(s), {0, s});
    if (shape != PictureShape::Circle) return spans;
    const double r = s / 2.0;
    for (int32_t y = 0; y < s; ++y) {
        const double dy = (y + 0.5 - r) / r;
        const double half = dy * dy < 1 ? r * std::sqrt(1 - dy * dy) : 0;
        const auto x0 = static_cast<int32_t>(std::ceil(r - half - 0.5));
        const auto x1 = static_cast<int32_t>(std::floor(r + half - 0.5)) + 1;
        spans[static_cast<size_t>(y)] = {std::clamp(x0, 0, s), std::clamp(std::max(x0, x1), 0, s)};
    }
    return spans;
}

int FrameComposer::Compose(const PixelSurface& frame, const FrameScene& scene, bool clearBackground) {
    whole_.assign(1, FrameRegion{frame, 0, 0});
    return ComposeRegions(whole_, scene, clearBackground);
}

int FrameComposer::ComposeRegions(const std::vector<FrameRegion>& regions, const FrameScene& scene,
                                  bool clearBackground) {
    // The regions worth painting: with memory and pixels.
    const auto usable = [](const FrameRegion& r) {
        return r.surface.topRow != nullptr && r.surface.width > 0 && r.surface.height > 0;
    };
    if (std::none_of(regions.begin(), regions.end(), usable)) return 0;
    if (clearBackground) {
        const uint32_t back = PixelOf(scene.backColor) | scene.highBits;
        for (const FrameRegion& r : regions) {
            if (!usable(r)) continue;
            for (int32_t y = 0; y < r.surface.height; ++y) row_store::Fill(r.surface.Row(y), r.surface.width, back);
        }
    }
    const float angle = gradient::ReduceDegrees(scene.angle);
    // The lines depend on the size and the angle alone: planned once for all
    // the pictures of that size in this call, and not kept after it.
    int32_t plannedSize = -1;
    bool planned = false, swept = false;
    int painted = 0;
    // From the bottom of the stack up: picture 0 is painted last.
    for (auto it = scene.pictures.rbegin(); it != scene.pictures.rend(); ++it) {
        const FramePicture& p = *it;
        const int32_t s = p.size;
        if (s <= 1) continue;
        // The regions the picture reaches into; none, and there is nothing to paint.
        const auto reaches = [&p, s](const FrameRegion& r) {
            return static_cast<int64_t>(p.left) + s > r.x && p.left < static_cast<int64_t>(r.x) + r.surface.width &&
                   static_cast<int64_t>(p.top) + s > r.y && p.top < static_cast<int64_t>(r.y) + r.surface.height;
        };
        if (std::none_of(regions.begin(), regions.end(), [&](const FrameRegion& r) { return usable(r) && reaches(r); })) {
            ++painted;
            continue;
        }
        if (s != plannedSize) {
            plannedSize = s;
            try {
                lines_.points = gradient::SweepLines(angle, s, s);
                outline_ = PictureOutline(s, scene.shape);
                planned = true;
            } catch (const std::exception&) {
                planned = false;
            }
            swept = planned && sweep_.Prepare(lines_.points, lines_.LineCount(), s, s);
        }
        if (!planned) continue;
        try {
            clsGradient::BlendColors(p.color1 & 0x00FFFFFF, p.color2 & 0x00FFFFFF,
                                     gradient::ColourStepsFor(static_cast<int32_t>(lines_.points.size())),
                                     lines_.colors);
            if (swept) {
                sweep_.SetColours(lines_.colors, colours_);
                if (scene.highBits != 0) {
                    for (uint32_t& c : colours_.forward) c |= scene.highBits;
                    for (uint32_t& c : colours_.backward) c |= scene.highBits;
                }
            } else {
                picture_.resize(static_cast<size_t>(s) * static_cast<size_t>(s));
            }
        } catch (const std::exception&) {
            continue;
        }
        // Lines that are no sweep (none that Draw plans) are drawn whole
        // into a picture of their own and copied through the outline.
        const PixelSurface own{picture_.data(), s, s, s};
        if (!swept && !PaintLines(own, lines_)) continue;
        if (!swept && scene.highBits != 0) {
            for (uint32_t& c : picture_) c |= scene.highBits;
        }
        for (const FrameRegion& r : regions) {
            if (!usable(r) || !reaches(r)) continue;
            // The picture's own coordinates of the region's part of it.
            const int64_t left = static_cast<int64_t>(p.left) - r.x, top = static_cast<int64_t>(p.top) - r.y;
            const auto [y0, y1] = Clip(0, s, -top, r.surface.height - top);
            for (int64_t y = y0; y < y1; ++y) {
                const auto [a, b] = outline_[static_cast<size_t>(y)];
                const auto [x0, x1] = Clip(a, b, -left, r.surface.width - left);
                if (x0 >= x1) continue;
                uint32_t* out = r.surface.Row(static_cast<int32_t>(top + y)) + (left + x0);
                if (swept) {
                    sweep_.PaintRow(static_cast<int32_t>(y), static_cast<int32_t>(x0), static_cast<int32_t>(x1),
                                    colours_, out);
                } else {
                    row_store::Copy(out, own.Row(static_cast<int32_t>(y)) + x0, x1 - x0);
                }
            }
        }
        ++painted;
    }
    row_store::Finish();
    return painted;
}

}  // namespace lvx
