// The saver's random numbers: one uniform generator of single-precision
// values in [0, 1), reseeded from the time of day where the saver asks for
// fresh colours, sizes or a background.
#pragma once

#include <cstdint>

namespace lvx {

class SaverRandom {
public:
    // Starts the sequence that belongs to this seed (tests use it to repeat one).
    void Seed(uint64_t seed);
    // Starts a new sequence from a clock reading. A counter is mixed in, so
    // two reseeds within one tick of a coarse clock still differ: otherwise
    // the background, the size and the first picture's colours, each drawn
    // after its own reseed, would come out alike.
    void Reseed(uint64_t clockReading);
    // The next value in [0, 1): a multiple of 2^-24, so every value is exact
    // in single precision and none rounds up to 1.
    float Next();

private:
    uint64_t state_ = 0x853C49E6748FEA9BULL;
    uint64_t reseeds_ = 0;
};

}  // namespace lvx
