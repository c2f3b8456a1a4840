#include "resources/dialog_art.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "common/dpi.h"

namespace lvx::art {
namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

uint32_t Channel(double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)); }

// Paints colour c with coverage a (0..1) over the pixel.
void Over(uint32_t& pixel, Rgb c, double a) {
    if (a <= 0) return;
    const double da = Alpha(pixel) / 255.0;
    const double oa = a + da * (1 - a);
    if (oa <= 0) return;
    auto mix = [&](double src, double dst) { return (src * a + dst * da * (1 - a)) / oa; };
    pixel = Argb(Channel(oa * 255), Channel(mix(c.r, Red(pixel))), Channel(mix(c.g, Green(pixel))),
                 Channel(mix(c.b, Blue(pixel))));
}

// Signed distance from (px, py) to a box with rounded corners: negative inside.
double RoundedBox(double px, double py, double x0, double y0, double x1, double y1, double r) {
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const double qx = std::abs(px - cx) - ((x1 - x0) / 2 - r);
    const double qy = std::abs(py - cy) - ((y1 - y0) / 2 - r);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - r;
}

double Circle(double px, double py, double cx, double cy, double r) { return std::hypot(px - cx, py - cy) - r; }

// Fills a shape given by its distance function with anti-aliased edges
// (4 x 4 samples per pixel); shade gives the colour at a pixel's relative
// height (0 at the top of the image, 1 at the bottom).
template <typename Shape, typename Shade>
void Fill(Image& img, Shape shape, Shade shade, double opacity = 1.0) {
    constexpr int kSamples = 4;
    for (int32_t y = 0; y < img.height; ++y) {
        for (int32_t x = 0; x < img.width; ++x) {
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    if (shape(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples) < 0) ++inside;
                }
            }
            if (inside == 0) continue;
            const double t = img.height > 1 ? (y + 0.5) / img.height : 0.5;
            Over(img.At(x, y), shade(t), opacity * inside / (kSamples * kSamples));
        }
    }
}

// A deterministic value in [0, 1) for a pair of integers.
double Hash(uint32_t a, uint32_t b) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / static_cast<double>(0x1000000);
}

// A bar with rounded ends, a one-design-pixel border and a vertical shading.
Image Capsule(int32_t dpi, Rgb border, Rgb top, Rgb bottom, Rgb gloss) {
    Image img(ScaleForDpi(95, dpi), ScaleForDpi(22, dpi));
    const double w = img.width, h = img.height, t = dpi / 96.0;
    Fill(img, [&](double x, double y) { return RoundedBox(x, y, 0, 0, w, h, h / 2); },
         [&](double) { return border; });
    Fill(img, [&](double x, double y) { return RoundedBox(x, y, t, t, w - t, h - t, h / 2 - t); },
         [&](double v) { return Mix(top, bottom, v); });
    // A faint highlight over the upper half gives the bar its rounded look.
    Fill(img, [&](double x, double y) { return RoundedBox(x, y, 2.5 * t, 1.5 * t, w - 2.5 * t, h * 0.5, h / 4); },
         [&](double) { return gloss; }, 0.55);
    return img;
}

}  // namespace

Image MetalStrip(int32_t dpi) {
    Image img(ScaleForDpi(542, dpi), ScaleForDpi(24, dpi));
    const Rgb left{223, 223, 223}, right{175, 168, 175};
    const double streakLength = 23.0 * dpi / 96.0;
    for (int32_t y = 0; y < img.height; ++y) {
        // Brushing: each row has its own brightness and long faint streaks.
        const double row = (Hash(static_cast<uint32_t>(y), 7) - 0.5) * 7;
        for (int32_t x = 0; x < img.width; ++x) {
            const double along = x / streakLength;
            const auto cell = static_cast<uint32_t>(along);
            const double f = along - cell;
            const double smooth = f * f * (3 - 2 * f);
            const double a = Hash(cell, static_cast<uint32_t>(y) + 101), b = Hash(cell + 1, static_cast<uint32_t>(y) + 101);
            const double streak = (a + (b - a) * smooth - 0.5) * 8;
            const double grain = (Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y) * 31 + 5) - 0.5) * 3;
            const Rgb base = Mix(left, right, img.width > 1 ? static_cast<double>(x) / (img.width - 1) : 0);
            const double d = row + streak + grain;
            img.At(x, y) = Argb(255, Channel(base.r + d), Channel(base.g + d), Channel(base.b + d));
        }
    }
    return img;
}

Image HeadingBar(int32_t dpi) {
    return Capsule(dpi, {112, 112, 116}, {232, 232, 234}, {158, 158, 164}, {246, 246, 248});
}

Image ButtonPicture(bool held, int32_t dpi) {
    if (held) return Capsule(dpi, {58, 104, 196}, {172, 208, 255}, {98, 152, 232}, {214, 234, 255});
    return Capsule(dpi, {22, 58, 140}, {98, 152, 234}, {30, 82, 186}, {150, 192, 248});
}

Image RadioMark(bool selected, int32_t dpi) {
    Image img(ScaleForDpi(13, dpi), ScaleForDpi(13, dpi));
    const double c = img.width / 2.0, t = dpi / 96.0;
    Fill(img, [&](double x, double y) { return Circle(x, y, c, c, c); }, [](double) { return Rgb{92, 92, 100}; });
    Fill(img, [&](double x, double y) { return Circle(x, y, c, c, c - t); },
         [](double v) { return Mix(Rgb{214, 214, 220}, Rgb{255, 255, 255}, v); });
    if (selected) {
        Fill(img, [&](double x, double y) { return Circle(x, y, c, c, 3.2 * t); },
             [](double v) { return Mix(Rgb{246, 70, 60}, Rgb{176, 12, 12}, v); });
    }
    return img;
}

