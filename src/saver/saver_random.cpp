#include "saver/saver_random.h"

namespace lvx {
namespace {

// SplitMix64: spreads a seed over all 64 bits, so near clock readings give
// unrelated states.
uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;

}  // namespace

void SaverRandom::Seed(uint64_t seed) { state_ = Mix(seed); }

void SaverRandom::Reseed(uint64_t clockReading) {
    ++reseeds_;
    Seed(clockReading ^ Mix(reseeds_ * 0xD1B54A32D192ED03ULL));
}

float SaverRandom::Next() {
    // PCG32 (XSH RR): a 64-bit linear congruential state, 32 bits out.
    const uint64_t old = state_;
    state_ = old * kMultiplier + kIncrement;
    const auto xorShifted = static_cast<uint32_t>(((old >> 18) ^ old) >> 27);
    const auto rot = static_cast<uint32_t>(old >> 59);
    const uint32_t out = (xorShifted >> rot) | (xorShifted << ((32 - rot) & 31));
    return static_cast<float>(out >> 8) * (1.0f / 16777216.0f);
}

}  // namespace lvx
