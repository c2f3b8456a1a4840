#include "render/row_store.h"

#include <algorithm>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define LVX_ROW_STREAMS 1
#endif
#if defined(LVX_ROW_STREAMS) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define LVX_ROW_AVX2 1
#endif

namespace lvx::row_store {

namespace {

// Runs shorter than this gain nothing from streaming: their partial cache
// lines cost more than the lines streamed.
[[maybe_unused]] constexpr int64_t kStreamFrom = 64;

bool g_avx2 = true;

// Pixels up to out's next 64-byte boundary (pixels are 4-byte aligned, so
// the head is whole pixels).
[[maybe_unused]] int64_t HeadToLine(const uint32_t* out) {
    return static_cast<int64_t>((64 - (reinterpret_cast<uintptr_t>(out) & 63)) & 63) / 4;
}

#if defined(LVX_ROW_AVX2)
// Whole 64-byte lines from a 64-byte aligned out, two streamed stores each;
// the pixels done.
__attribute__((target("avx2"))) int64_t FillLinesAvx2(uint32_t* out, int64_t count, uint32_t value) {
    const __m256i v = _mm256_set1_epi32(static_cast<int>(value));
    int64_t i = 0;
    for (; i + 16 <= count; i += 16) {
        __m256i* line = reinterpret_cast<__m256i*>(out + i);
        _mm256_stream_si256(line, v);
        _mm256_stream_si256(line + 1, v);
    }
    return i;
}

__attribute__((target("avx2"))) int64_t CopyLinesAvx2(uint32_t* out, const uint32_t* source, int64_t count) {
    int64_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i* from = reinterpret_cast<const __m256i*>(source + i);
        __m256i* line = reinterpret_cast<__m256i*>(out + i);
        _mm256_stream_si256(line, _mm256_loadu_si256(from));
        _mm256_stream_si256(line + 1, _mm256_loadu_si256(from + 1));
    }
    return i;
}
#endif

}  // namespace

void UseAvx2(bool on) { g_avx2 = on; }

bool Avx2() {
#if defined(LVX_ROW_AVX2)
    static const bool available = __builtin_cpu_supports("avx2");
    return g_avx2 && available;
#else
    return false;
#endif
}

void FillPortable(uint32_t* out, int64_t count, uint32_t value) {
    if (count > 0) std::fill(out, out + count, value);
}

void CopyPortable(uint32_t* out, const uint32_t* source, int64_t count) {
    if (count > 0) std::copy(source, source + count, out);
}

#if defined(LVX_ROW_STREAMS)

bool Streams() { return true; }

// Up to the first 64-byte boundary with plain stores, whole lines streamed,
// the rest plain.
void Fill(uint32_t* out, int64_t count, uint32_t value) {
    if (count < kStreamFrom) return FillPortable(out, count, value);
    const int64_t head = HeadToLine(out);
    FillPortable(out, head, value);
    out += head;
    count -= head;
    int64_t i = 0;
#if defined(LVX_ROW_AVX2)
    if (Avx2()) {
        i = FillLinesAvx2(out, count, value);
        return FillPortable(out + i, count - i, value);
    }
#endif
    const __m128i v = _mm_set1_epi32(static_cast<int>(value));
    for (; i + 16 <= count; i += 16) {
        __m128i* line = reinterpret_cast<__m128i*>(out + i);
        _mm_stream_si128(line, v);
        _mm_stream_si128(line + 1, v);
        _mm_stream_si128(line + 2, v);
        _mm_stream_si128(line + 3, v);
    }
    FillPortable(out + i, count - i, value);
}

void Copy(uint32_t* out, const uint32_t* source, int64_t count) {
    if (count < kStreamFrom) return CopyPortable(out, source, count);
    const int64_t head = HeadToLine(out);
    CopyPortable(out, source, head);
    out += head;
    source += head;
    count -= head;
    int64_t i = 0;
#if defined(LVX_ROW_AVX2)
    if (Avx2()) {
        i = CopyLinesAvx2(out, source, count);
        return CopyPortable(out + i, source + i, count - i);
    }
#endif
    for (; i + 16 <= count; i += 16) {
        const __m128i* from = reinterpret_cast<const __m128i*>(source + i);
        __m128i* line = reinterpret_cast<__m128i*>(out + i);
        _mm_stream_si128(line, _mm_loadu_si128(from));
        _mm_stream_si128(line + 1, _mm_loadu_si128(from + 1));
        _mm_stream_si128(line + 2, _mm_loadu_si128(from + 2));
        _mm_stream_si128(line + 3, _mm_loadu_si128(from + 3));
    }
    CopyPortable(out + i, source + i, count - i);
}

void Finish() { _mm_sfence(); }

#else

bool Streams() { return false; }
void Fill(uint32_t* out, int64_t count, uint32_t value) { FillPortable(out, count, value); }
void Copy(uint32_t* out, const uint32_t* source, int64_t count) { CopyPortable(out, source, count); }
void Finish() {}

#endif

}  // namespace lvx::row_store
