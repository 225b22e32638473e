// Process-wide tables of the complex FFT: twiddle factors per size, the
// permutation between transform order and natural order, and the leaders of
// that permutation's cycles. Built once, on first use, and never freed.
//
// Contracts:
// - fftTables() is safe to call from any thread; the first call builds the
//   tables (under the language's one-time initialisation of a local static),
//   later calls only read a published reference and take no lock.
// - The script object's constructor calls ensureFftTables(), so transforms of
//   a running instance never build anything.
#pragma once

#include <cstdint>
#include <vector>

namespace vexmold {

constexpr int kFftMinLog2 = 1;             // n = 2
constexpr int kFftMaxLog2 = 15;            // n = 32768
constexpr int kFftTwiddleMinLog2 = 5;      // twiddle tables exist for n >= 32
constexpr int kFftHalvedTwiddleLog2 = 10;  // from n = 1024 on, only k < n/8 is stored

// Reordering walks a long cycle in kReorderLanes pieces of kReorderSteps
// moves side by side, so that the table lookups of one piece do not wait for
// those of the one before.
constexpr int kReorderLanes = 4;
constexpr int kReorderSteps = 4;
constexpr int kReorderChunk = kReorderLanes * kReorderSteps;

// f(p, n): the transform-order index of position p. Position p of a forward
// transform holds X[(n - f(p, n)) mod n].
struct TFftTables {
    // D_n for n = 2^b, b = 5 ... 15: entry k (from k = 1) is
    // (cos(2 pi k / n), sin(2 pi k / n)), interleaved. Up to n = 512 the
    // entries k = 1 ... n/4 - 1 are stored, from n = 1024 on k = 1 ... n/8 - 1.
    std::vector<double> twiddles;
    int32_t twiddleOffset[kFftMaxLog2 + 1] = {};  // in doubles, entry 1 of D_n

    // T_n for n = 2 ... 32768, n entries each, starting at n - 2: T_n[0] = 0
    // and T_n[(n - f(i, n)) mod n] = i.
    std::vector<int32_t> reorder;

    // The smallest index of every cycle longer than 1 of T_n, ascending, for
    // n = 4 ... 32768: leaders[leaderBegin[b] ... leaderBegin[b + 1]).
    std::vector<int32_t> leaders;
    int32_t leaderBegin[kFftMaxLog2 + 2] = {};

    // Where to pick up a long cycle at several points at once. A cycle of
    // length len, walked from its leader (position 0), has
    // F = (len - 1) / kReorderChunk whole chunks; for each leader in order the
    // list holds F and then, per chunk q, the cycle positions q * chunk +
    // l * kReorderSteps for l = 1 ... kReorderLanes - 1 (position 0 of a chunk
    // is where the previous one ended). For n = 4 ... 32768:
    // cycleChunks[chunkBegin[b] ... chunkBegin[b + 1]).
    std::vector<int32_t> cycleChunks;
    int32_t chunkBegin[kFftMaxLog2 + 2] = {};

    // Pointer to entry 1 of D_n; valid for b = 5 ... 15.
    const double* twiddlesFor(int log2n) const { return twiddles.data() + twiddleOffset[log2n]; }
    // T_n; valid for b = 1 ... 15.
    const int32_t* reorderFor(int log2n) const { return reorder.data() + ((1 << log2n) - 2); }
};

// The tables, built on the first call in the process.
const TFftTables& fftTables();

// A fresh set of tables (what the first call of fftTables() builds); for
// measuring the cost of the build.
TFftTables buildFftTables();

// Builds the tables if they do not exist yet.
inline void ensureFftTables() {
    static_cast<void>(fftTables());
}

}  // namespace vexmold
