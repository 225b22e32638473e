// The parts of the platform seam that are the same everywhere: the process
// clock (steady time since the library loaded) and its test seam, and the
// end of a broken expectation.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/expect.h"
#include "platform/platform.h"

namespace plux::platform {

namespace {

std::atomic<ClockFunction> gClockOverride{nullptr};

// Read while the library loads. A namespace-scope value rather than a local
// static: the guard of a local static goes through the threading runtime,
// which leaves handles behind in a DLL that is unloaded.
const std::chrono::steady_clock::time_point gProcessStart = std::chrono::steady_clock::now();

}  // namespace

int32_t processClockMilliseconds() {
    if (ClockFunction fn = gClockOverride.load(std::memory_order_acquire))
        return fn();
    const auto elapsed = std::chrono::steady_clock::now() - gProcessStart;
    return static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void setProcessClockForTesting(ClockFunction clock) {
    gClockOverride.store(clock, std::memory_order_release);
}

void expectationFailed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "expectation failed: %s (%s:%d)\n", what, file, line);
    std::fflush(stderr);
    std::abort();
}

}  // namespace plux::platform
