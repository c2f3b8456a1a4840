// Runs of 32-bit pixels written into memory that is not read again soon (a
// frame or a bitmap that the display takes from memory): long runs go out
// in whole cache lines past the cache (streaming stores, SSE2), which
// spares the processor reading every line before writing it. The portable
// path writes the same values with plain stores; both are kept and tested
// against each other.
#pragma once

#include <cstdint>

namespace lvx::row_store {

// out[0 .. count) = value / = source[0 .. count).
void Fill(uint32_t* out, int64_t count, uint32_t value);
void Copy(uint32_t* out, const uint32_t* source, int64_t count);
// The same with plain stores only.
void FillPortable(uint32_t* out, int64_t count, uint32_t value);
void CopyPortable(uint32_t* out, const uint32_t* source, int64_t count);
// Makes streamed stores visible to other processors and devices in order;
// call once after a batch of runs, before the memory is handed on.
void Finish();
// True when Fill and Copy stream (the build has SSE2).
bool Streams();
// Where the processor has AVX2, whole cache lines go out as two 32-byte
// streamed stores instead of four 16-byte ones (fewer stores for the same
// lines; about a tenth less time at the saver's pace). On by default; tests
// and benchmarks switch it off to compare. Avx2() says whether it is used.
void UseAvx2(bool on);
bool Avx2();

}  // namespace lvx::row_store
