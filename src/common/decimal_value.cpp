#include "common/decimal_value.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace lvx {
namespace {

// Beyond this many significant digits only whether any further digit is
// non-zero can change the rounding: a double, and the point halfway between
// two neighbouring doubles, have at most 767 significant decimal digits.
constexpr int64_t kKeptDigits = 800;

// Decimal exponents outside which the answer is known without arithmetic:
// a value of at least 10^309 is beyond the largest double, and one below
// 10^-324 is below half the smallest one.
constexpr int64_t kTooLargeFrom = 310;
constexpr int64_t kTooSmallUpTo = -324;

// An unsigned integer of up to 4096 bits: enough for 801 digits over a power
// of five up to 5^1125, with the quotient's bits shifted in.
class Big {
public:
    explicit Big(uint32_t v = 0) {
        if (v != 0) limbs_[size_++] = v;
    }

    bool IsZero() const { return size_ == 0; }

    int BitLength() const {
        if (size_ == 0) return 0;
        return 32 * (size_ - 1) + std::bit_width(limbs_[size_ - 1]);
    }

    // this = this * m + add
    void MulAdd(uint32_t m, uint32_t add) {
        uint64_t carry = add;
        for (int i = 0; i < size_; ++i) {
            uint64_t t = static_cast<uint64_t>(limbs_[i]) * m + carry;
            limbs_[i] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        if (carry != 0) limbs_[size_++] = static_cast<uint32_t>(carry);
    }

    void MulPow5(int64_t n) {
        for (; n >= 13; n -= 13) MulAdd(1220703125u, 0);  // 5^13, the largest below 2^32
        uint32_t m = 1;
        for (; n > 0; --n) m *= 5;
        MulAdd(m, 0);
    }

    void ShiftLeft(int bits) {
        if (size_ == 0 || bits == 0) return;
        const int whole = bits / 32;
        const int part = bits % 32;
        if (part != 0) {
            uint32_t carry = 0;
            for (int i = 0; i < size_; ++i) {
                uint32_t next = limbs_[i] >> (32 - part);
                limbs_[i] = (limbs_[i] << part) | carry;
                carry = next;
            }
            if (carry != 0) limbs_[size_++] = carry;
        }
        if (whole != 0) {
            for (int i = size_ - 1; i >= 0; --i) limbs_[i + whole] = limbs_[i];
            for (int i = 0; i < whole; ++i) limbs_[i] = 0;
            size_ += whole;
        }
    }

    friend int Compare(const Big& a, const Big& b) {
        if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
        for (int i = a.size_ - 1; i >= 0; --i) {
            if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
        }
        return 0;
    }

    // this -= b, where b <= this
    void Subtract(const Big& b) {
        int64_t borrow = 0;
        for (int i = 0; i < size_; ++i) {
            int64_t t = static_cast<int64_t>(limbs_[i]) - (i < b.size_ ? b.limbs_[i] : 0) - borrow;
            borrow = t < 0 ? 1 : 0;
            limbs_[i] = static_cast<uint32_t>(t + (borrow << 32));
        }
        while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
    }

private:
    std::array<uint32_t, 128> limbs_;  // only the first size_ are in use
    int size_ = 0;
};

// The next n bits of the quotient r / t, where r < 2t: the bits of
// floor(r * 2^(n-1) / t); r keeps twice the remainder, ready for the bits
// after them.
uint64_t TakeBits(Big& r, const Big& t, int n) {
    uint64_t bits = 0;
    for (; n > 0; --n) {
        bits <<= 1;
        if (Compare(r, t) >= 0) {
            r.Subtract(t);
            bits |= 1;
        }
        r.ShiftLeft(1);
    }
    return bits;
}

// The same on numbers below 2^62, for the everyday texts of up to 18
// digits: one division for as many bits as the 64 bits have room for.
struct Small {
    uint64_t v;
    bool IsZero() const { return v == 0; }
    int BitLength() const { return std::bit_width(v); }
    void ShiftLeft(int bits) { v <<= bits; }
    friend int Compare(const Small& a, const Small& b) { return a.v < b.v ? -1 : a.v > b.v ? 1 : 0; }
};

uint64_t TakeBits(Small& r, const Small& t, int n) {
    uint64_t bits = 0;
    const int room = 64 - t.BitLength();  // r < 2t, so r * 2^(room-1) < 2^64
    while (n > 0) {
        const int c = n < room ? n : room;
        const uint64_t scaled = r.v << (c - 1);
        bits = (bits << c) | (scaled / t.v);
        r.v = (scaled % t.v) << 1;
        n -= c;
    }
    return bits;
}

// memcpy, not std::bit_cast: Emscripten's libc++ has no bit_cast.
double FromBits(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The double nearest to r / t * 2^twos, nothing when out of range. r and t
// are not zero, and the type holds four times the larger of them.
template <typename Number>
std::optional<double> NearestDouble(Number& r, Number& t, int64_t twos) {
    // Scaled so that the value is r / t * 2^k with 1 <= r / t < 2.
    int64_t k = r.BitLength() - t.BitLength();
    if (k >= 0) {
        t.ShiftLeft(static_cast<int>(k));
    } else {
        r.ShiftLeft(static_cast<int>(-k));
    }
    if (Compare(r, t) < 0) {
        r.ShiftLeft(1);
        --k;
    }
    k += twos;
    if (k >= 1024) return std::nullopt;
    if (k < -1075) return std::nullopt;  // below half the smallest double

    // The bits from 2^k down to the last one a double keeps there, then the
    // first bit dropped and whether anything follows it.
    const int lowest = static_cast<int>(k - 52 > -1074 ? k - 52 : -1074);
    uint64_t bits = k >= lowest ? TakeBits(r, t, static_cast<int>(k) - lowest + 1) : 0;
    const bool half = TakeBits(r, t, 1) != 0;
    const bool more = !r.IsZero();
    if (half && (more || (bits & 1) != 0)) ++bits;

    constexpr uint64_t kHidden = uint64_t{1} << 52;
    int biased = lowest + 1075;  // exponent field of bits * 2^lowest when bits has 53 bits
    if (bits == 2 * kHidden) {
        bits = kHidden;
        ++biased;
    }
    if (bits == 0) return std::nullopt;         // rounded to zero
    if (bits < kHidden) return FromBits(bits);  // below the smallest normal double
    if (biased >= 2047) return std::nullopt;    // rounded up to infinity
    return FromBits((static_cast<uint64_t>(biased) << 52) | (bits - kHidden));
}

}  // namespace

std::optional<double> DecimalValue(std::string_view digits) {
    // Where the significant digits lie: indexes count digits only.
    int64_t count = 0;
    int64_t point = -1;
    int64_t first = -1;  // first non-zero digit
    int64_t last = -1;   // last non-zero digit
    for (char c : digits) {
        if (c == '.') {
            if (point >= 0) return std::nullopt;
            point = count;
        } else if (c >= '0' && c <= '9') {
            if (c != '0') {
                if (first < 0) first = count;
                last = count;
            }
            ++count;
        } else {
            return std::nullopt;
        }
    }
    if (count == 0) return std::nullopt;
    if (point < 0) point = count;
    if (first < 0) return 0.0;

    // The value lies in [10^(magnitude-1), 10^magnitude).
    const int64_t magnitude = point - first;
    if (magnitude >= kTooLargeFrom || magnitude <= kTooSmallUpTo) return std::nullopt;

    // mantissa * 10^exponent, the mantissa made of the significant digits; a
    // cut-off tail that is not all zeros becomes one more digit 1, which
    // rounds as the tail would.
    const int64_t significant = last - first + 1;
    const int64_t kept = significant > kKeptDigits ? kKeptDigits : significant;
    int64_t exponent = magnitude - kept;

    if (significant <= 18 && magnitude <= 18 && exponent >= -18) {
        uint64_t mantissa = 0;
        int64_t index = 0;
        for (char c : digits) {
            if (c == '.') continue;
            if (index >= first && index <= last) mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
            ++index;
        }
        // 10^n = 5^n * 2^n: the twos go to the exponent, the fives stay.
        uint64_t five = 1;
        for (int64_t n = exponent; n > 0; --n) mantissa *= 5;
        for (int64_t n = exponent; n < 0; ++n) five *= 5;
        Small r{mantissa};
        Small t{five};
        return NearestDouble(r, t, exponent);
    }

    Big r;
    int64_t index = 0;
    uint32_t chunk = 0;
    int chunkDigits = 0;
    for (char c : digits) {
        if (c == '.') continue;
        if (index >= first && index < first + kept) {
            chunk = chunk * 10 + static_cast<uint32_t>(c - '0');
            if (++chunkDigits == 9) {
                r.MulAdd(1000000000u, chunk);
                chunk = 0;
                chunkDigits = 0;
            }
        }
        ++index;
    }
    static constexpr uint32_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    if (chunkDigits > 0) r.MulAdd(kPow10[chunkDigits], chunk);
    if (kept < significant) {
        r.MulAdd(10, 1);
        exponent -= 1;
    }
    Big t(1);
    if (exponent > 0) r.MulPow5(exponent);
    if (exponent < 0) t.MulPow5(-exponent);
    return NearestDouble(r, t, exponent);
}

}  // namespace lvx
