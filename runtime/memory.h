// Script memory: a sparse array of doubles addressed by an int32 index and
// stored in blocks of 65536 entries that exist once touched, with the
// memory-addressed signal operations of section code.
//
// Index i lies in block i >> 16 (arithmetic: -65536 ... -1 are block -1) at
// offset i & 65535; every int32 is a valid index.
//
// Buffers of the operations: each buffer is resolved once and used as
// consecutive doubles, so it has to lie within one block. An operation whose
// buffer would run past entry 65535 of its block is refused as a whole:
// nothing is read, written or created (complexMultiply checks both of its
// buffers). Negative counts and sizes, like every other out-of-range size or
// mode, do nothing.
//
// Contract: one thread at a time per script object (resolve may insert a
// block); the transforms themselves allocate nothing.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

class CVexmoldMemory {
  public:
    static constexpr int32_t kBlockLength = 65536;

    std::map<int32_t, std::vector<double>> memoryBlocks;

    // The double at index, creating its block (65536 zeros) when missing. The
    // block's length is brought back to 65536 on every call.
    double* resolve(int32_t index);

    // Frees every block (part of the reset step).
    void clearMemory() { memoryBlocks.clear(); }

    // count & ~1 complex values at destination become destination[k] *
    // source[k]; nothing when that is below 2. Buffers: 2 doubles a value.
    void complexMultiply(int32_t destination, int32_t source, int32_t count);
    // n = the largest power of two not above size, 16 ... 32768 (else nothing);
    // on n complex values (2n doubles) in place. Modes: 0 forward, 1 inverse,
    // 4 to natural order, 5 to transform order (see runtime/math/fft.h).
    void fft(int32_t index, int32_t size, uint32_t mode);
    // n = the largest power of two not above size, 32 ... 4096 (else nothing).
    // Forward: window buffer[0 ... n), transform into buffer[0 ... n/2); the
    // upper half keeps its values. Inverse: transform buffer[0 ... n/2) into
    // n values and window them into buffer[0 ... n).
    void mdct(int32_t index, int32_t size, bool inverse);

  protected:
    CVexmoldMemory() = default;
    ~CVexmoldMemory() = default;
};
