// The streaming row writers, 16 and 32 bytes a store, against the plain ones:
// every length around the streaming threshold and the cache-line edges, at
// every 4-byte alignment, with guard words on both sides.
#include "render/row_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

namespace lvx::row_store {
namespace {

constexpr uint32_t kGuard = 0xDEADBEEF;

TEST(RowStore, StreamingWritesWhatPlainStoresWrite) {
    struct Case {
        const char* what;
        bool copy;
    } cases[] = {{"fill", false}, {"copy", true}};
    std::vector<uint32_t> source(600);
    std::iota(source.begin(), source.end(), 0x00100000u);
    for (const Case& c : cases) {
      for (bool avx2 : {true, false}) {
        UseAvx2(avx2);
        for (int64_t offset = 0; offset < 16; ++offset) {
            for (int64_t count : {0, 1, 15, 16, 17, 63, 64, 65, 79, 80, 81, 127, 128, 129, 400, 511}) {
                // 64-byte aligned memory, written from `offset` pixels in.
                std::vector<uint32_t> fast(640 + 32, kGuard), plain(640 + 32, kGuard);
                const auto align = [](std::vector<uint32_t>& v) {
                    auto address = reinterpret_cast<uintptr_t>(v.data());
                    return v.data() + ((64 - (address & 63)) & 63) / 4 + 8;
                };
                uint32_t* f = align(fast) + offset;
                uint32_t* p = align(plain) + offset;
                if (c.copy) {
                    Copy(f, source.data() + 3, count);
                    CopyPortable(p, source.data() + 3, count);
                } else {
                    Fill(f, count, 0x00ABCDEF);
                    FillPortable(p, count, 0x00ABCDEF);
                }
                Finish();
                ASSERT_EQ(std::vector<uint32_t>(f - 8, f + count + 8), std::vector<uint32_t>(p - 8, p + count + 8))
                    << c.what << " of " << count << " at +" << offset << (avx2 ? " (AVX2)" : "");
                ASSERT_EQ(f[count], kGuard);
                ASSERT_EQ(f[-1], kGuard);
                for (int64_t i = 0; i < count; ++i) {
                    ASSERT_EQ(p[i], c.copy ? source[static_cast<size_t>(i) + 3] : 0x00ABCDEFu) << c.what << " " << i;
                }
            }
        }
      }
    }
    UseAvx2(true);
}

}  // namespace
}  // namespace lvx::row_store
