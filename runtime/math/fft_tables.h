// Process-wide tables of the complex FFT: twiddle factors per size, the
// permutation between transform order and natural order, and the leaders of
// that permutation's cycles. Built once, on first use, and kept until
// releaseFftTables().
//
// Contracts:
// - fftTables() is safe to call from any thread; the first call builds the
//   tables under a process-wide lock, later calls are one atomic load.
// - The script object's constructor calls ensureFftTables(), so transforms of
//   a running instance never build anything.
// - releaseFftTables() frees them when nothing can use them any more: the
//   plug-in module calls it as it is unloaded, so a host that loads and
//   unloads the plug-in again and again gets its memory back each time.
#pragma once

#include <cstdint>
#include <vector>

namespace vexmold {

constexpr int kFftMinLog2 = 1;             // n = 2
constexpr int kFftMaxLog2 = 15;            // n = 32768
constexpr int kFftTwiddleMinLog2 = 5;      // twiddle tables exist for n >= 32
constexpr int kFftHalvedTwiddleLog2 = 10;  // from n = 1024 on, only k < n/8 is stored

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

    // Every cycle of T_n walked from its leader: for the cycle of leaders[i]
    // the positions T(leader), T(T(leader)), ... up to the one whose T is the
    // leader again, cycleLengths[i] of them. Reading the walk in order keeps
    // the moves of a reorder free of dependent table lookups. For n = 4 ...
    // 32768: cycleWalks[walkBegin[b] ... walkBegin[b + 1]).
    std::vector<int32_t> cycleWalks;
    std::vector<int32_t> cycleLengths;  // parallel to leaders
    int32_t walkBegin[kFftMaxLog2 + 2] = {};

    // Pointer to entry 1 of D_n; valid for b = 5 ... 15.
    const double* twiddlesFor(int log2n) const { return twiddles.data() + twiddleOffset[log2n]; }
    // T_n; valid for b = 1 ... 15.
    const int32_t* reorderFor(int log2n) const { return reorder.data() + ((1 << log2n) - 2); }
};

// The tables, built on the first call in the process (or the first after a
// release); null when memory ran out (a later call tries again).
const TFftTables* fftTables();

// Frees the tables. No transform may run or start meanwhile.
void releaseFftTables();

// A fresh set of tables (what the first call of fftTables() builds); for
// measuring the cost of the build.
TFftTables buildFftTables();

// Builds the tables if they do not exist yet; false when memory ran out.
inline bool ensureFftTables() {
    return fftTables() != nullptr;
}

}  // namespace vexmold
