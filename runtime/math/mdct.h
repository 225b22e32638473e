// Modified discrete cosine transform with a sine window, for sizes
// n = 32 ... 4096 (powers of two). The kernel is
//   K(j, k) = cos(pi / (2n) (2j + 1 + n/2) (2k + 1)).
// - n <= 32, or a lookup without its fast tables:
//     forward  out[k] = sum_j in[j] K(j, k),            k < n/2
//     backward out[j] = 4/n sum_k in[k] K(j, k),        j < n
// - n >= 64 (fast factorisation):
//     forward  out[k] = scale sum_j in[j] K(j, k),      scale = 4/n
//     backward out[j] = sum_k in[k] K(j, k)
// The factor 4/n thus sits on the backward transform for the direct formulas
// and on the forward one for the fast path.
//
// The fast path folds the n inputs to the n/2 of a DCT-IV, reads those as the
// real odd-frequency DFT of a reordered sequence, and computes that with an
// n/4-point complex FFT: pre-rotation (trig[0 ... n/2)), radix-2 butterflies
// (the same table at a stride, then fixed 32-, 16- and 8-point kernels),
// bit reversal through bitrev combined with the real/odd split
// (trig[n ... n + n/4)), and post-rotation (trig[n/2 ... n)). The backward
// transform is the same DCT-IV followed by the unfolding.
//
// Contracts:
// - mdctLookupFor() is thread-safe: the first call for a size builds its
//   lookup once (a lock is taken only while no lookup of that size exists);
//   later calls are one atomic load.
// - The transforms never allocate and take no lock; their scratch is on the
//   stack (n/2 doubles). The lookup's `work` field is kept for layout but never
//   written: lookups are shared by every instance of the process, so a shared
//   scratch would be a data race between instances on different threads.
#pragma once

#include <cstdint>
#include <vector>

namespace vexmold {

constexpr int32_t kMdctMinSize = 32;
constexpr int32_t kMdctMaxSize = 4096;

struct TMdctLookup {
    int32_t n = 0;
    int32_t log2n = 0;            // only when n > 32
    std::vector<double> trig;     // n + n/4, only when n > 32
    std::vector<int32_t> bitrev;  // n/4, only when n > 32
    std::vector<double> work;     // n, only when n > 32 (see the contracts above)
    float scale = 0.0f;           // 4/n, only when n > 32
    std::vector<double> window;   // n/2: sin((i + 0.5) pi / n)
};

// Fills a lookup of size n (a power of two, 32 ... 4096). Answers false, with
// nothing usable, when n is out of range or the window cannot be allocated;
// when only the fast tables cannot be allocated the lookup keeps its window
// and the transforms use the direct formulas.
bool buildMdctLookup(TMdctLookup& lookup, int32_t n);

// The process-wide lookup of size n, created on first use and kept until
// releaseMdctLookups(); null when n is not a power of two in 32 ... 4096 or
// memory ran out (a later call tries again).
const TMdctLookup* mdctLookupFor(int32_t n);

// Frees every lookup (the plug-in module does as it is unloaded). No
// transform may run or start meanwhile, and earlier answers of
// mdctLookupFor() are dangling afterwards.
void releaseMdctLookups();

// in: n doubles, out: n/2 doubles; in and out must not overlap.
void mdctForward(const TMdctLookup& lookup, const double* in, double* out);
// in: n/2 doubles, out: n doubles; in and out must not overlap.
void mdctBackward(const TMdctLookup& lookup, const double* in, double* out);
// out[i] = in[i] w[i], out[n/2 + i] = in[n/2 + i] w[n/2 - 1 - i]; in may be out.
void mdctWindow(const TMdctLookup& lookup, const double* in, double* out);

}  // namespace vexmold
