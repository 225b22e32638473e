#include "runtime/math/fft_tables.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <mutex>
#include <new>

#include "platform/platform.h"

namespace vexmold {

namespace {

constexpr double kTwoPi = 2.0 * 3.14159265358979323846;

std::atomic<const TFftTables*> gTables{nullptr};
plux::platform::Lock gTablesLock;  // held while the tables are built or freed

void buildTwiddles(TFftTables& t) {
    std::size_t total = 0;
    for (int b = kFftTwiddleMinLog2; b <= kFftMaxLog2; ++b) {
        const int n = 1 << b;
        const int entries = (b < kFftHalvedTwiddleLog2 ? n / 4 : n / 8) - 1;
        t.twiddleOffset[b] = static_cast<int32_t>(total);
        total += 2 * static_cast<std::size_t>(entries);
    }
    t.twiddles.resize(total);
    for (int b = kFftTwiddleMinLog2; b <= kFftMaxLog2; ++b) {
        const int n = 1 << b;
        const int last = b < kFftHalvedTwiddleLog2 ? n / 4 : n / 8;
        const double step = kTwoPi / n;
        double* d = t.twiddles.data() + t.twiddleOffset[b];
        for (int k = 1; k < last; ++k) {
            const double angle = step * k;
            d[2 * (k - 1)] = std::cos(angle);
            d[2 * (k - 1) + 1] = std::sin(angle);
        }
    }
}

// f(p, n) for every size at once: the table of n is made from those of n/2
// and n/4 by the recursion of the definition.
std::vector<int32_t> transformOrderIndexes() {
    std::vector<int32_t> f(static_cast<std::size_t>(2 << kFftMaxLog2) - 2);
    const int32_t one[1] = {0};  // f(p, 1)
    f[0] = 0;                    // f(p, 2) = p
    f[1] = 1;
    for (int b = 2; b <= kFftMaxLog2; ++b) {
        const int32_t n = 1 << b;
        int32_t* fn = f.data() + (n - 2);
        const int32_t* half = f.data() + (n / 2 - 2);
        const int32_t* quarter = n == 4 ? one : f.data() + (n / 4 - 2);
        for (int32_t p = 0; p < n / 2; ++p)
            fn[p] = 2 * half[p];
        for (int32_t p = 0; p < n / 4; ++p) {
            fn[n / 2 + p] = 4 * quarter[p] + 1;
            fn[3 * n / 4 + p] = (4 * quarter[p] - 1) & (n - 1);
        }
    }
    return f;
}

void buildReorder(TFftTables& t) {
    const std::vector<int32_t> f = transformOrderIndexes();
    t.reorder.resize(f.size());
    for (int b = kFftMinLog2; b <= kFftMaxLog2; ++b) {
        const int32_t n = 1 << b;
        const int32_t* fn = f.data() + (n - 2);
        int32_t* tn = t.reorder.data() + (n - 2);
        tn[0] = 0;
        for (int32_t i = 1; i < n; ++i)
            tn[(n - fn[i]) & (n - 1)] = i;
    }
}

void buildCycles(TFftTables& t) {
    std::vector<char> visited;
    t.leaders.clear();
    t.cycleLengths.clear();
    t.cycleWalks.clear();
    for (int b = 0; b <= 2; ++b)
        t.leaderBegin[b] = t.walkBegin[b] = 0;
    for (int b = 2; b <= kFftMaxLog2; ++b) {
        const int32_t n = 1 << b;
        const int32_t* tn = t.reorderFor(b);
        visited.assign(static_cast<std::size_t>(n), 0);
        for (int32_t i = 0; i < n; ++i) {
            if (visited[static_cast<std::size_t>(i)] || tn[i] == i)
                continue;
            visited[static_cast<std::size_t>(i)] = 1;
            int32_t length = 0;
            for (int32_t j = tn[i]; j != i; j = tn[j], ++length) {
                visited[static_cast<std::size_t>(j)] = 1;
                t.cycleWalks.push_back(j);
            }
            t.leaders.push_back(i);
            t.cycleLengths.push_back(length);
        }
        t.leaderBegin[b + 1] = static_cast<int32_t>(t.leaders.size());
        t.walkBegin[b + 1] = static_cast<int32_t>(t.cycleWalks.size());
    }
    t.leaders.shrink_to_fit();
    t.cycleLengths.shrink_to_fit();
    t.cycleWalks.shrink_to_fit();
}

}  // namespace

TFftTables buildFftTables() {
    TFftTables t;
    buildTwiddles(t);
    buildReorder(t);
    buildCycles(t);
    return t;
}

const TFftTables* fftTables() {
    if (const TFftTables* ready = gTables.load(std::memory_order_acquire))
        return ready;
    std::lock_guard<plux::platform::Lock> lock(gTablesLock);
    if (const TFftTables* ready = gTables.load(std::memory_order_relaxed))
        return ready;
    try {
        const TFftTables* built = new TFftTables(buildFftTables());
        gTables.store(built, std::memory_order_release);
        return built;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void releaseFftTables() {
    std::lock_guard<plux::platform::Lock> lock(gTablesLock);
    delete gTables.exchange(nullptr, std::memory_order_acq_rel);
}

}  // namespace vexmold