Image CheckMark(bool set, int32_t dpi) {
    Image img(ScaleForDpi(12, dpi), ScaleForDpi(12, dpi));
    const double w = img.width, t = dpi / 96.0;
    Fill(img, [&](double x, double y) { return RoundedBox(x, y, 0, 0, w, w, 0.8 * t); },
         [](double) { return Rgb{72, 72, 80}; });
    Fill(img, [&](double x, double y) { return RoundedBox(x, y, t, t, w - t, w - t, 0); },
         [&](double v) {
             return set ? Mix(Rgb{84, 140, 240}, Rgb{24, 72, 196}, v) : Mix(Rgb{220, 220, 226}, Rgb{255, 255, 255}, v);
         });
    return img;
}

Image WindowIcon(int32_t size) {
    // Four gradient squares on black, as the program's own icon; each row of
    // a square is one colour, so the icon never needs more than 256.
    Image img(size, size, Argb(255, 0, 0, 0));
    const int32_t q = size * 7 / 16, gap = size / 16 + 1, o = (size - 2 * q - gap) / 2;
    const Rgb tops[4] = {{64, 96, 255}, {255, 96, 160}, {96, 255, 128}, {255, 176, 64}};
    const Rgb bottoms[4] = {{0, 16, 64}, {64, 0, 16}, {0, 64, 16}, {64, 32, 0}};
    for (int i = 0; i < 4; ++i) {
        const int32_t left = o + (i % 2) * (q + gap), top = o + (i / 2) * (q + gap);
        for (int32_t y = 0; y < q; ++y) {
            const Rgb c = Mix(tops[i], bottoms[i], q > 1 ? static_cast<double>(y) / (q - 1) : 0);
            for (int32_t x = 0; x < q; ++x) img.At(left + x, top + y) = Argb(255, Channel(c.r), Channel(c.g), Channel(c.b));
        }
    }
    return img;
}

Cursor HandCursor(int32_t dpi) {
    const int32_t size = ScaleForDpi(32, dpi);
    const double s = dpi / 96.0;
    // The hand in design pixels: the raised index finger, three bent fingers,
    // the thumb on the left and the palm.
    auto hand = [](double x, double y) {
        double d = RoundedBox(x, y, 10, 1, 15, 17, 2.5);
        d = std::min(d, RoundedBox(x, y, 15, 8, 19, 17, 2));
        d = std::min(d, RoundedBox(x, y, 19, 9, 23, 17, 2));
        d = std::min(d, RoundedBox(x, y, 23, 10, 27, 18, 2));
        d = std::min(d, RoundedBox(x, y, 9, 14, 27, 28, 4.5));
        // The thumb: a rounded bar from (5, 15) to (10, 21).
        const double ax = 5, ay = 15, bx = 10, by = 21;
        const double h = std::clamp(((x - ax) * (bx - ax) + (y - ay) * (by - ay)) /
                                        ((bx - ax) * (bx - ax) + (by - ay) * (by - ay)), 0.0, 1.0);
        d = std::min(d, std::hypot(x - ax - h * (bx - ax), y - ay - h * (by - ay)) - 2.4);
        return d;
    };
    // Creases between the fingers, in design pixels: [x0, x1) x [y0, y1).
    struct Box {
        double x0, y0, x1, y1;
    };
    const Box creases[] = {{14, 8, 15, 15}, {18, 9, 19, 15}, {22, 10, 23, 16}};

    std::vector<bool> inside(static_cast<size_t>(size) * size);
    auto in = [&](int32_t x, int32_t y) {
        return x >= 0 && y >= 0 && x < size && y < size && inside[static_cast<size_t>(y) * size + x];
    };
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) inside[static_cast<size_t>(y) * size + x] = hand((x + 0.5) / s, (y + 0.5) / s) < 0;
    }
    const int32_t t = std::max<int32_t>(1, static_cast<int32_t>(std::lround(s)));
    Cursor cursor;
    cursor.image = Image(size, size, 0);
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            if (!in(x, y)) continue;
            bool edge = false;
            for (int32_t k = 1; k <= t && !edge; ++k) edge = !in(x - k, y) || !in(x + k, y) || !in(x, y - k) || !in(x, y + k);
            const double u = (x + 0.5) / s, v = (y + 0.5) / s;
            for (const Box& b : creases) edge = edge || (u >= b.x0 && u < b.x1 && v >= b.y0 && v < b.y1);
            cursor.image.At(x, y) = edge ? Argb(255, 0, 0, 0) : Argb(255, 255, 255, 255);
        }
    }
    // The hot spot is the topmost pixel of the fingertip's middle column.
    cursor.hotX = ScaleForDpi(12, dpi);
    cursor.hotY = 0;
    while (cursor.hotY < size - 1 && !in(cursor.hotX, cursor.hotY)) ++cursor.hotY;
    return cursor;
}

Indexed ToPalette(const Image& image) {
    Indexed out;
    std::map<uint32_t, uint8_t> index;
    out.indices.reserve(image.pixels.size());
    out.transparent.reserve(image.pixels.size());
    for (uint32_t p : image.pixels) {
        const bool clear = Alpha(p) < 128;
        out.transparent.push_back(clear);
        if (clear) {
            out.indices.push_back(0);
            continue;
        }
        const uint32_t rgb = p & 0xFFFFFF;
        auto it = index.find(rgb);
        if (it == index.end()) {
            if (out.palette.size() == 256) return {};
            it = index.emplace(rgb, static_cast<uint8_t>(out.palette.size())).first;
            out.palette.push_back(rgb);
        }
        out.indices.push_back(it->second);
    }
    if (out.palette.empty()) out.palette.push_back(0);
    return out;
}

}  // namespace lvx::art
