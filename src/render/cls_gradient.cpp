#include "render/cls_gradient.h"

#include <cmath>
#include <exception>
#include <string>

#include "render/gradient_geometry.h"
#include "render/line_raster.h"
#include "common/number_rules.h"
#include "common/system_colour.h"
#include "settings/settings.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define LVX_WIDE_BLEND 1
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#define LVX_WIDE_BLEND 1
#endif

namespace lvx {

GdiHandle HandleTarget::WindowHandle() {
    if (window_ == 0) throw TargetError("描画先のウィンドウハンドルを取得できません。");
    return window_;
}

GdiHandle HandleTarget::DeviceContext() {
    if (dc_ == 0) throw TargetError("描画先のデバイスコンテキストを取得できません。");
    return dc_;
}

namespace {

// RoundHalfEven, fast for the channel values of a colour table: adding and
// taking away 1.5 * 2^52 leaves a double below 2^51 rounded to a whole
// number by the processor's own rounding, which is to the nearest, halves
// to even (SSE arithmetic on every build; nothing here changes the mode).
double NearestEven(double value) {
    constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52
    if (!(std::fabs(value) < 2251799813685248.0)) return RoundHalfEven(value);  // 2^51, or not a number
    volatile double shifted = value + kShift;
    return shifted - kShift;
}

bool g_wideBlend = true;

#if defined(LVX_WIDE_BLEND)
// Entries i and i + 1 of each channel side by side: the same products and
// sums as one at a time, rounded by the processor as NearestEven rounds
// (to the nearest, halves to even). Every channel lies between its two
// ends, so the channels can be or-ed into place. Returns the first entry
// not done.
int32_t BlendPairs(int32_t i, int32_t last, const float (&step)[3], const int32_t (&start)[3], int32_t* out) {
#if defined(__SSE2__)
    const __m128d sR = _mm_set1_pd(step[0]), sG = _mm_set1_pd(step[1]), sB = _mm_set1_pd(step[2]);
    const __m128d aR = _mm_set1_pd(start[0]), aG = _mm_set1_pd(start[1]), aB = _mm_set1_pd(start[2]);
    const __m128d two = _mm_set1_pd(2.0);
    __m128d at = _mm_set_pd(i + 1, i);
    for (; i + 1 <= last; i += 2, at = _mm_add_pd(at, two)) {
        const __m128i r = _mm_cvtpd_epi32(_mm_add_pd(_mm_mul_pd(at, sR), aR));
        const __m128i g = _mm_cvtpd_epi32(_mm_add_pd(_mm_mul_pd(at, sG), aG));
        const __m128i b = _mm_cvtpd_epi32(_mm_add_pd(_mm_mul_pd(at, sB), aB));
        const __m128i rgb = _mm_or_si128(r, _mm_or_si128(_mm_slli_epi32(g, 8), _mm_slli_epi32(b, 16)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), rgb);
    }
#else
    const v128_t sR = wasm_f64x2_splat(step[0]), sG = wasm_f64x2_splat(step[1]), sB = wasm_f64x2_splat(step[2]);
    const v128_t aR = wasm_f64x2_splat(start[0]), aG = wasm_f64x2_splat(start[1]), aB = wasm_f64x2_splat(start[2]);
    const v128_t two = wasm_f64x2_splat(2.0);
    v128_t at = wasm_f64x2_make(i, i + 1);
    const auto channel = [&](v128_t s, v128_t a) {
        return wasm_i32x4_trunc_sat_f64x2_zero(wasm_f64x2_nearest(wasm_f64x2_add(wasm_f64x2_mul(at, s), a)));
    };
    for (; i + 1 <= last; i += 2, at = wasm_f64x2_add(at, two)) {
        const v128_t rgb = wasm_v128_or(channel(sR, aR), wasm_v128_or(wasm_i32x4_shl(channel(sG, aG), 8),
                                                                      wasm_i32x4_shl(channel(sB, aB), 16)));
        wasm_v128_store64_lane(out + i, rgb, 0);
    }
#endif
    return i;
}
#endif

}  // namespace

void clsGradient::UseWideBlend(bool on) { g_wideBlend = on; }

clsGradient::clsGradient(GradientPort& port) : port_(port) {}

int32_t clsGradient::Resolve(int32_t color) {
    // 0x80000000 + index names a system colour; it is looked up once, now.
    if (auto index = SystemColourIndex(color)) return port_.SystemColor(*index);
    return color;
}

void clsGradient::Color1(int32_t lData) {
    color1_ = lData;
    color1_ = Resolve(lData);
}

void clsGradient::Color2(int32_t lData) {
    color2_ = lData;
    color2_ = Resolve(lData);
}

void clsGradient::Angle(float fData) { angle_ = gradient::ReduceDegrees(fData); }

double clsGradient::SafeDivide(double dividend, double divisor) {
    return gradient::SafeDivide(dividend, divisor);
}

void clsGradient::RotatePoint(const GuidePoint& centre, GuidePoint& point, float degrees) {
    gradient::RotatePoint(centre, point, degrees);
}

int32_t clsGradient::BlendColors(int32_t lColor1, int32_t lColor2, int32_t lSteps,
                                 std::vector<int32_t>& laRetColors) {
    if (lSteps < 2) lSteps = 2;
    const int32_t r1 = lColor1 & 0xFF, g1 = (lColor1 & 0xFF00) / 256, b1 = (lColor1 & 0xFF0000) / 65536;
    const int32_t r2 = lColor2 & 0xFF, g2 = (lColor2 & 0xFF00) / 256, b2 = (lColor2 & 0xFF0000) / 65536;
    // Divided by the count, not the count less one: the inner entries stop
    // short and the last one jumps to lColor2.
    const float stepR = static_cast<float>(SafeDivide(r2 - r1, lSteps));
    const float stepG = static_cast<float>(SafeDivide(g2 - g1, lSteps));
    const float stepB = static_cast<float>(SafeDivide(b2 - b1, lSteps));

    laRetColors.clear();
    laRetColors.resize(static_cast<size_t>(lSteps));
    laRetColors[0] = lColor1;
    laRetColors[static_cast<size_t>(lSteps) - 1] = lColor2;
    int32_t i = 1;
#if defined(LVX_WIDE_BLEND)
    if (g_wideBlend) i = BlendPairs(i, lSteps - 2, {stepR, stepG, stepB}, {r1, g1, b1}, laRetColors.data());
#endif
    for (; i <= lSteps - 2; ++i) {
        const auto channel = [i](float step, int32_t start) {
            return static_cast<int32_t>(NearestEven(static_cast<double>(i) * step + start));
        };
        laRetColors[static_cast<size_t>(i)] =
            channel(stepR, r1) + channel(stepG, g1) * 256 + channel(stepB, b1) * 65536;
    }
    return lSteps;
}

GradientLines clsGradient::PlanLines(int32_t w, int32_t h) const {
    GradientLines lines;
    lines.points = gradient::SweepLines(angle_, w, h);
    const int32_t n = static_cast<int32_t>(lines.points.size());
    BlendColors(color1_, color2_, gradient::ColourStepsFor(n), lines.colors);
    return lines;
}

struct clsGradient::LastPlan {
    // The points are SweepLines(angle, w, h); the sweep is readied from
    // them for a sweepW x sweepH surface (-1: not yet).
    bool valid = false;
    float angle = 0;
    int32_t w = 0, h = 0;
    GradientLines lines;
    SweepPainter sweep;
    bool swept = false;
    int32_t sweepW = -1, sweepH = -1;
};

int32_t clsGradient::DrawLines(GdiHandle hdc, int32_t w, int32_t h) {
    if (!last_) last_ = std::make_shared<LastPlan>();
    LastPlan& plan = *last_;
    GradientLines& lines = plan.lines;
    try {
        if (!plan.valid || plan.angle != angle_ || plan.w != w || plan.h != h) {
            plan.valid = false;
            plan.sweepW = plan.sweepH = -1;
            lines.points = gradient::SweepLines(angle_, w, h);
            plan.angle = angle_;
            plan.w = w;
            plan.h = h;
            plan.valid = true;
        }
        BlendColors(color1_, color2_, gradient::ColourStepsFor(static_cast<int32_t>(lines.points.size())), lines.colors);
    } catch (...) {
        return 0;
    }

    // A bitmap whose memory can be written gets the same pixels without a
    // pen and a GDI call per line; the device context is left at the end of
    // the last line, as LineTo leaves it.
    try {
        PixelSurface pixels;
        const bool opened = port_.OpenPixels(hdc, pixels);
        if (opened && (plan.sweepW != pixels.width || plan.sweepH != pixels.height)) {
            plan.sweepW = plan.sweepH = -1;
            plan.swept = plan.sweep.Prepare(lines.points, lines.LineCount(), pixels.width, pixels.height);
            plan.sweepW = pixels.width;
            plan.sweepH = pixels.height;
        }
        if (opened && PaintLines(pixels, lines, plan.sweep, plan.swept)) {
            if (lines.LineCount() > 0) {
                const LinePoint& end = lines.points[static_cast<size_t>(2 * lines.LineCount() - 1)];
                port_.MoveTo(hdc, end.x, end.y);
            }
            return lines.DrawResult();
        }
    } catch (...) {
        return 0;
    }

    const int32_t n = static_cast<int32_t>(lines.points.size());
    int32_t i = 0;
    for (; i <= n - 2; i += 2) {
        // One pen per line; the device context gets its former pen back
        // before the next line, whatever happens.
        GdiHandle pen = 0;
        GdiHandle former = 0;
        bool created = false;
        bool selected = false;
        try {
            const LinePoint& from = lines.points[static_cast<size_t>(i)];
            const LinePoint& to = lines.points[static_cast<size_t>(i) + 1];
            port_.MoveTo(hdc, from.x, from.y);
            pen = port_.CreateSolidPen(lines.colors[static_cast<size_t>(i / 2)]);
            created = true;
            former = port_.SelectIntoDc(hdc, pen);
            selected = true;
            port_.DrawLineTo(hdc, to.x, to.y);
            selected = false;
            port_.SelectIntoDc(hdc, former);
            created = false;
            port_.DeletePen(pen);
        } catch (...) {
            try {
                if (selected) port_.SelectIntoDc(hdc, former);
            } catch (...) {
            }
            try {
                if (created) port_.DeletePen(pen);
            } catch (...) {
            }
            return 0;
        }
    }
    return i;
}

int16_t clsGradient::Draw(GradientTarget& picObj) {
    bool drawn = false;
    bool failed = false;
    std::string error;
    try {
        const GdiHandle window = picObj.WindowHandle();
        port_.LockUpdates(window);
        int32_t w = 0;
        int32_t h = 0;
        if (port_.ReadClientRect(window, w, h) && w > 1 && h > 1) {
            drawn = DrawLines(picObj.DeviceContext(), w, h) > 0;
        }
    } catch (const std::exception& e) {
        failed = true;
        error = e.what();
    } catch (...) {
        failed = true;
        error = "描画中に不明なエラーが発生しました。";
    }
    if (failed) {
        drawn = false;
        // Nothing may keep the lock on: a box that fails is passed over.
        try {
            port_.ShowWarning(error, kAppTitle);
        } catch (...) {
        }
    }
    port_.LockUpdates(0);
    return drawn ? kTrue : kFalse;
}

}  // namespace lvx
